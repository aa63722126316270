#include "views/FullCircleSweep.h"

#include <cmath>

namespace quillon {

FullCircleSweep& fullCircleSweep() {
    static FullCircleSweep sweep;
    return sweep;
}

namespace {

// A full turn's worth of owed turns at most: the calls per frame stay bounded
// while the matrix cannot be had.
constexpr int kMostStepsOwed = 72;

void turnOwedSteps(FullCircleSweep& sweep, render::Matrix& matrix) {
    while (sweep.stepsOwed > 0) {
        render::PointF tip = sweep.tip;
        const uint64_t failedBefore = render::failedGdiCalls();
        matrix.reset();
        matrix.rotate(kFullCircleSweepStep);
        matrix.transformPoints(&tip, 1);
        if (render::failedGdiCalls() != failedBefore) return;
        sweep.tip = tip;
        --sweep.stepsOwed;
    }
}

}  // namespace

void stepFullCircleSweep(FullCircleSweep& sweep, double clock, render::Matrix& matrix) {
    if (sameClockReading(clock, sweep.lastTime)) return;
    sweep.angle = std::fmod(sweep.angle + kFullCircleSweepStep, 360.0f);
    sweep.stepsOwed = sweep.stepsOwed < kMostStepsOwed ? sweep.stepsOwed + 1 : 1;
    turnOwedSteps(sweep, matrix);
    sweep.lastTime = clock;
}

SweepWindow fullCircleSweepWindow(float sweepAngle) {
    // +90 turns a direction from +x into a bearing from the top of the view.
    const float lo = std::fmod(sweepAngle + 90.0f - kFullCircleSweepStep, 360.0f);
    float hi = std::fmod(sweepAngle + 90.0f, 360.0f);
    if (hi < lo) hi += 360.0f;
    return SweepWindow{lo, hi};
}

}  // namespace quillon
