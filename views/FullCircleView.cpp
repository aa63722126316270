// The full-circle view: range rings with labels, spokes, the turning sweep
// and every target of the list around the own aircraft at the centre.
#include "views/FullCircleSweep.h"

#include "gauge/RadarGauge.h"
#include "render/SharedGdiObjects.h"
#include "views/FixedParts.h"
#include "views/RingLabels.h"
#include "views/Spokes.h"
#include "views/ViewFrame.h"

namespace quillon {
namespace {

constexpr float kRingSpacing = kFullCircleRadius / 4;  // 118.75
constexpr int kSpokes = 12;
constexpr float kSpokeStep = 30.0f;

void drawRangeRings(render::Graphics& graphics, const render::ColourScheme& scheme,
                    const render::StringFormat& labelFormat, float rangeNm) {
    // Ring 0 is a zero-size ellipse at the centre and carries no label.
    for (float ring = 0.0f; ring <= 4.0f; ring += 1.0f) {
        const float radius = kRingSpacing * ring;
        graphics.drawEllipse(*scheme.dashedPen, -radius, -radius, 2 * radius, 2 * radius);
        if (ring > 0.0f) {
            drawRingLabel(graphics, *scheme.smallFont, *scheme.dimBrush, labelFormat, ring, rangeNm, radius);
        }
    }
    graphics.drawEllipse(*scheme.dimPen, -kFullCircleRadius, -kFullCircleRadius, 2 * kFullCircleRadius,
                         2 * kFullCircleRadius);
}

}  // namespace

void drawFullCircleFixedPart(render::Graphics& graphics, const render::ColourScheme& scheme, float rangeNm) {
    render::StringFormat& labelFormat = render::sharedStringFormat(render::SharedFormat::FullCircleLabel);
    labelFormat.setAlignment(gdip::kStringAlignmentCenter);
    drawRangeRings(graphics, scheme, labelFormat, rangeNm);
    // One spoke every 30 degrees; the one straight up runs through the labels.
    drawSpokes(graphics, *scheme.dimPen, render::sharedMatrix(render::SharedMatrix::ViewSpokes), kFullCircleRadius,
               kSpokeStep, kSpokes);
}

void RadarGauge::drawFullCircleView() {
    if (!viewCanDraw()) return;
    render::Graphics& graphics = *graphics_;

    const auto container = openView(kFullCircleOrigin.x, kFullCircleOrigin.y);
    drawFixedPartUnlessShown(kFullCircleView, fixedPartShown_, graphics, scheme_, rangeNm_);

    const HeadingAndClock readings = lookUpHeadingThenClock();

    FullCircleSweep& sweep = fullCircleSweep();
    stepFullCircleSweep(sweep, readings.now, render::sharedMatrix(render::SharedMatrix::FullCircleSweep));
    graphics.drawLine(*scheme_.brightPen, 0.0f, 0.0f, sweep.tip.X, sweep.tip.Y);

    TargetProcedure procedure = targetProcedure(
        TargetFrame{readings.now, readings.headingDeg, kFullCircleRadius / rangeNm_, fullCircleSweepWindow(sweep.angle)});
    selectedDrawn_ = 0;

    for (int index = firstListedTarget(); index < static_cast<int>(trafficList_->count()); ++index) {
        TrafficTarget* target = trafficList_->item(index);
        if (target == nullptr) break;
        if (procedure.hidden(*target)) continue;  // by the pilot's filter: not even faded
        procedure.run(index, *target);
    }

    closeView(container);
}

}  // namespace quillon
