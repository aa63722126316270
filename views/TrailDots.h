// The trails of the radar scopes: each aircraft's kept positions as small
// dots, placed as its cross is placed (distance and bearing from the own
// aircraft, turned by the own heading), so that a trail turns and slides
// with the picture.
#pragma once

#include "render/ColourScheme.h"
#include "render/GdiPlusObjects.h"
#include "traffic/Position.h"
#include "traffic/TrafficTrails.h"

namespace render {
class FrameBuffer;
}

namespace quillon {

// A dot's radius in logical units.
constexpr float kTrailDotRadius = 3.5f;

// What the dots of one frame are drawn with.
struct TrailStyle {
    const TrafficTrails* trails = nullptr;
    Position own{};  // the own aircraft, read once a frame
    const render::ColourScheme* scheme = nullptr;
    // The frame composed as memory, where the dots are blended (its world
    // maps to pixels as (world + origin) x scale); null: filled by GDI+.
    render::FrameBuffer* composed = nullptr;
    float originX = 0.0f;
    float originY = 0.0f;
    float scaleX = 0.0f;
    float scaleY = 0.0f;
};

// Whether a view shows what lies on a relative bearing (the arc its sector).
using BearingShown = bool (*)(float relativeBearingDeg);

// The dots of the aircraft in a list slot, the oldest first so that the
// newer lie over them; none beyond the range or off the view's bearings.
// `scale` is logical units per nautical mile.
void drawTrailDots(render::Graphics& graphics, const TrailStyle& style, int slot, double headingDeg, float scale,
                   float rangeNm, BearingShown shown);

}  // namespace quillon
