#include "views/ForwardArcView.h"

#include "render/SharedGdiObjects.h"
#include "views/ForwardArcGeometry.h"
#include "views/RingLabels.h"
#include "views/Spokes.h"
#include "views/TagLayout.h"
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
constexpr double kSectorHalfWidth = 60.0;

void drawRangeArc(render::Graphics& graphics, const render::Pen& pen, float radius) {
    graphics.drawArc(pen, -radius, -radius, 2 * radius, 2 * radius, kArcStart, kArcSweep);
}

// Four dashed arcs, each labelled at its top, then the solid outer arc over
// the last dashed one. Arc 0 would be of no size: it shows nothing, and
// Windows' GDI+ refuses it (a failed call, which would keep the backdrop from
// ever counting as painted).
void drawRangeArcs(render::Graphics& graphics, const render::ColourScheme& scheme,
                   const render::StringFormat& labelFormat, float rangeNm) {
    for (float ring = 1.0f; ring <= 4.0f; ring += 1.0f) {
        const float radius = kArcSpacing * ring;
        drawRangeArc(graphics, *scheme.dashedPen, radius);
        drawRingLabel(graphics, *scheme.smallFont, *scheme.dimBrush, labelFormat, ring, rangeNm, radius);
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

// An advisory outside the sector, or beyond the range: on the sector's side
// nearest its bearing at its distance (or on the outer arc), half of its
// symbol turned into the sector.
void plotAtSectorEdge(TargetProcedure& procedure, int index, const TrafficTarget& target, const TargetFix& fix,
                      const render::Pen& pen) {
    const double signedBearing = fix.relativeBearingDeg > 180.0f ? fix.relativeBearingDeg - 360.0 : fix.relativeBearingDeg;
    const double edgeBearing = signedBearing > kSectorHalfWidth   ? kSectorHalfWidth
                               : signedBearing < -kSectorHalfWidth ? -kSectorHalfWidth
                                                                   : signedBearing;
    const double plotted = static_cast<double>(fix.distanceNm) * kOuterRadius / procedure.rangeNm();
    const double radius = plotted < kOuterRadius ? plotted : kOuterRadius;
    double inward = edgeBearing + 180.0;  // on the outer arc: towards the own aircraft
    if (signedBearing > kSectorHalfWidth) inward = edgeBearing - 90.0;
    if (signedBearing < -kSectorHalfWidth) inward = edgeBearing + 90.0;
    procedure.plotAtEdge(index, target, fix, pointOnBearing(radius, edgeBearing), screenDirectionOf(inward), pen);
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

    FrameTags tags;
    TrailStyle trailStyle{};
    TargetProcedure procedure = scopeTargetProcedure(
        frame, origin(),
        TargetFrame{&frame.panel, readings.now, readings.headingDeg, kOuterRadius / frame.rangeNm, sweep.window()},
        tags, trailStyle);
    if (tags.any) frameTagLayout().keepClearOfRingLabels(kArcSpacing, frame.rangeNm);

    TrafficList& list = frame.traffic;
    for (int index = firstListedTarget(list); index < static_cast<int>(list.count()); ++index) {
        TrafficTarget* target = list.item(index);
        if (target == nullptr) break;  // never past the list's slots
        // Aircraft on or near the ground, or hidden by the pilot's filter, are
        // left alone, even their fading; an advisory shows whatever the filter.
        const AdvisoryClass advisory = procedure.advisoryClassOf(index);
        const bool threat = advisory == AdvisoryClass::kTrafficAdvisory;
        if (!highEnoughToShow(target->altitudeAboveGround()) || (!threat && procedure.hidden(*target))) continue;
        const TargetFix fix = procedure.locate(*target);
        const bool beyond = procedure.beyondRange(fix);
        if (beyond && !threat) continue;
        // Paint and fade every target above the ground, in the sector or not.
        const render::Pen& pen = procedure.paint(*target, fix.relativeBearingDeg, advisory);
        const bool inside = insideForwardSector(fix.relativeBearingDeg);
        if (threat && (beyond || !inside)) {
            plotAtSectorEdge(procedure, index, *target, fix, pen);
            continue;
        }
        if (!inside) continue;
        procedure.plotTrail(index, kSectorHalfWidth);
        procedure.plot(index, *target, fix, pen, advisory);
    }
    finishFrameTags(frame, tags);
}

}  // namespace quillon
