#include "views/FullCircleSweep.h"

#include <cmath>

namespace quillon {

FullCircleSweep& fullCircleSweep() {
    static FullCircleSweep sweep;
    return sweep;
}

void stepFullCircleSweep(FullCircleSweep& sweep, double clock, render::Matrix& matrix) {
    if (sameClockReading(clock, sweep.lastTime)) return;
    sweep.angle = std::fmod(sweep.angle + kFullCircleSweepStep, 360.0f);
    matrix.reset();
    matrix.rotate(kFullCircleSweepStep);
    matrix.transformPoints(&sweep.tip, 1);
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
