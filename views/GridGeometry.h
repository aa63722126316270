// The grid view's numbers: the scanning sweep, where a target lies on the
// profile (relative bearing across, altitude difference up and down), and
// its trend line. No drawing here.
#pragma once

#include <algorithm>
#include <cmath>

#include "gauge/RadarView.h"
#include "numeric/FloatRemainder.h"
#include "views/SwingingSweep.h"
#include "views/TargetProcedure.h"
#include "views/TrafficFilter.h"

namespace quillon {

struct GridLayout {
    static constexpr float kLeftEdge = -400.0f;
    static constexpr float kRightEdge = 400.0f;
    static constexpr float kUnitsPerDegree = (kRightEdge - kLeftEdge) * 0.025f;  // 800 units over 40 degrees
    static constexpr float kUnitsPerFoot = 0.2f;  // single precision, like the edges
    static constexpr float kSpacing = 200.0f;  // 10 degrees across, 1,000 ft up and down
    static constexpr float kHalfHeight = 500.0f;
    static constexpr float kSectorDegrees = 20.0f;
    static constexpr float kSweepStep = 20.0f;
};

// An inclusive span of x in grid units.
struct GridSpan {
    float lo;
    float hi;
    bool contains(float x) const { return lo <= x && x <= hi; }
};

// The scanning sweep: x of the vertical line, moving one degree (20 units)
// per change of the clock and turning at the grid's edges.
struct GridSweep {
    float position = 0.0f;
    float direction = 1.0f;
    double lastTime = 0.0;

    void advance(double now) {
        swingSweep(position, direction, lastTime, now, GridLayout::kSweepStep, GridLayout::kLeftEdge,
                   GridLayout::kRightEdge);
    }

    // The stretch the last step covered; at a turn it lies beyond the edge.
    GridSpan window() const {
        const float previous = position - direction * GridLayout::kSweepStep;
        return {std::min(previous, position), std::max(previous, position)};
    }
};

// The bearing relative to the nose in (-180, 180], positive to the right.
inline float signedRelativeBearing(float trueBearingDeg, double headingDeg) {
    double relative = floatRemainder(static_cast<double>(trueBearingDeg) - headingDeg, 360.0);
    relative = floatRemainder(relative + 360.0, 360.0);
    if (relative > 180.0) relative -= 360.0;
    return static_cast<float>(relative);
}

inline bool insideGridSector(float signedBearingDeg) {
    return !(signedBearingDeg < -GridLayout::kSectorDegrees || signedBearingDeg > GridLayout::kSectorDegrees);
}

// Where the target lies on the profile, relative to the grid's centre:
// higher targets higher up, clamped to the top and bottom edges; across, the
// bearing is not clamped (targets beyond the sector are not drawn anyway).
inline PlotPosition gridPlotPosition(float signedBearingDeg, double ownAltitudeMetres, double targetAltitudeFeet) {
    // Below the own altitude is down the picture.
    double y = -relativeAltitudeFeet(ownAltitudeMetres, targetAltitudeFeet) * GridLayout::kUnitsPerFoot;
    if (y <= -GridLayout::kHalfHeight) y = -GridLayout::kHalfHeight;
    if (y >= GridLayout::kHalfHeight) y = GridLayout::kHalfHeight;
    return {GridLayout::kUnitsPerDegree * signedBearingDeg, static_cast<float>(y)};
}

// The far end of the trend line: up for a climb, down for a descent; its
// length is the height gained or lost in 15 seconds at the grid's scale.
inline float trendLineEndY(float y, double verticalSpeedFpm) {
    // 0.05 units per ft/min, multiplied out in the host's order.
    return static_cast<float>(y - boundedSymbolLength(verticalSpeedFpm * 0.0005 * 100));
}

// The one sweep of the module, shared by every gauge and surface in grid mode.
inline GridSweep& gridSweep() {
    static GridSweep sweep;
    return sweep;
}

}  // namespace quillon
