// The unchanging part of each view: what it draws under its sweep that
// depends only on the view, the range, the surface's size and the scheme.
// Drawn on the surface in the view's own container, or once on the
// surface's backdrop, in the same steps.
#pragma once

#include <cstdint>

#include "render/ColourScheme.h"
#include "render/GdiPlusObjects.h"

namespace quillon {

// The own-ship centres, where each view moves the origin.
struct ViewOrigin {
    float x;
    float y;
};
constexpr ViewOrigin kFullCircleOrigin{500.0f, 500.0f};
constexpr ViewOrigin kForwardArcOrigin{500.0f, 975.0f};
constexpr ViewOrigin kGridOrigin{500.0f, 500.0f};

// The display modes that draw a view.
bool isView(int32_t displayMode);
// Whether the mode's fixed part changes with the range (the grid's does not).
bool fixedPartShowsRange(int32_t displayMode);

// Inside the view's container, origin at its own-ship centre.
void drawFullCircleFixedPart(render::Graphics& graphics, const render::ColourScheme& scheme, float rangeNm);
void drawForwardArcFixedPart(render::Graphics& graphics, const render::ColourScheme& scheme, float rangeNm);
void drawGridFixedPart(render::Graphics& graphics, const render::ColourScheme& scheme);

// Inside the view's container: the fixed part, or, when the surface already
// shows it from its backdrop, only the pen the part ends with. libgdiplus
// sets a pen up for the current transform only when a graphics object draws
// with another pen than its last one, so the sweep must find the surface as
// it would after the fixed part.
void drawFixedPartUnlessShown(int32_t displayMode, bool shownFromBackdrop, render::Graphics& graphics,
                              const render::ColourScheme& scheme, float rangeNm);

// The mode's fixed part in a container of its own, opened and closed as the
// view opens and closes its container on the surface.
void drawFixedPart(int32_t displayMode, render::Graphics& graphics, const render::ColourScheme& scheme,
                   float rangeNm);

}  // namespace quillon
