// The spokes of the radar scopes: lines from the own aircraft, one per
// equal turn.
#pragma once

#include "render/GdiPlusObjects.h"

namespace quillon {

// Starting from (radius, 0), the point is turned `count` times by
// `turnDeg` with the matrix (reset before each turn) and a line drawn to it
// after every turn: the point accumulates the turns, so the spokes lie at
// turnDeg, 2 turnDeg, ... from +x.
void drawSpokes(render::Graphics& graphics, const render::Pen& pen, render::Matrix& matrix, float radius,
                float turnDeg, int count);

}  // namespace quillon
