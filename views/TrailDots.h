// The trails of the radar scopes: each aircraft's kept positions as small
// dots, placed where its cross would be at that place (distance and bearing
// from the own aircraft, turned by the own heading), so that a trail turns
// and slides with the picture.
#pragma once

#include "render/ColourScheme.h"
#include "render/GdiPlusObjects.h"
#include "render/LineRaster.h"
#include "traffic/Position.h"
#include "traffic/TrafficTrails.h"

namespace render {
class FrameBuffer;
}

namespace quillon {

// A dot's radius in logical units: half the cross's arm, and a frame of
// 300 aircraft blends some 20,000 pixels of dots.
constexpr float kTrailDotRadius = 2.5f;

// The own aircraft and the view, worked out once a frame: a frame may have
// a few thousand dots, each placed without a trigonometric call.
struct TrailFrame {
    Position own{};
    double headingDeg = 0.0;
    double latitude = 0.0;  // radians
    double longitudeDeg = 0.0;
    double sinLatitude = 0.0;
    double cosLatitude = 1.0;
    double cosHeading = 1.0;
    double sinHeading = 0.0;
    double unitsPerNm = 0.0;
    double rangeNm = 0.0;
};
TrailFrame trailFrameFor(const Position& own, double headingDeg, float unitsPerNm, float rangeNm);

// Where a place lies in the view's logical units from its origin (x right,
// y down); false beyond the range, or where the numbers are not usable.
// Near places are placed without a trigonometric call, their distance and
// bearing the great circle's to a hundredth of a mile at 40 NM (the error
// grows with the cube of the distance); far ones by the great circle
// itself, as the crosses are. `ahead` is the share of the distance
// that lies straight ahead (1 dead ahead, -1 behind).
bool placeOnView(const TrailFrame& view, const TrailPoint& place, render::PointF& at, double& ahead);

// What the dots of one frame are drawn with.
struct TrailStyle {
    const TrafficTrails* trails = nullptr;
    TrailFrame view;
    const render::ColourScheme* scheme = nullptr;
    // The frame composed as memory, where the dots are blended (its world
    // maps to pixels as (world + origin) x scale); null: filled by GDI+.
    render::FrameBuffer* composed = nullptr;
    float originX = 0.0f;
    float originY = 0.0f;
    float scaleX = 0.0f;
    float scaleY = 0.0f;
    // The dots' coverage, made once a frame for a composed frame (null: each
    // dot measured on its own).
    const render::DiscStamp* stamp = nullptr;
    render::DiscStamp stampStorage;
    uint32_t premultipliedShades[render::kTrailShades] = {};
};

// A dot's radius in pixels at the scale.
double trailDotPixels(float scaleX, float scaleY);

// The dots of the aircraft in a list slot, the oldest first so that the
// newer lie over them; none beyond the range or further off the nose than
// the view's half width (180 for the full circle).
void drawTrailDots(render::Graphics& graphics, const TrailStyle& style, int slot, float halfWidthDeg);

}  // namespace quillon
