#include "views/TrailDots.h"

#include <cmath>

#include "render/FrameBuffer.h"
#include "render/PixelBlend.h"
#include "traffic/OwnShip.h"
#include "views/TargetProcedure.h"

namespace quillon {
namespace {

// The geometry's constants (traffic/OwnShip.cpp), so that a dot at an
// aircraft's place lies under its cross.
constexpr double kDegreesToRadians = 0.01745329238474369;
constexpr double kNauticalMilesPerRadian = 3437.746810913086;
// Beyond this the expansion's error nears a tenth of a unit at high
// latitudes: the place is worked out as a cross's is.
constexpr double kExpandedWithinNm = 80.0;

bool placeByGreatCircle(const TrailFrame& view, const TrailPoint& place, render::PointF& at, double& ahead) {
    float distanceNm = 0.0f;
    float reversedBearing = 0.0f;
    greatCircle(view.own, Position{place.latitude, place.longitude, 0.0}, distanceNm, reversedBearing);
    if (!(distanceNm <= view.rangeNm)) return false;
    const float relative = relativeBearingDegrees(trueBearingDegrees(reversedBearing), view.headingDeg);
    at = pointOnBearing(static_cast<double>(distanceNm) * view.unitsPerNm, relative);
    ahead = std::cos(relative * kDegreesToRadians);
    return std::isfinite(at.X) && std::isfinite(at.Y);
}

void drawDot(render::Graphics& graphics, const TrailStyle& style, int age, render::PointF at) {
    const render::ColourScheme& scheme = *style.scheme;
    if (style.composed != nullptr) {
        if (style.composed->blendDisc((at.X + style.originX) * style.scaleX, (at.Y + style.originY) * style.scaleY,
                                      trailDotPixels(style.scaleX, style.scaleY), style.premultipliedShades[age],
                                      style.stamp))
            return;
    }
    if (const render::SolidBrush* brush = scheme.trailBrushes[age].get())
        graphics.fillEllipse(*brush, at.X - kTrailDotRadius, at.Y - kTrailDotRadius, 2 * kTrailDotRadius,
                             2 * kTrailDotRadius);
}

}  // namespace

double trailDotPixels(float scaleX, float scaleY) { return kTrailDotRadius * (scaleX + scaleY) * 0.5; }

TrailFrame trailFrameFor(const Position& own, double headingDeg, float unitsPerNm, float rangeNm) {
    TrailFrame view;
    view.own = own;
    view.headingDeg = headingDeg;
    view.latitude = own.latitude * kDegreesToRadians;
    view.longitudeDeg = own.longitude;
    view.sinLatitude = std::sin(view.latitude);
    view.cosLatitude = std::cos(view.latitude);
    view.cosHeading = std::cos(headingDeg * kDegreesToRadians);
    view.sinHeading = std::sin(headingDeg * kDegreesToRadians);
    view.unitsPerNm = unitsPerNm;
    view.rangeNm = rangeNm;
    return view;
}

// Second-order expansions of the great circle's initial course and distance
// about the own aircraft: the course's north part gains the meridians'
// convergence, sin(lat1) cos(lat2) dlon^2 / 2, and the distance is the
// haversine's for small angles.
bool placeOnView(const TrailFrame& view, const TrailPoint& place, render::PointF& at, double& ahead) {
    const double dLatitude = place.latitude * kDegreesToRadians - view.latitude;
    double dLongitudeDeg = place.longitude - view.longitudeDeg;
    // Nearly always within half a turn already; the remainder only across
    // the date line (and for a host's longitude past a turn).
    if (!(std::fabs(dLongitudeDeg) <= 180.0)) {
        dLongitudeDeg = std::fmod(dLongitudeDeg, 360.0);
        if (dLongitudeDeg > 180.0) dLongitudeDeg -= 360.0;
        if (dLongitudeDeg < -180.0) dLongitudeDeg += 360.0;
    }
    const double dLongitude = dLongitudeDeg * kDegreesToRadians;
    const double cosLatitude =
        view.cosLatitude * (1.0 - dLatitude * dLatitude * 0.5) - view.sinLatitude * dLatitude;
    const double east = dLongitude * cosLatitude;
    const double north = dLatitude + view.sinLatitude * cosLatitude * dLongitude * dLongitude * 0.5;
    const double radians = std::sqrt(dLatitude * dLatitude + view.cosLatitude * cosLatitude * dLongitude * dLongitude);
    const double distanceNm = radians * kNauticalMilesPerRadian;
    if (!(distanceNm <= view.rangeNm)) return false;  // NaN too
    if (distanceNm > kExpandedWithinNm) return placeByGreatCircle(view, place, at, ahead);
    const double course = std::sqrt(east * east + north * north);
    if (!(course > 0.0)) {
        at = render::PointF{0.0f, 0.0f};
        ahead = 1.0;
        return true;
    }
    // Turned into the heading-up picture.
    const double right = (east * view.cosHeading - north * view.sinHeading) / course;
    ahead = (east * view.sinHeading + north * view.cosHeading) / course;
    const double length = distanceNm * view.unitsPerNm;
    at = render::PointF{static_cast<float>(right * length), static_cast<float>(-ahead * length)};
    return true;
}

void drawTrailDots(render::Graphics& graphics, const TrailStyle& style, int slot, float halfWidthDeg) {
    if (style.trails == nullptr || style.scheme == nullptr) return;
    const TrailPoint* points = nullptr;
    const int count = style.trails->positionsOf(slot, points);
    if (count == 0) return;
    const double leastAhead = halfWidthDeg >= 180.0f ? -2.0 : std::cos(halfWidthDeg * kDegreesToRadians);
    for (int age = count - 1; age >= 0; --age) {
        render::PointF at{};
        double ahead = 0.0;
        if (!placeOnView(style.view, points[age], at, ahead) || ahead < leastAhead) continue;
        drawDot(graphics, style, age, at);
    }
}

}  // namespace quillon
