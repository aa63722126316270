#include "views/FixedParts.h"

#include "gauge/RadarGauge.h"

namespace quillon {
namespace {

ViewOrigin originOf(int32_t displayMode) {
    switch (displayMode) {
        case kForwardArcView: return kForwardArcOrigin;
        case kGridView: return kGridOrigin;
        default: return kFullCircleOrigin;
    }
}

// In place of the fixed part: the pen it ends with, set up with a line of no length.
void leavePenOfFixedPart(int32_t displayMode, render::Graphics& graphics, const render::ColourScheme& scheme) {
    // The radar scopes end with their spokes, the grid with a dashed line.
    const render::Pen& last = displayMode == kGridView ? *scheme.dashedPen : *scheme.dimPen;
    graphics.drawLine(last, 0.0f, 0.0f, 0.0f, 0.0f);  // no length: no ink
}

}  // namespace

bool isView(int32_t displayMode) {
    return displayMode == kFullCircleView || displayMode == kForwardArcView || displayMode == kGridView;
}

bool fixedPartShowsRange(int32_t displayMode) { return displayMode != kGridView; }

void drawFixedPartUnlessShown(int32_t displayMode, bool shownFromBackdrop, render::Graphics& graphics,
                              const render::ColourScheme& scheme, float rangeNm) {
    if (shownFromBackdrop) {
        leavePenOfFixedPart(displayMode, graphics, scheme);
        return;
    }
    switch (displayMode) {
        case kFullCircleView: drawFullCircleFixedPart(graphics, scheme, rangeNm); break;
        case kForwardArcView: drawForwardArcFixedPart(graphics, scheme, rangeNm); break;
        default: drawGridFixedPart(graphics, scheme); break;
    }
}

void drawFixedPart(int32_t displayMode, render::Graphics& graphics, const render::ColourScheme& scheme,
                   float rangeNm) {
    if (!isView(displayMode)) return;
    const ViewOrigin origin = originOf(displayMode);
    const gdip::GraphicsContainer container = graphics.beginContainer();
    graphics.translateWorldTransform(origin.x, origin.y);
    applyRenderingQualityTo(graphics);
    drawFixedPartUnlessShown(displayMode, false, graphics, scheme, rangeNm);
    graphics.endContainer(container);
    applyRenderingQualityTo(graphics);
}

}  // namespace quillon
