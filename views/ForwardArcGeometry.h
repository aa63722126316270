// The forward-arc view's sweep and sector in numbers: how the sweep swings
// between the two edges of the sector, which relative bearings its last step
// covered, and which bearings the view shows. No drawing here.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "views/SwingingSweep.h"
#include "views/TrafficFilter.h"
#include "views/TargetProcedure.h"

namespace quillon {

// The swinging sweep. The angle is a screen direction in degrees clockwise
// from +x: -30 is the right edge of the sector, -90 straight up, -150 the
// left edge.
struct ArcSweep {
    static constexpr float kRightEdge = -30.0f;
    static constexpr float kLeftEdge = -150.0f;
    static constexpr float kStep = 5.0f;

    float angle = 0.0f;
    float direction = 1.0f;
    double lastTime = 0.0;

    // One step per change of the clock. The edge check runs on every call,
    // so the very first call pulls the load state (0 degrees) onto the right
    // edge and turns the sweep towards the left.
    void advance(double now) { swingSweep(angle, direction, lastTime, now, kStep, kLeftEdge, kRightEdge); }

    // The relative bearings the last step covered, ending at the sweep line.
    // Adding 450 turns a screen direction into a bearing from the top and
    // keeps the remainder's argument positive.
    SweepWindow window() const {
        const float previous = angle - direction * kStep;
        const float lo = std::fmod(std::min(angle, previous) + 450.0f, 360.0f);
        float hi = std::fmod(std::max(angle, previous) + 450.0f, 360.0f);
        if (hi < lo) hi += 360.0f;
        return {lo, hi};
    }
};

// Within 60 degrees either side of the nose, both limits included; the
// relative bearing runs from 0 to below 360.
inline bool insideForwardSector(float relativeBearing) {
    return relativeBearing >= 300.0f || relativeBearing <= 60.0f;
}

// The one sweep of the module: every gauge and surface showing the view
// sees it. Plain static data, in its load state until the first call.
inline ArcSweep& forwardArcSweep() {
    static ArcSweep sweep;
    return sweep;
}

}  // namespace quillon
