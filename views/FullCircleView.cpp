#include "views/FullCircleView.h"

#include "render/SharedGdiObjects.h"
#include "views/FullCircleSweep.h"
#include "views/RingLabels.h"
#include "views/Spokes.h"
#include "views/TagLayout.h"
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

void FullCircleView::drawFixedPart(render::Graphics& graphics, const render::ColourScheme& scheme,
                                   float rangeNm) const {
    render::StringFormat& labelFormat = render::sharedStringFormat(render::SharedFormat::FullCircleLabel);
    labelFormat.setAlignment(gdip::kStringAlignmentCenter);
    drawRangeRings(graphics, scheme, labelFormat, rangeNm);
    // One spoke every 30 degrees; the one straight up runs through the labels.
    drawSpokes(graphics, *scheme.dimPen, render::sharedMatrix(render::SharedMatrix::ViewSpokes), kFullCircleRadius,
               kSpokeStep, kSpokes);
}

void FullCircleView::drawLivePart(LiveFrame& frame) {
    const HeadingAndClock readings = lookUpHeadingThenClock(frame.panel);

    FullCircleSweep& sweep = fullCircleSweep();
    stepFullCircleSweep(sweep, readings.now, render::sharedMatrix(render::SharedMatrix::FullCircleSweep));
    frame.graphics.drawLine(*frame.scheme.brightPen, 0.0f, 0.0f, sweep.tip.X, sweep.tip.Y);

    FrameTags tags;
    TrailStyle trailStyle{};
    TargetProcedure procedure = scopeTargetProcedure(
        frame, origin(),
        TargetFrame{&frame.panel, readings.now, readings.headingDeg, kFullCircleRadius / frame.rangeNm,
                    fullCircleSweepWindow(sweep.angle)},
        tags, trailStyle);
    if (tags.any) frameTagLayout().keepClearOfRingLabels(kRingSpacing, frame.rangeNm);

    TrafficList& list = frame.traffic;
    for (int index = firstListedTarget(list); index < static_cast<int>(list.count()); ++index) {
        TrafficTarget* target = list.item(index);
        if (target == nullptr) break;
        // An advisory shows whatever the filter and the range.
        const AdvisoryClass advisory = procedure.advisoryClassOf(index);
        const bool threat = advisory == AdvisoryClass::kTrafficAdvisory;
        if (!threat && procedure.hidden(*target)) continue;  // by the pilot's filter: not even faded
        const TargetFix fix = procedure.locate(*target);
        const bool beyond = procedure.beyondRange(fix);
        if (beyond && !threat) continue;
        const render::Pen& pen = procedure.paint(*target, fix.relativeBearingDeg, advisory);
        if (beyond) {
            // On the outer ring, half of it turned towards the centre.
            const render::PointF at = pointOnBearing(kFullCircleRadius, fix.relativeBearingDeg);
            procedure.plotAtEdge(index, *target, fix, at, screenDirectionOf(fix.relativeBearingDeg + 180.0), pen);
            continue;
        }
        procedure.plotTrail(index, 180.0f);
        procedure.plot(index, *target, fix, pen, advisory);
    }
    finishFrameTags(frame, tags);
}

}  // namespace quillon
