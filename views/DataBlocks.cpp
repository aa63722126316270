#include "views/DataBlocks.h"

#include "render/SharedGdiObjects.h"
#include "views/TextFormats.h"

namespace quillon {
namespace {

constexpr size_t kBlockTextCapacity = render::TextBlock::kOwnTextCapacity;

constexpr float kCompactTopY = 40.0f;
constexpr float kCompactBottomY = 960.0f;
constexpr float kBlockCentreX = 500.0f;
constexpr float kBlockRight = 1000.0f;
constexpr float kBlockBottom = 1000.0f;

constexpr int kNear = gdip::kStringAlignmentNear;
constexpr int kCentre = gdip::kStringAlignmentCenter;
constexpr int kFar = gdip::kStringAlignmentFar;
constexpr int kNotFollowing = -1;

// The corners of the full block and the lines of the compact one: each is
// copied in one piece when the block comes from a picture.
enum BlockGroup { kTopLeft, kTopRight, kBottomLeft, kBottomRight };
enum CompactGroup { kTopLine, kBottomLine };

void styleBlock(render::TextBlock& block, const render::ColourScheme& scheme, render::SharedFormat format) {
    block.setStyle(*scheme.largeFont, render::sharedStringFormat(format), *scheme.brightBrush, scheme.colours.bright);
}

render::PlacedText placed(float x, float y, int alignment, int lineAlignment, int group,
                          const char16_t* text = nullptr, int follows = kNotFollowing) {
    return render::PlacedText{text, x, y, alignment, lineAlignment, follows, group};
}

}  // namespace

// The full block.
void FullDataBlock::layOut(const render::ColourScheme& scheme, const SelectedTarget& selected,
                           render::TextBlock& block) const {
    const TrafficTarget& target = selected.target;
    const float lineHeight = scheme.lineHeight;
    styleBlock(block, scheme, render::SharedFormat::FullBlock);

    // Top left: vertical speed, then altitude.
    if (char16_t* text = block.addOwn(placed(0.0f, 0.0f, kNear, kNear, kTopLeft)))
        formatVerticalSpeedText(target.verticalSpeed(), text, kBlockTextCapacity);
    if (char16_t* text = block.addOwn(placed(0.0f, lineHeight, kNear, kNear, kTopLeft)))
        formatAltitudeText(target.position().altitude, text, kBlockTextCapacity);

    // Top right: bearing, then distance.
    if (char16_t* text = block.addOwn(placed(kBlockRight, 0.0f, kFar, kNear, kTopRight)))
        formatBearingText(selected.bearingDeg, text, kBlockTextCapacity);
    if (char16_t* text = block.addOwn(placed(kBlockRight, lineHeight, kFar, kNear, kTopRight)))
        formatDistanceText(selected.distanceNm, text, kBlockTextCapacity);

    // Bottom left: ATC id one line up, airline and flight number (right
    // after the airline) on the last line.
    block.add(placed(0.0f, kBlockBottom - lineHeight, kNear, kFar, kBottomLeft, target.atcIdWide()));
    const int airline = block.add(placed(0.0f, kBlockBottom, kNear, kFar, kBottomLeft, target.airlineWide()));
    block.add(placed(0.0f, kBlockBottom, kNear, kFar, kBottomLeft, target.flightNumberWide(), airline));

    // Bottom right: ground speed, unless the host hides it.
    if (char16_t* text = block.addOwn(placed(kBlockRight, kBlockBottom, kFar, kFar, kBottomRight))) {
        if (selected.limitedMode)
            formatHiddenGroundSpeedText(text, kBlockTextCapacity);
        else
            formatGroundSpeedText(target.groundSpeed(), text, kBlockTextCapacity);
    }
}

// The compact block.
void CompactDataBlock::layOut(const render::ColourScheme& scheme, const SelectedTarget& selected,
                              render::TextBlock& block) const {
    const TrafficTarget& target = selected.target;
    styleBlock(block, scheme, render::SharedFormat::CompactBlock);
    if (char16_t* text = block.addOwn(placed(kBlockCentreX, kCompactTopY, kCentre, kNear, kTopLine)))
        formatDistanceText(selected.distanceNm, text, kBlockTextCapacity);

    // The grid shows relative altitude itself, so there the bottom line is
    // the ground speed (as the host gives it, even in limited mode).
    if (char16_t* text = block.addOwn(placed(kBlockCentreX, kCompactBottomY, kCentre, kFar, kBottomLine))) {
        if (selected.displayMode == kGridView)
            formatGroundSpeedText(target.groundSpeed(), text, kBlockTextCapacity);
        else
            formatAltitudeText(target.position().altitude, text, kBlockTextCapacity);
    }
}

}  // namespace quillon
