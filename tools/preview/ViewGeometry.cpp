#include "tools/preview/ViewGeometry.h"

#include <cmath>
#include <cstdio>

#include "gauge/ViewOrigins.h"

namespace preview {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kNmPerRadian = 3437.746810913086;

// Scale of each view in the 1000 x 1000 logical space; the origins and
// the scopes' radii are the module's own.
constexpr double kCircleRadius = quillon::kFullCircleRadius;
constexpr double kArcRadius = quillon::kForwardArcRadius;
constexpr double kArcHalfWidthDeg = 60.0;
constexpr double kGridUnitsPerDeg = 20.0;
constexpr double kGridUnitsPerFoot = 0.2;
constexpr double kGridHalfWidthDeg = 20.0;
constexpr double kGridHalfHeight = 500.0;
constexpr double kMinimumHeightFeet = 100.0;
constexpr double kFeetPerMetre = 3.2808;

// Edges included: the grid draws aircraft far above or below on its edges.
bool insideLogicalSpace(double x, double y) { return x >= 0 && y >= 0 && x <= 1000 && y <= 1000; }

std::string describe(const std::string& format, double value) {
    char text[160];
    std::snprintf(text, sizeof text, format.c_str(), value);
    return text;
}

// The filter bands: relative altitudes shown, both limits included.
struct Band {
    double lowest;
    double highest;
};
constexpr Band kBands[] = {{-2700.0, 2700.0}, {-2700.0, 9900.0}, {-9900.0, 2700.0}};

}  // namespace

std::string filterName(int filter) {
    static const char* const kNames[] = {"all", "airborne", "normal", "above", "below"};
    return filter >= 0 && filter <= 4 ? kNames[filter] : std::to_string(filter);
}

std::string filterHides(int filter, const OwnShipFix& own, const AircraftFix& aircraft) {
    if (filter < 1 || filter > 4) return "";
    if (aircraft.aboveGroundFeet <= kMinimumHeightFeet)
        return describe("hidden by the filter (" + filterName(filter) + "): it is %.0f ft above ground, not airborne",
                        aircraft.aboveGroundFeet);
    if (filter == 1) return "";
    const Band band = kBands[filter - 2];
    const double relative = aircraft.altitudeFeet - own.altitudeFeet;
    if (relative >= band.lowest && relative <= band.highest) return "";
    char text[200];
    std::snprintf(text, sizeof text, "hidden by the filter (%s, %+.0f to %+.0f ft): it is %+.0f ft from your altitude",
                  filterName(filter).c_str(), band.lowest, band.highest, relative);
    return text;
}

void distanceAndBearing(double fromLatDeg, double fromLonDeg, double toLatDeg, double toLonDeg, double& distanceNm,
                        double& bearingDeg) {
    const double k = kPi / 180.0;
    const double p1 = fromLatDeg * k, p2 = toLatDeg * k;
    const double dl = (toLonDeg - fromLonDeg) * k;
    double s = std::sin(p1) * std::sin(p2) + std::cos(p1) * std::cos(p2) * std::cos(dl);
    if (s > 1.0) s = 1.0;
    if (s < -1.0) s = -1.0;
    distanceNm = std::acos(s) * kNmPerRadian;
    const double y = std::sin(dl) * std::cos(p2);
    const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    bearingDeg = std::fmod(std::atan2(y, x) / k + 360.0, 360.0);
}

Plot plotInView(View view, const OwnShipFix& own, const AircraftFix& aircraft, double rangeNm, int filter) {
    Plot plot;
    double trueBearing = 0;
    distanceAndBearing(own.latitudeDeg, own.longitudeDeg, aircraft.latitudeDeg, aircraft.longitudeDeg,
                       plot.distanceNm, trueBearing);
    const double relative = std::fmod(std::fmod(trueBearing - own.headingDeg, 360.0) + 360.0, 360.0);
    plot.relativeBearingDeg = relative;
    const double a = relative * kPi / 180.0;
    const bool tooLow = aircraft.aboveGroundFeet <= kMinimumHeightFeet;
    plot.whyHidden = filterHides(filter, own, aircraft);
    if (!plot.whyHidden.empty()) return plot;

    switch (view) {
        case View::FullCircle: {
            const double r = plot.distanceNm * kCircleRadius / rangeNm;
            plot.x = quillon::kFullCircleOrigin.x + r * std::sin(a);
            plot.y = quillon::kFullCircleOrigin.y - r * std::cos(a);
            break;
        }
        case View::ForwardArc: {
            if (tooLow) {
                plot.whyHidden = describe("it is %.0f ft above ground; the forward arc shows only aircraft above 100 ft",
                                          aircraft.aboveGroundFeet);
                return plot;
            }
            if (relative > kArcHalfWidthDeg && relative < 360.0 - kArcHalfWidthDeg) {
                plot.whyHidden = describe(
                    "it is at relative bearing %.0f deg, outside the forward arc (60 deg either side of the nose)",
                    relative);
                return plot;
            }
            const double r = plot.distanceNm * kArcRadius / rangeNm;
            plot.x = quillon::kForwardArcOrigin.x + r * std::sin(a);
            plot.y = quillon::kForwardArcOrigin.y - r * std::cos(a);
            break;
        }
        case View::Grid: {
            if (tooLow) {
                plot.whyHidden = describe("it is %.0f ft above ground; the grid shows only aircraft above 100 ft",
                                          aircraft.aboveGroundFeet);
                return plot;
            }
            const double signedBearing = relative > 180.0 ? relative - 360.0 : relative;
            if (std::fabs(signedBearing) > kGridHalfWidthDeg) {
                plot.whyHidden = describe(
                    "it is at relative bearing %+.0f deg, outside the grid (20 deg either side of the nose)",
                    signedBearing);
                return plot;
            }
            double y = (own.altitudeFeet - aircraft.altitudeFeet) * kGridUnitsPerFoot;
            if (y < -kGridHalfHeight) y = -kGridHalfHeight;
            if (y > kGridHalfHeight) y = kGridHalfHeight;
            plot.x = quillon::kGridOrigin.x + signedBearing * kGridUnitsPerDeg;
            plot.y = quillon::kGridOrigin.y + y;
            break;
        }
    }
    if (!insideLogicalSpace(plot.x, plot.y)) {
        plot.whyHidden = describe("it is %.1f NM away and plotted outside the gauge at this range", plot.distanceNm);
        return plot;
    }
    plot.shown = true;
    return plot;
}

Plot plotAdvisory(View view, const OwnShipFix& own, const AircraftFix& aircraft, double rangeNm) {
    Plot plot = plotInView(view, own, aircraft, rangeNm);
    const bool beyond = plot.distanceNm > rangeNm;
    const double signedBearing = plot.relativeBearingDeg > 180.0 ? plot.relativeBearingDeg - 360.0 : plot.relativeBearingDeg;
    switch (view) {
        case View::FullCircle:
            if (beyond) {
                const double a = plot.relativeBearingDeg * kPi / 180.0;
                plot.x = quillon::kFullCircleOrigin.x + kCircleRadius * std::sin(a);
                plot.y = quillon::kFullCircleOrigin.y - kCircleRadius * std::cos(a);
            }
            break;
        case View::ForwardArc:
            if (beyond || std::fabs(signedBearing) > kArcHalfWidthDeg) {
                const double edge = std::fmax(-kArcHalfWidthDeg, std::fmin(kArcHalfWidthDeg, signedBearing)) * kPi / 180.0;
                const double r = std::fmin(plot.distanceNm * kArcRadius / rangeNm, kArcRadius);
                plot.x = quillon::kForwardArcOrigin.x + r * std::sin(edge);
                plot.y = quillon::kForwardArcOrigin.y - r * std::cos(edge);
            }
            break;
        case View::Grid:
            if (std::fabs(signedBearing) > kGridHalfWidthDeg) {
                const double y = std::fmax(-kGridHalfHeight, std::fmin(kGridHalfHeight, (own.altitudeFeet - aircraft.altitudeFeet) * kGridUnitsPerFoot));
                plot.x = quillon::kGridOrigin.x + (signedBearing > 0 ? kGridHalfWidthDeg : -kGridHalfWidthDeg) * kGridUnitsPerDeg;
                plot.y = quillon::kGridOrigin.y + y;
            }
            break;
    }
    plot.shown = true;
    plot.whyHidden.clear();
    return plot;
}

int logicalToPixel(double logical, int pixels) {
    if (logical > 999.0) logical = 999.0;  // the last pixel still reaches an edge point
    const int p = static_cast<int>(std::floor((logical + 0.5) * pixels / 1000.0));
    return p < 0 ? 0 : (p >= pixels ? pixels - 1 : p);
}

double pixelToLogical(double pixel, int pixels) { return pixel * 1000.0 / pixels; }

}  // namespace preview
