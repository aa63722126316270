#include "views/TargetProcedure.h"

#include <cmath>
#include <cstring>

#include "gauge/DrawingMemory.h"
#include "numeric/FloatRemainder.h"
#include "traffic/OwnShip.h"
#include "traffic/TrafficTarget.h"
#include "views/AltitudeTags.h"
#include "views/TagLayout.h"
#include "render/PixelBlend.h"
#include "render/SharedGdiObjects.h"
#include "views/TrafficFilter.h"

namespace quillon {
namespace {

// The host's single-precision constants; their product is a hair above 360,
// so a target a hair west of north reads exactly 360.
constexpr float kTwoPi = 6.2831855f;
constexpr float kDegreesPerRadian = 57.29578f;

bool usablePoint(float x, float y) { return std::isfinite(x) && std::isfinite(y); }

// The path to gather in, or null: stroke each line at once.
render::StrokePath* gatheringPath(bool gather) {
    if (!gather) return nullptr;
    render::StrokePath& path = render::sharedPath(render::SharedPath::TargetLines);
    path.clear();  // nothing of an earlier frame stays in it
    return path.valid() ? &path : nullptr;
}

// The point turned about the origin as a GDI+ matrix rotation turns it
// (clockwise on the screen, y pointing down).
render::PointF turnedClockwise(render::PointF point, float degrees) {
    const double radians = static_cast<double>(degrees) * (3.14159265358979323846 / 180.0);
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    return render::PointF{static_cast<float>(point.X * c - point.Y * s), static_cast<float>(point.X * s + point.Y * c)};
}

}  // namespace

bool gathersTargetStrokes() {
#if defined(QUILLON_DIRECT_DRAWING)
    return false;
#else
    return true;
#endif
}

TargetStrokes::TargetStrokes(render::Graphics& graphics, bool gather)
    : graphics_(graphics), path_(gatheringPath(gather)) {}

void TargetStrokes::add(const render::Pen& pen, float x1, float y1, float x2, float y2) {
    if (const int index = stampPen(pen); index >= 0 && blendLine(index, x1, y1, x2, y2)) return;
    // A path that could not be emptied has let its object go: the rest of
    // the frame is stroked line by line.
    if (path_ == nullptr || !path_->valid()) {
        graphics_.drawLine(pen, x1, y1, x2, y2);
        return;
    }
    if (&pen != pen_) stroke();
    pen_ = &pen;
    path_->addLine(x1, y1, x2, y2);
}

void TargetStrokes::stroke() {
    if (path_ == nullptr || path_->empty()) return;
    graphics_.drawPath(*pen_, *path_);
    path_->clear();
}

int TargetStrokes::stampPen(const render::Pen& pen) const {
    if (stamp_.memory == nullptr || stamp_.frame == nullptr) return -1;
    for (int index = 0; index < 2; ++index)
        if (stamp_.content.pens[index] == &pen) return index;
    return -1;
}

// Asked for once a frame, and only by a frame that draws a cross.
const render::CrossAtlas* TargetStrokes::stampAtlas() {
    if (!atlasAsked_) {
        atlasAsked_ = true;
        atlas_ = stamp_.memory->crossAtlas(stamp_.content, stamp_.scaleX, stamp_.scaleY);
    }
    return atlas_;
}

// The line filled as memory where the atlas found it matching the pen's,
// after whatever was gathered before it.
bool TargetStrokes::blendLine(int pen, float x1, float y1, float x2, float y2) {
    const render::CrossAtlas* atlas = stampAtlas();
    render::QuadCorners quad;
    if (atlas == nullptr || !atlas->penQuad(stamp_.originX, stamp_.originY, x1, y1, x2, y2, quad)) return false;
    stroke();
    return stamp_.frame->blendQuad(quad, render::premultiplied(stamp_.content.penColours[pen]));
}

void TargetStrokes::addCross(const render::Pen& pen, float x, float y) {
    if (const int index = stampPen(pen); index >= 0) {
        stroke();  // what was gathered before lies under the cross
        const render::CrossAtlas* atlas = stampAtlas();
        if (atlas != nullptr && atlas->blend(*stamp_.frame, stamp_.originX, stamp_.originY, index, x, y)) return;
    }
    add(pen, x, y - kCrossArm, x, y + kCrossArm);
    add(pen, x - kCrossArm, y, x + kCrossArm, y);
}

void drawTargetCross(TargetStrokes& strokes, const render::Pen& pen, float x, float y) {
    if (!usablePoint(x, y)) return;
    strokes.addCross(pen, x, y);
}

void drawSelectionBox(render::Graphics& graphics, const render::Pen& pen, float x, float y) {
    if (!usablePoint(x, y)) return;
    graphics.drawRectangle(pen, x - kBoxSize / 2, y - kBoxSize / 2, kBoxSize, kBoxSize);
}

void drawTargetLine(TargetStrokes& strokes, const render::Pen& pen, float x, float y, float endX, float endY) {
    if (!usablePoint(x, y) || !usablePoint(endX, endY)) return;
    strokes.add(pen, x, y, endX, endY);
}

void drawAdvisorySymbol(render::Graphics& graphics, const render::Brush& brush, float x, float y) {
    if (!usablePoint(x, y)) return;
    graphics.fillEllipse(brush, x - kAdvisoryRadius,
                         y - kAdvisoryRadius, 2 * kAdvisoryRadius, 2 * kAdvisoryRadius);
}

void drawAdvisoryAtEdge(render::Graphics& graphics, const render::Brush& brush, float x, float y, float inwardDeg) {
    if (!usablePoint(x, y) || !std::isfinite(inwardDeg)) return;
    graphics.fillPie(brush, x - kAdvisoryRadius,
                     y - kAdvisoryRadius, 2 * kAdvisoryRadius, 2 * kAdvisoryRadius, inwardDeg - 90.0f, 180.0f);
}

render::PointF pointOnBearing(double distance, double bearingDeg) {
    const double radians = bearingDeg * (3.14159265358979323846 / 180.0);
    return render::PointF{static_cast<float>(distance * std::sin(radians)),
                          static_cast<float>(-distance * std::cos(radians))};
}

float screenDirectionOf(double bearingDeg) { return static_cast<float>(bearingDeg - 90.0); }

bool namesSelectedTarget(const ViewRecords& records, const TrafficTarget& target) {
    // The index only tells whether there is a selection; the aircraft is
    // found by its ATC id, wherever the list has put it this time.
    return *records.selectedIndex < kNoSelection && std::strcmp(target.atcId(), records.selectedAtcId) == 0;
}

void strokeBeforeTheBox(TargetStrokes& strokes, const ViewRecords& records, const TrafficTarget& target) {
    if (namesSelectedTarget(records, target)) strokes.stroke();
}

void recordDrawnTarget(render::Graphics& graphics, const ViewRecords& records, const render::Pen& pen, int index,
                       const TrafficTarget& target, float x, float y, float distanceNm, float trueBearingDeg) {
    if (namesSelectedTarget(records, target)) {
        *records.selectedDistanceNm = distanceNm;
        *records.selectedBearingDeg = trueBearingDeg;
        *records.selectedDrawn = 1;
        *records.selectedIndex = index;
        drawSelectionBox(graphics, pen, x, y);
    }
    if (records.shownTargets != nullptr) records.shownTargets[index] = 1;
}

float trueBearingDegrees(float reversedBearing) {
    const double twoPi = kTwoPi;
    return static_cast<float>(floatRemainder(twoPi - reversedBearing, twoPi) * kDegreesPerRadian);
}

float relativeBearingDegrees(float trueBearingDeg, double headingDeg) {
    return static_cast<float>(floatRemainder(floatRemainder(trueBearingDeg - headingDeg, 360.0) + 360.0, 360.0));
}

bool paintPersists(double paintTime, double now) {
    // A stamp later than now means the host clock went back (a flight
    // reloaded): without the first test the target would stay bright until
    // the clock caught up with the old stamp.
    return paintTime <= now && paintTime + kPaintPersistence >= now;
}

TargetProcedure::TargetProcedure(render::Graphics& graphics, const TargetPens& pens, const ViewRecords& records,
                                 const TargetFrame& frame, render::Matrix& targetMatrix,
                                 render::Matrix& vectorMatrix, const CrossStamp& crosses)
    : graphics_(graphics),
      pens_(pens),
      records_(records),
      frame_(frame),
      targetMatrix_(targetMatrix),
      vectorMatrix_(vectorMatrix),
      strokes_(graphics) {
    strokes_.useCrossStamp(crosses);
}

TargetFix TargetProcedure::locate(const TrafficTarget& target) const {
    float distanceNm = 0.0f;
    float reversedBearing = 0.0f;
    greatCircle(ownPosition(*frame_.panel), target.position(), distanceNm, reversedBearing);
    const float bearing = trueBearingDegrees(reversedBearing);
    return TargetFix{distanceNm, bearing, relativeBearingDegrees(bearing, frame_.headingDeg)};
}

const render::Pen& TargetProcedure::paint(TrafficTarget& target, float relativeBearingDeg,
                                          AdvisoryClass advisory) const {
    if (frame_.window.contains(relativeBearingDeg)) target.setPaintTime(frame_.now);
    const bool alerting = advisory != AdvisoryClass::kNone;
    if (paintPersists(target.paintTime(), frame_.now)) return *pens_.bright;
    target.clearPaintTime();
    return alerting ? *pens_.bright : *pens_.dim;
}

AdvisoryClass TargetProcedure::advisoryClassOf(int index) const {
    return frame_.advisories != nullptr ? frame_.advisories->classOf(index) : AdvisoryClass::kNone;
}

bool TargetProcedure::beyondRange(const TargetFix& fix) const {
    return frame_.advisories != nullptr && fix.distanceNm > frame_.rangeNm;
}

render::PointF TargetProcedure::plotPoint(float distanceNm, float relativeBearingDeg) {
    const render::PointF ahead{0.0f, -distanceNm * frame_.scale};
    render::PointF point = ahead;
    const uint64_t failedBefore = render::failedGdiCalls();
    targetMatrix_.reset();
    targetMatrix_.rotate(relativeBearingDeg);
    targetMatrix_.transformPoints(&point, 1);
    // Where a matrix call failed, the same turn is worked out here: a target
    // plotted in the wrong place would also take the clicks meant for another.
    if (render::failedGdiCalls() != failedBefore) point = turnedClockwise(ahead, relativeBearingDeg);
    return point;
}

render::PointF TargetProcedure::vectorEnd(render::PointF from, double groundSpeedKnots, double targetHeadingDeg) {
    // 0.2 units per knot, multiplied out in the host's order.
    const float length = static_cast<float>(boundedSymbolLength(groundSpeedKnots * 0.002 * 100));
    // Not normalised: the rotation takes any angle.
    const float angle = static_cast<float>(targetHeadingDeg - frame_.headingDeg);
    render::PointF end{from.X, from.Y - length};
    vectorMatrix_.reset();
    vectorMatrix_.translate(from.X, from.Y);
    vectorMatrix_.rotate(angle);
    vectorMatrix_.translate(-from.X, -from.Y);
    vectorMatrix_.transformPoints(&end, 1);
    return end;
}

void TargetProcedure::plot(int index, const TrafficTarget& target, const TargetFix& fix, const render::Pen& pen,
                           AdvisoryClass advisory) {
    const render::PointF at = plotPoint(fix.distanceNm, fix.relativeBearingDeg);
    records_.plotPositions[index] = PlotPosition{at.X, at.Y};

    if (advisory == AdvisoryClass::kTrafficAdvisory) {
        drawAdvisorySymbol(graphics_, advisoryBrush(), at.X, at.Y);
    } else {
        drawTargetCross(strokes_, pen, at.X, at.Y);
    }
    strokeBeforeTheBox(strokes_, records_, target);
    recordDrawnTarget(graphics_, records_, pen, index, target, at.X, at.Y, fix.distanceNm, fix.trueBearingDeg);
    const render::PointF end = vectorEnd(at, target.groundSpeed(), target.heading());
    drawTargetLine(strokes_, pen, at.X, at.Y, end.X, end.Y);
    strokes_.stroke();
    requestTag(target, at.X, at.Y, pen, advisory);
}

void TargetProcedure::requestTag(const TrafficTarget& target, float x, float y, const render::Pen& pen,
                                 AdvisoryClass advisory) {
    if (frame_.tags == nullptr || (advisory == AdvisoryClass::kNone && !frame_.everyTag)) return;
    const TagUrgency urgency = advisory == AdvisoryClass::kTrafficAdvisory ? TagUrgency::kAdvisory
                               : advisory == AdvisoryClass::kProximate     ? TagUrgency::kProximate
                                                                           : TagUrgency::kOrdinary;
    frameTagLayout().request(TagRequest{x, y, relativeAltitude(target), target.verticalSpeed(), &pen,
                                        &pen == pens_.bright, urgency});
}

void TargetProcedure::plotTrail(int index, float halfWidthDeg) {
    if (frame_.trails != nullptr) drawTrailDots(graphics_, *frame_.trails, index, halfWidthDeg);
}

void TargetProcedure::plotAtEdge(int index, const TrafficTarget& target, const TargetFix& fix, render::PointF at,
                                 float inwardDeg, const render::Pen& pen) {
    records_.plotPositions[index] = PlotPosition{at.X, at.Y};
    drawAdvisoryAtEdge(graphics_, advisoryBrush(), at.X, at.Y, inwardDeg);
    recordDrawnTarget(graphics_, records_, pen, index, target, at.X, at.Y, fix.distanceNm, fix.trueBearingDeg);
    requestTag(target, at.X, at.Y, pen, AdvisoryClass::kTrafficAdvisory);
}

const render::Brush& TargetProcedure::advisoryBrush() const {
    if (pens_.advisory != nullptr) return *pens_.advisory;
    return render::sharedBrush(render::SharedBrush::TrafficAdvisory);
}

double TargetProcedure::relativeAltitude(const TrafficTarget& target) const {
    return relativeAltitudeFeet(frame_.ownAltitudeMetres, target.position().altitude);
}

bool TargetProcedure::hidden(const TrafficTarget& target) const {
    return filterHides(frame_.filter, target.altitudeAboveGround(), relativeAltitude(target));
}

}  // namespace quillon
