// The pilot's altitude tags of the radar scopes: each drawn aircraft's
// altitude relative to the own one in hundreds of feet, signed and two
// digits, above its symbol when level or above and below it when below,
// with a small arrow beside the symbol while it climbs or descends briskly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/ColourScheme.h"
#include "render/GdiPlusObjects.h"
#include "render/TextAtlas.h"

namespace quillon {

// Room for the longest tag ("+99"), terminator included, and some spare.
constexpr size_t kAltitudeTagCapacity = 8;

// The relative altitude in whole hundreds of feet, to the nearest hundred
// (within 50 ft is 0) and capped at 99 either way. False when the altitude
// is not a number: such an aircraft gets no tag.
bool altitudeTagHundreds(double relativeFeet, int32_t& hundreds);
// "+05", "-12", "00".
size_t formatAltitudeTag(int32_t hundreds, char16_t* text, size_t capacity);
// Every tag, from -99 to +99, as cells of a text atlas (cell 0 is -99).
constexpr int kAltitudeTagCells = 199;
size_t altitudeTagCellText(int cell, char16_t* text, size_t capacity);
// Climbing (+1), descending (-1) or neither (0): 500 ft/min or more counts.
int climbArrowDirection(double verticalSpeedFpm);
// The climb and descent arrows in the symbols' two pens, for the tags' atlas.
render::AtlasDrawings climbArrowDrawings(const render::Pen* dimPen, const render::Pen* brightPen, float penWidth);
// The tags' atlas in the scheme's small font, brushes and pens.
render::TextAtlasContent altitudeTagAtlasContent(const render::ColourScheme& scheme, render::StringFormat& format);
// The advisories' tags: the same in the advisories' colour, bright or not.
render::TextAtlasContent advisoryTagAtlasContent(const render::ColourScheme& scheme, render::StringFormat& format);

// What a scope draws its tags with, the same for every target of a frame.
struct TagStyle {
    const render::Font* font;
    render::StringFormat* format;
    const render::Brush* dimBrush;
    const render::Brush* brightBrush;
    bool limitedMode;  // no vertical speed, so no arrows
    // The tags (and arrows) pre-drawn at the surface's scale; null: each tag
    // is laid out anew and each arrow stroked.
    const render::TextAtlas* atlas;
    float originX;  // the view's origin in the logical space
    float originY;
    // The frame composed as memory, which the graphics draws on: the atlas's
    // cells are blended there. Null: copied by the drawing library.
    render::FrameBuffer* composed = nullptr;
    // The arrows' pen; null: the symbol's.
    const render::Pen* arrowPen = nullptr;
};

// Clear of the selection box (half side 25), so the box never crosses a tag.
constexpr float kTagGap = 27.0f;
// The arrow stands right of the cross arm.
constexpr float kArrowOffsetX = 18.0f;

// The tag's text centred on x with the top of its line at textTop.
void drawTagText(render::Graphics& graphics, const TagStyle& style, bool bright, float centreX, float textTop,
                 int32_t hundreds);
// The climb or descent arrow beside a symbol at (x, y), if it climbs or descends briskly.
void drawTagArrow(render::Graphics& graphics, const TagStyle& style, bool bright, const render::Pen& pen, float x,
                  float y, double verticalSpeedFpm);

// The tag of a target plotted at (x, y) in the colour of its symbol's pen.
void drawAltitudeTag(render::Graphics& graphics, const TagStyle& style, bool bright, const render::Pen& pen, float x,
                     float y, double relativeFeet, double verticalSpeedFpm);

}  // namespace quillon
