// The full-circle view's sweep: a line from the centre that turns 5 degrees
// clockwise each time the host clock changes, shared by every gauge.
#pragma once

#include "gauge/ViewOrigins.h"
#include "render/GdiPlusObjects.h"
#include "views/TargetProcedure.h"

namespace quillon {

constexpr float kFullCircleSweepStep = 5.0f;

struct FullCircleSweep {
    float angle = 0.0f;                             // clockwise from +x, a multiple of 5 in 0..355
    render::PointF tip{kFullCircleRadius, 0.0f};    // end of the line, from the view origin
    double lastTime = 0.0;                          // clock at the last step
};

// The one sweep of the module.
FullCircleSweep& fullCircleSweep();

// One step when the clock differs from the last step's; the tip turns with
// the matrix, which is reset first.
void stepFullCircleSweep(FullCircleSweep& sweep, double clock, render::Matrix& matrix);

// The 5 degrees of relative bearing that the last step swept over, ending
// at the sweep line.
SweepWindow fullCircleSweepWindow(float sweepAngle);

}  // namespace quillon
