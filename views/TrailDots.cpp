#include "views/TrailDots.h"

#include <cmath>

#include "render/FrameBuffer.h"
#include "render/PixelBlend.h"
#include "traffic/OwnShip.h"
#include "views/TargetProcedure.h"

namespace quillon {
namespace {

void drawDot(render::Graphics& graphics, const TrailStyle& style, int age, render::PointF at) {
    const render::ColourScheme& scheme = *style.scheme;
    if (style.composed != nullptr) {
        const double radius = kTrailDotRadius * (style.scaleX + style.scaleY) * 0.5;
        const uint32_t colour = render::premultiplied(render::trailShade(scheme.colours, age));
        if (style.composed->blendDisc((at.X + style.originX) * style.scaleX, (at.Y + style.originY) * style.scaleY,
                                      radius, colour))
            return;
    }
    if (const render::SolidBrush* brush = scheme.trailBrushes[age].get())
        graphics.fillEllipse(*brush, at.X - kTrailDotRadius, at.Y - kTrailDotRadius, 2 * kTrailDotRadius,
                             2 * kTrailDotRadius);
}

}  // namespace

void drawTrailDots(render::Graphics& graphics, const TrailStyle& style, int slot, double headingDeg, float scale,
                   float rangeNm, BearingShown shown) {
    if (style.trails == nullptr || style.scheme == nullptr) return;
    const TrailPoint* points = nullptr;
    const int count = style.trails->positionsOf(slot, points);
    for (int age = count - 1; age >= 0; --age) {
        float distanceNm = 0.0f;
        float reversedBearing = 0.0f;
        greatCircle(style.own, Position{points[age].latitude, points[age].longitude, 0.0}, distanceNm,
                    reversedBearing);
        if (!(distanceNm <= rangeNm)) continue;
        const float relative = relativeBearingDegrees(trueBearingDegrees(reversedBearing), headingDeg);
        if (!shown(relative)) continue;
        const render::PointF at = pointOnBearing(static_cast<double>(distanceNm) * scale, relative);
        if (!std::isfinite(at.X) || !std::isfinite(at.Y)) continue;
        drawDot(graphics, style, age, at);
    }
}

}  // namespace quillon
