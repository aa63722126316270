#include "tools/render-frames/TargetPicker.h"

#include <cmath>
#include <vector>

#include "gauge/ViewOrigins.h"
#include "host/PanelServices.h"
#include "sim/Geodesy.h"
#include "sim/Host.h"

namespace quillon::frames {

namespace {

constexpr double kFeetPerMetreAsTheViewsUse = 3.2808;
// Clicks select within 20 logical units; keep other targets twice as far.
constexpr double kClearance = 40.0;
// Room for the selection box and the vector inside the picture.
constexpr double kMargin = 40.0;

struct Plot {
    const sim::Aircraft* aircraft;
    double x;
    double y;
};

bool plotAircraft(sim::Host& host, const sim::Aircraft& aircraft, int radarMode, double rangeNm, Plot& plot) {
    const sim::Aircraft& own = host.traffic().own();
    const sim::LatLon from{own.latitudeDeg, own.longitudeDeg};
    const sim::LatLon to{aircraft.latitudeDeg, aircraft.longitudeDeg};
    const double distanceNm = sim::distanceMetres(from, to) / sim::kMetresPerNauticalMile;
    if (distanceNm > rangeNm) return false;  // not in the traffic list
    const double heading = host.moduleVariable(host::kVarOwnHeading);
    const double relative = std::fmod(std::fmod(sim::initialCourseDeg(from, to) - heading, 360.0) + 360.0, 360.0);
    const double radians = relative * sim::kPi / 180.0;
    const bool highEnough = aircraft.heightAboveGroundFt() > 100.0;
    plot.aircraft = &aircraft;
    switch (radarMode) {
        case 2: {
            const double scale = quillon::kFullCircleRadius / rangeNm;
            plot.x = quillon::kFullCircleOrigin.x + distanceNm * scale * std::sin(radians);
            plot.y = quillon::kFullCircleOrigin.y - distanceNm * scale * std::cos(radians);
            return true;
        }
        case 3: {
            if (!highEnough || (relative > 60.0 && relative < 300.0)) return false;
            const double scale = quillon::kForwardArcRadius / rangeNm;
            plot.x = quillon::kForwardArcOrigin.x + distanceNm * scale * std::sin(radians);
            plot.y = quillon::kForwardArcOrigin.y - distanceNm * scale * std::cos(radians);
            return true;
        }
        case 4: {
            const double signedBearing = relative > 180.0 ? relative - 360.0 : relative;
            if (!highEnough || std::fabs(signedBearing) > 20.0) return false;
            const double ownFeet = host.moduleVariable(host::kVarOwnAltitudeMetres) * kFeetPerMetreAsTheViewsUse;
            const double below = std::fmax(-500.0, std::fmin(500.0, (ownFeet - aircraft.altitudeFt) * 0.2));
            plot.x = quillon::kGridOrigin.x + 20.0 * signedBearing;
            plot.y = quillon::kGridOrigin.y + below;
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

PickedTarget pickTarget(sim::Host& host, int radarMode, double rangeNm) {
    std::vector<Plot> plots;
    for (const sim::Aircraft& aircraft : host.traffic().scenario().traffic) {
        Plot plot{};
        if (plotAircraft(host, aircraft, radarMode, rangeNm, plot)) plots.push_back(plot);
    }
    for (const Plot& candidate : plots) {
        if (candidate.x < kMargin || candidate.x > 1000.0 - kMargin || candidate.y < kMargin ||
            candidate.y > 1000.0 - kMargin)
            continue;
        bool crowded = false;
        for (const Plot& other : plots) {
            if (&other != &candidate &&
                std::hypot(other.x - candidate.x, other.y - candidate.y) < kClearance)
                crowded = true;
        }
        if (crowded) continue;
        return PickedTarget{true, candidate.aircraft->atcId, candidate.x, candidate.y};
    }
    return PickedTarget{};
}

}  // namespace quillon::frames
