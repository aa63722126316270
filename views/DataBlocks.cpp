#include "gauge/GaugeVariants.h"

namespace quillon {

// Placeholders until the data blocks are built.
void RadarGauge::drawDataBlock() {}
void CircularGreenGauge::drawDataBlock() {}

}  // namespace quillon
