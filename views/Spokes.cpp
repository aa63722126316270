#include "views/Spokes.h"

namespace quillon {

void drawSpokes(render::Graphics& graphics, const render::Pen& pen, render::Matrix& matrix, float radius,
                float turnDeg, int count) {
    render::PointF point{radius, 0.0f};
    for (int spoke = 0; spoke < count; ++spoke) {
        matrix.reset();
        matrix.rotate(turnDeg);
        matrix.transformPoints(&point, 1);
        graphics.drawLine(pen, 0.0f, 0.0f, point.X, point.Y);
    }
}

}  // namespace quillon
