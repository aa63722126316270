// The step of the sweeps that swing to and fro: the forward arc's between
// the sector's edges, the grid's between its outer lines.
#pragma once

#include "views/TargetProcedure.h"

namespace quillon {

// A sweep that swings between two ends: one step per change of the host
// clock, then, on every call, an overshoot is clamped back to the end it
// passed and the direction turns (both comparisons strict), so the line
// rests at each end for two consecutive steps.
inline void swingSweep(float& value, float& direction, double& lastTime, double now, float step, float low,
                       float high) {
    if (!sameClockReading(now, lastTime)) {
        value += direction * step;
        lastTime = now;
    }
    if (value > high) {
        value = high;
        direction = -direction;
    } else if (value < low) {
        value = low;
        direction = -direction;
    }
}

}  // namespace quillon
