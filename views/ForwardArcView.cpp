#include "gauge/RadarGauge.h"

namespace quillon {

// Placeholder until the view is built.
void RadarGauge::drawForwardArcView() {}

}  // namespace quillon
