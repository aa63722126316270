#include "views/ForwardArcView.h"

#include "render/SharedGdiObjects.h"
#include "views/ForwardArcGeometry.h"
#include "views/RingLabels.h"
#include "views/Spokes.h"
#include "views/TargetProcedure.h"
#include "views/ViewFrame.h"

namespace quillon {
namespace {

constexpr float kOuterRadius = kForwardArcRadius;
constexpr float kArcSpacing = kOuterRadius / 4;  // 237.5
// GDI+ measures arc angles clockwise from +x: from -30 anticlockwise to
// -150 is relative bearing 60 through 0 to 300.
constexpr float kArcStart = -30.0f;
constexpr float kArcSweep = -120.0f;
constexpr float kSpokeTurn = -30.0f;
constexpr int kSpokes = 5;

void drawRangeArc(render::Graphics& graphics, const render::Pen& pen, float radius) {
    graphics.drawArc(pen, -radius, -radius, 2 * radius, 2 * radius, kArcStart, kArcSweep);
}

// Four dashed arcs, each labelled at its top (arc 0 is a zero-size arc
// without a label), then the solid outer arc over the last dashed one.
void drawRangeArcs(render::Graphics& graphics, const render::ColourScheme& scheme,
                   const render::StringFormat& labelFormat, float rangeNm) {
    for (float ring = 0.0f; ring <= 4.0f; ring += 1.0f) {
        const float radius = kArcSpacing * ring;
        drawRangeArc(graphics, *scheme.dashedPen, radius);
        if (ring > 0.0f) {
            drawRingLabel(graphics, *scheme.smallFont, *scheme.dimBrush, labelFormat, ring, rangeNm, radius);
        }
    }
    drawRangeArc(graphics, *scheme.dimPen, kOuterRadius);
}

// The tip is computed afresh from the angle on every call.
void drawSweepLine(render::Graphics& graphics, const render::Pen& pen, const ArcSweep& sweep) {
    render::Matrix& matrix = render::sharedMatrix(render::SharedMatrix::ForwardArcSweep);
    render::PointF tip{kOuterRadius, 0.0f};
    matrix.reset();
    matrix.rotate(sweep.angle);
    matrix.transformPoints(&tip, 1);
    graphics.drawLine(pen, 0.0f, 0.0f, tip.X, tip.Y);
}

}  // namespace

void ForwardArcView::drawFixedPart(render::Graphics& graphics, const render::ColourScheme& scheme,
                                   float rangeNm) const {
    render::StringFormat& labelFormat = render::sharedStringFormat(render::SharedFormat::ForwardArcLabel);
    labelFormat.setAlignment(gdip::kStringAlignmentCenter);
    drawRangeArcs(graphics, scheme, labelFormat, rangeNm);
    // The two edges of the sector and three spokes between them, the middle
    // one straight up through the labels.
    drawSpokes(graphics, *scheme.dimPen, render::sharedMatrix(render::SharedMatrix::ViewSpokes), kOuterRadius,
               kSpokeTurn, kSpokes);
}

void ForwardArcView::drawLivePart(LiveFrame& frame) {
    const HeadingAndClock readings = lookUpHeadingThenClock(frame.panel);

    ArcSweep& sweep = forwardArcSweep();
    sweep.advance(readings.now);
    drawSweepLine(frame.graphics, *frame.scheme.brightPen, sweep);

    TagStyle tagStyle{};
    TargetProcedure procedure = scopeTargetProcedure(
        frame, origin(),
        TargetFrame{&frame.panel, readings.now, readings.headingDeg, kOuterRadius / frame.rangeNm, sweep.window()},
        tagStyle);

    TrafficList& list = frame.traffic;
    for (int index = firstListedTarget(list); index < static_cast<int>(list.count()); ++index) {
        TrafficTarget* target = list.item(index);
        if (target == nullptr) break;  // never past the list's slots
        // Aircraft on or near the ground, or hidden by the pilot's filter, are
        // left alone, even their fading.
        if (!highEnoughToShow(target->altitudeAboveGround()) || procedure.hidden(*target)) continue;
        const TargetFix fix = procedure.locate(*target);
        // Paint and fade every target above the ground, in the sector or not.
        const render::Pen& pen = procedure.paint(*target, fix.relativeBearingDeg);
        if (!insideForwardSector(fix.relativeBearingDeg)) continue;
        procedure.plot(index, *target, fix, pen);
    }
}

}  // namespace quillon
