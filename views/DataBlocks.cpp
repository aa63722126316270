#include "views/DataBlocks.h"

#include "render/SharedGdiObjects.h"
#include "views/TextFormats.h"

namespace quillon {
namespace {

// Room for the longest text of the formats, terminator included.
constexpr size_t kBlockTextCapacity = 20;

constexpr float kCompactTopY = 40.0f;
constexpr float kCompactBottomY = 960.0f;
constexpr float kBlockCentreX = 500.0f;
constexpr float kBlockRight = 1000.0f;
constexpr float kBlockBottom = 1000.0f;

}  // namespace

// The full block.
void FullDataBlock::draw(render::Graphics& graphics, const render::ColourScheme& scheme,
                         const SelectedTarget& selected) const {
    const TrafficTarget* target = &selected.target;
    char16_t text[kBlockTextCapacity];
    render::StringFormat& format = render::sharedStringFormat(render::SharedFormat::FullBlock);
    const render::Font& font = *scheme.largeFont;
    const render::Brush* brush = scheme.brightBrush.get();
    const float lineHeight = scheme.lineHeight;

    // Top left: vertical speed, then altitude.
    formatVerticalSpeedText(target->verticalSpeed(), text, kBlockTextCapacity);
    format.setLineAlignment(gdip::kStringAlignmentNear);
    format.setAlignment(gdip::kStringAlignmentNear);
    graphics.drawText(text, -1, font, 0.0f, 0.0f, &format, brush);
    formatAltitudeText(target->position().altitude, text, kBlockTextCapacity);
    graphics.drawText(text, -1, font, 0.0f, lineHeight, &format, brush);

    // Top right: bearing, then distance.
    format.setAlignment(gdip::kStringAlignmentFar);
    formatBearingText(selected.bearingDeg, text, kBlockTextCapacity);
    graphics.drawText(text, -1, font, kBlockRight, 0.0f, &format, brush);
    formatDistanceText(selected.distanceNm, text, kBlockTextCapacity);
    graphics.drawText(text, -1, font, kBlockRight, lineHeight, &format, brush);

    // Bottom left: ATC id one line up, airline and flight number on the last line.
    format.setLineAlignment(gdip::kStringAlignmentFar);
    format.setAlignment(gdip::kStringAlignmentNear);
    graphics.drawText(target->atcIdWide(), -1, font, 0.0f, kBlockBottom - lineHeight, &format, brush);
    const render::RectF airline = graphics.measureText(target->airlineWide(), -1, font, 0.0f, kBlockBottom);
    graphics.drawText(target->airlineWide(), -1, font, 0.0f, kBlockBottom, &format, brush);
    graphics.drawText(target->flightNumberWide(), -1, font, airline.X + airline.Width, kBlockBottom, &format,
                      brush);

    // Bottom right: ground speed, unless the host hides it.
    if (selected.limitedMode) {
        formatHiddenGroundSpeedText(text, kBlockTextCapacity);
    } else {
        formatGroundSpeedText(target->groundSpeed(), text, kBlockTextCapacity);
    }
    format.setAlignment(gdip::kStringAlignmentFar);
    graphics.drawText(text, -1, font, kBlockRight, kBlockBottom, &format, brush);
}

// The compact block.
void CompactDataBlock::draw(render::Graphics& graphics, const render::ColourScheme& scheme,
                            const SelectedTarget& selected) const {
    const TrafficTarget* target = &selected.target;
    char16_t text[kBlockTextCapacity];
    render::StringFormat& format = render::sharedStringFormat(render::SharedFormat::CompactBlock);
    const render::Font& font = *scheme.largeFont;
    const render::Brush* brush = scheme.brightBrush.get();

    format.setLineAlignment(gdip::kStringAlignmentNear);
    format.setAlignment(gdip::kStringAlignmentCenter);
    formatDistanceText(selected.distanceNm, text, kBlockTextCapacity);
    graphics.drawText(text, -1, font, kBlockCentreX, kCompactTopY, &format, brush);

    // The grid shows relative altitude itself, so there the bottom line is
    // the ground speed (as the host gives it, even in limited mode).
    format.setLineAlignment(gdip::kStringAlignmentFar);
    if (selected.displayMode == kGridView) {
        formatGroundSpeedText(target->groundSpeed(), text, kBlockTextCapacity);
    } else {
        formatAltitudeText(target->position().altitude, text, kBlockTextCapacity);
    }
    graphics.drawText(text, -1, font, kBlockCentreX, kCompactBottomY, &format, brush);
}

}  // namespace quillon
