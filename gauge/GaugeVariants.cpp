#include "gauge/GaugeVariants.h"

namespace quillon {

// The base gauge ("Rectangular Green") and "Circular Green" draw in green.
void RadarGauge::createScheme() { render::createScheme(scheme_, render::kGreenColours); }

void RectangularAmberGauge::createScheme() { render::createScheme(scheme_, render::kAmberColours); }

CircularGreenGauge::CircularGreenGauge() { displayMode_ = kFullCircleView; }

void CircularAmberGauge::createScheme() { render::createScheme(scheme_, render::kAmberColours); }

}  // namespace quillon
