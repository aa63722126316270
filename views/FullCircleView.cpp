#include "gauge/RadarGauge.h"

namespace quillon {

// Placeholder until the view is built.
void RadarGauge::drawFullCircleView() {}

}  // namespace quillon
