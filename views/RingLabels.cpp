#include "views/RingLabels.h"

#include "views/TextFormats.h"

namespace quillon {

float ringLabelValue(float ring, float rangeNm) { return ring * rangeNm * 0.25f; }

void drawRingLabel(render::Graphics& graphics, const render::Font& font, const render::Brush& brush,
                   const render::StringFormat& format, float ring, float rangeNm, float radius) {
    // Shared by every view and call: one label is drawn at a time.
    static char16_t labelText[kRingLabelCapacity];
    formatRingLabel(ringLabelValue(ring, rangeNm), labelText, kRingLabelCapacity);
    graphics.drawText(labelText, -1, font, 0.0f, -radius, &format, &brush);
}

}  // namespace quillon
