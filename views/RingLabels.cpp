#include "views/RingLabels.h"

#include "views/TextFormats.h"

namespace quillon {

// In double: k x range overflows a float for ranges above a quarter of its
// maximum, while the quarter of it always fits.
float ringLabelValue(float ring, float rangeNm) {
    return static_cast<float>(static_cast<double>(ring) * rangeNm * 0.25);
}

void drawRingLabel(render::Graphics& graphics, const render::Font& font, const render::Brush& brush,
                   const render::StringFormat& format, float ring, float rangeNm, float radius) {
    char16_t labelText[kRingLabelCapacity];
    formatRingLabel(ringLabelValue(ring, rangeNm), labelText, kRingLabelCapacity);
    graphics.drawText(labelText, -1, font, 0.0f, -radius, &format, &brush);
}

}  // namespace quillon
