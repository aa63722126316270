#include "views/AltitudeTags.h"

#include <cmath>
#include <cstdio>

#include "render/SharedGdiObjects.h"
#include "views/TextFormats.h"

namespace quillon {
namespace {

constexpr double kLargestTag = 99.0;
constexpr double kArrowThresholdFpm = 500.0;
// The arrow's head is two short strokes.
constexpr float kArrowHalfLength = 10.0f;
constexpr float kArrowHeadWidth = 5.0f;
constexpr float kArrowHeadLength = 6.0f;

// The shaft and both strokes of the head in one stroke (the caller has
// checked the point is usable): a third of the drawing library's work of
// three separate lines.
void drawClimbArrow(render::Graphics& graphics, const render::Pen& pen, float shaftX, float y, int direction) {
    // Up the picture is a climb: the head is at the top.
    const float tipY = y - direction * kArrowHalfLength;
    const float tailY = y + direction * kArrowHalfLength;
    const float headY = tipY + direction * kArrowHeadLength;
    const render::PointF stroke[] = {{shaftX, tailY},
                                     {shaftX, tipY},
                                     {shaftX - kArrowHeadWidth, headY},
                                     {shaftX, tipY},
                                     {shaftX + kArrowHeadWidth, headY}};
    graphics.drawLines(pen, stroke, 5);
}

// The atlas's drawings: the climb arrow, then the descent arrow.
constexpr int kClimbDrawing = 0;
constexpr int kDescentDrawing = 1;

void drawArrowCell(render::Graphics& graphics, const render::Pen& pen, int drawing, float shaftX, float y) {
    drawClimbArrow(graphics, pen, shaftX, y, drawing == kClimbDrawing ? 1 : -1);
}

}  // namespace

render::AtlasDrawings climbArrowDrawings(const render::Pen* dimPen, const render::Pen* brightPen, float penWidth) {
    // Twice the pen's width around the lines holds the sharp tip's mitre
    // (some 1.5 widths beyond the tip) and the anti-aliased edges.
    const float reachX = kArrowHeadWidth + 2 * penWidth;
    const float reachY = kArrowHalfLength + 2 * penWidth;
    render::AtlasDrawings drawings;
    drawings.draw = drawArrowCell;
    drawings.count = 2;
    drawings.pens[0] = dimPen;
    drawings.pens[1] = brightPen;
    drawings.box = render::RectF{-reachX, -reachY, 2 * reachX, 2 * reachY};
    drawings.lineWidth = penWidth;
    return drawings;
}

render::TextAtlasContent altitudeTagAtlasContent(const render::ColourScheme& scheme, render::StringFormat& format) {
    return {altitudeTagCellText,
            kAltitudeTagCells,
            scheme.smallFont.get(),
            &format,
            {scheme.dimBrush.get(), scheme.brightBrush.get()},
            {scheme.colours.dim, scheme.colours.bright},
            climbArrowDrawings(scheme.dimPen.get(), scheme.brightPen.get(), render::kSchemePenWidth)};
}

render::TextAtlasContent advisoryTagAtlasContent(const render::ColourScheme& scheme, render::StringFormat& format) {
    const render::Brush* brush = &render::advisoryBrushOf(scheme);
    const render::Pen* pen = &render::advisoryPenOf(scheme);
    const uint32_t colour = render::advisoryColourOf(scheme);
    return {altitudeTagCellText,
            kAltitudeTagCells,
            scheme.smallFont.get(),
            &format,
            {brush, brush},
            {colour, colour},
            climbArrowDrawings(pen, pen, render::kSchemePenWidth)};
}

bool altitudeTagHundreds(double relativeFeet, int32_t& hundreds) {
    if (std::isnan(relativeFeet)) return false;
    // Halves go toward zero, so 50 ft either way still reads level.
    const double magnitude = std::ceil(std::fabs(relativeFeet) / 100.0 - 0.5);
    const int32_t capped = static_cast<int32_t>(magnitude < kLargestTag ? magnitude : kLargestTag);
    hundreds = relativeFeet < 0.0 ? -capped : capped;
    return true;
}

size_t formatAltitudeTag(int32_t hundreds, char16_t* text, size_t capacity) {
    char narrow[kAltitudeTagCapacity * 2];
    const int shown = hundreds > 99 ? 99 : hundreds < -99 ? -99 : static_cast<int>(hundreds);
    if (shown == 0) {
        std::snprintf(narrow, sizeof narrow, "00");
    } else {
        std::snprintf(narrow, sizeof narrow, "%+03d", shown);
    }
    return widenText(narrow, text, capacity);
}

size_t altitudeTagCellText(int cell, char16_t* text, size_t capacity) {
    return formatAltitudeTag(cell - (kAltitudeTagCells - 1) / 2, text, capacity);
}

int climbArrowDirection(double verticalSpeedFpm) {
    if (verticalSpeedFpm >= kArrowThresholdFpm) return 1;
    if (verticalSpeedFpm <= -kArrowThresholdFpm) return -1;
    return 0;
}

void drawTagText(render::Graphics& graphics, const TagStyle& style, bool bright, float centreX, float textTop,
                 int32_t hundreds) {
    if (!std::isfinite(centreX) || !std::isfinite(textTop)) return;
    if (style.atlas != nullptr) {
        style.atlas->draw(graphics, style.originX, style.originY, hundreds + (kAltitudeTagCells - 1) / 2, bright ? 1 : 0,
                          centreX, textTop, style.composed);
        return;
    }
    char16_t text[kAltitudeTagCapacity];
    formatAltitudeTag(hundreds, text, kAltitudeTagCapacity);
    style.format->setAlignment(gdip::kStringAlignmentCenter);
    style.format->setLineAlignment(gdip::kStringAlignmentNear);
    graphics.drawText(text, -1, *style.font, centreX, textTop, style.format, bright ? style.brightBrush : style.dimBrush);
}

void drawTagArrow(render::Graphics& graphics, const TagStyle& style, bool bright, const render::Pen& pen, float x,
                  float y, double verticalSpeedFpm) {
    if (style.limitedMode || !std::isfinite(x) || !std::isfinite(y)) return;
    const int direction = climbArrowDirection(verticalSpeedFpm);
    if (direction == 0) return;
    if (style.atlas != nullptr && style.atlas->hasDrawings()) {
        style.atlas->drawDrawing(graphics, style.originX, style.originY,
                                 direction > 0 ? kClimbDrawing : kDescentDrawing, bright ? 1 : 0, x + kArrowOffsetX, y,
                                 style.composed);
    } else {
        drawClimbArrow(graphics, style.arrowPen != nullptr ? *style.arrowPen : pen, x + kArrowOffsetX, y, direction);
    }
}

void drawAltitudeTag(render::Graphics& graphics, const TagStyle& style, bool bright, const render::Pen& pen, float x,
                     float y, double relativeFeet, double verticalSpeedFpm) {
    int32_t hundreds = 0;
    if (!std::isfinite(x) || !std::isfinite(y) || !altitudeTagHundreds(relativeFeet, hundreds)) return;

    const bool below = hundreds < 0;
    if (style.atlas != nullptr) {
        drawTagText(graphics, style, bright, x, below ? y + kTagGap : y - kTagGap - style.atlas->lineHeight(), hundreds);
    } else {
        char16_t text[kAltitudeTagCapacity];
        formatAltitudeTag(hundreds, text, kAltitudeTagCapacity);
        style.format->setAlignment(gdip::kStringAlignmentCenter);
        style.format->setLineAlignment(below ? gdip::kStringAlignmentNear : gdip::kStringAlignmentFar);
        const float textY = below ? y + kTagGap : y - kTagGap;
        graphics.drawText(text, -1, *style.font, x, textY, style.format, bright ? style.brightBrush : style.dimBrush);
    }
    drawTagArrow(graphics, style, bright, pen, x, y, verticalSpeedFpm);
}

}  // namespace quillon
