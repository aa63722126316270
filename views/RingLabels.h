// The range written at the top of each range ring (or arc) of a radar view.
#pragma once

#include "render/GdiPlusObjects.h"

namespace quillon {

// The distance at ring k (1..4) of four in nautical miles.
float ringLabelValue(float ring, float rangeNm);

// Draws the label of the ring centred on x = 0 with its top at y = -radius,
// just inside the top of the ring. The format's alignment is the caller's.
void drawRingLabel(render::Graphics& graphics, const render::Font& font, const render::Brush& brush,
                   const render::StringFormat& format, float ring, float rangeNm, float radius);

}  // namespace quillon
