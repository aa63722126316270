// How the radar views place, paint and draw one target: distance and
// bearing, the sweep's paint stamp and its fading, the plotted point, the
// selection found again by ATC id, the cross, the box and the velocity
// vector. The full-circle and forward-arc views share it; they differ in
// scale, sweep window and which targets they let through.
#pragma once

#include <cmath>
#include <cstdint>

#include "gauge/RadarView.h"
#include "host/PanelCalls.h"
#include "render/CrossAtlas.h"
#include "render/GdiPlusObjects.h"
#include "views/TrailDots.h"

namespace quillon {

class TrafficTarget;
struct TagStyle;

// Relative bearings (degrees clockwise from the top of the view) swept over
// by the last sweep step, both ends included.
struct SweepWindow {
    float lo;
    float hi;
    bool contains(float relativeBearing) const { return lo <= relativeBearing && relativeBearing <= hi; }
};

// Whether the host clock reads as at the last sweep step. A clock stuck at
// NaN has not moved either, though NaN never equals itself: without this the
// sweeps would step on every draw while it lasts.
inline bool sameClockReading(double now, double last) {
    return now == last || (std::isnan(now) && std::isnan(last));
}

// How long a target stays bright after the sweep stamped it, in host clock.
constexpr double kPaintPersistence = 0.8;

// True bearing in degrees, 0 to 360, from the geometry's reversed bearing in
// radians. Uses the host's single-precision 2 pi and degrees per radian.
float trueBearingDegrees(float reversedBearing);
// Bearing relative to the own heading, 0 to below 360 degrees.
float relativeBearingDegrees(float trueBearingDeg, double headingDeg);
// Whether a target stamped at paintTime is still bright at now: no more
// than the persistence since the stamp, and not before it.
bool paintPersists(double paintTime, double now);

// Where a target lies from the own aircraft.
struct TargetFix {
    float distanceNm;
    float trueBearingDeg;
    float relativeBearingDeg;
};

struct TargetPens {
    const render::Pen* dim;
    const render::Pen* bright;
    const render::Brush* advisory = nullptr;  // null: the shared advisories' brush
};

// Values of one view call, the same for every target of that call.
struct TargetFrame {
    const PanelCalls* panel;  // the own position is read for every target
    double now;               // host clock
    double headingDeg;        // own heading
    float scale;              // logical units per nautical mile
    SweepWindow window;
    // The pilot's options: the traffic filter, and the tag style when tags
    // are on; the own altitude is read only when either needs it.
    int32_t filter = 0;
    const TagStyle* tags = nullptr;  // null: no tags at all
    bool everyTag = false;           // else only the advisories' and proximate traffic's
    double ownAltitudeMetres = 0.0;
    // While alerts are on: the aircraft's classes, and the range the view
    // shows (the list then looks further, for the advisories).
    const TrafficAdvisories* advisories = nullptr;
    float rangeNm = 0.0f;
    // While trails are on: what their dots are drawn with; null while off.
    const TrailStyle* trails = nullptr;
};

// Lengths of the target symbols in logical units.
constexpr float kCrossArm = 10.0f;
constexpr float kBoxSize = 50.0f;

// Velocity vectors and trend lines end at most this far from their target:
// well off any surface, yet inside the rasteriser's coordinate range, past
// which an absurd host speed would fold the line back across the picture.
// NaN passes unchanged.
constexpr double kLongestSymbolLine = 10000.0;
inline double boundedSymbolLength(double length) {
    if (length > kLongestSymbolLine) return kLongestSymbolLine;
    if (length < -kLongestSymbolLine) return -kLongestSymbolLine;
    return length;
}

// Where the crosses come from while the frame is composed as memory: the
// drawing memory's atlas of the frame's scale and scheme, asked for at the
// frame's first cross and blended into the frame (whose world maps to
// pixels as (world + origin) x scale). Without a memory or a frame, or
// where no atlas can be had, the crosses are stroked.
struct CrossStamp {
    DrawingMemory* memory = nullptr;
    render::CrossAtlasContent content{};
    float scaleX = 0.0f;
    float scaleY = 0.0f;
    render::FrameBuffer* frame = nullptr;
    float originX = 0.0f;
    float originY = 0.0f;
};

// Whether this build gathers a target's lines into one stroke (see
// TargetStrokes): the reference build does not.
bool gathersTargetStrokes();

// The lines of one target (its cross and its vector or trend line), stroked
// in one call when gathering: Windows' GDI+ (as Wine's) sets every stroke up
// at a cost several times that of a short line's pixels. The reference build
// strokes each line at once, as does any line whose path cannot be had.
// (libgdiplus strokes a path of several lines through a slower rasteriser
// than a line's: the Linux hosts' session layer strokes such a path line by
// line for it.) Where a target's lines overlap, one stroke covers a pixel
// once: the anti-aliased edges there do not add up as they do line by line.
class TargetStrokes {
public:
    explicit TargetStrokes(render::Graphics& graphics, bool gather = gathersTargetStrokes());
    ~TargetStrokes() { stroke(); }
    TargetStrokes(const TargetStrokes&) = delete;
    TargetStrokes& operator=(const TargetStrokes&) = delete;

    // Gathers the line (what was gathered with another pen is stroked first).
    void add(const render::Pen& pen, float x1, float y1, float x2, float y2);
    // Strokes what was gathered and empties the path.
    void stroke();
    // From now on a cross in one of the stamp's pens is blended from its
    // atlas into the frame, after whatever was gathered before it.
    void useCrossStamp(const CrossStamp& stamp) {
        stamp_ = stamp;
        atlas_ = nullptr;
        atlasAsked_ = false;
    }
    // The cross centred on the point: blended, or gathered as two lines.
    void addCross(const render::Pen& pen, float x, float y);

private:
    int stampPen(const render::Pen& pen) const;
    bool blendLine(int pen, float x1, float y1, float x2, float y2);
    const render::CrossAtlas* stampAtlas();

    render::Graphics& graphics_;
    render::StrokePath* path_;
    const render::Pen* pen_ = nullptr;
    CrossStamp stamp_;
    const render::CrossAtlas* atlas_ = nullptr;
    bool atlasAsked_ = false;
};

// The symbols of a target, shared by every view. A host number that is not
// a number, or infinite, leaves the point unusable; the rasteriser would run
// such lines to the corner of the surface, so they are left out.
void drawTargetCross(TargetStrokes& strokes, const render::Pen& pen, float x, float y);
void drawSelectionBox(render::Graphics& graphics, const render::Pen& pen, float x, float y);
// A velocity vector or trend line from the target's point.
void drawTargetLine(TargetStrokes& strokes, const render::Pen& pen, float x, float y, float endX, float endY);

// A traffic advisory: a filled disc in the advisories' colour in place of
// the cross, or, at the picture's edge, its half turned into the picture.
constexpr float kAdvisoryRadius = 12.0f;
void drawAdvisorySymbol(render::Graphics& graphics, const render::Brush& brush, float x, float y);
void drawAdvisoryAtEdge(render::Graphics& graphics, const render::Brush& brush, float x, float y, float inwardDeg);

// The point at the distance from the view origin on a relative bearing
// (degrees clockwise from straight up), and the screen direction (degrees
// clockwise from +x) of a bearing.
render::PointF pointOnBearing(double distance, double bearingDeg);
float screenDirectionOf(double bearingDeg);

// Whether the selection's ATC id names the target.
bool namesSelectedTarget(const ViewRecords& records, const TrafficTarget& target);
// Writes the selection's fields for a target drawn at (x, y) in list slot
// index and boxes it, when it is the selected aircraft; marks the slot drawn.
// The selected target's cross goes down before its box, as when each line is
// drawn at once: where they overlap, the later stroke lies on top.
void strokeBeforeTheBox(TargetStrokes& strokes, const ViewRecords& records, const TrafficTarget& target);
void recordDrawnTarget(render::Graphics& graphics, const ViewRecords& records, const render::Pen& pen, int index,
                       const TrafficTarget& target, float x, float y, float distanceNm, float trueBearingDeg);

class TargetProcedure {
public:
    // The two matrices are reset before every use; the caller keeps them.
    TargetProcedure(render::Graphics& graphics, const TargetPens& pens, const ViewRecords& records,
                    const TargetFrame& frame, render::Matrix& targetMatrix, render::Matrix& vectorMatrix,
                    const CrossStamp& crosses = CrossStamp{});

    // Distance, true bearing and bearing relative to the own heading.
    TargetFix locate(const TrafficTarget& target) const;
    // Stamps the target when the sweep window covers it, clears a stamp
    // that has faded, and gives the pen it is drawn with: the bright one
    // for traffic that alerts, whatever the sweep.
    const render::Pen& paint(TrafficTarget& target, float relativeBearingDeg,
                             AdvisoryClass advisory = AdvisoryClass::kNone) const;
    // Stores the plotted point of list slot index and draws the cross (or
    // the advisory's disc), the box when it is the selected aircraft, and
    // the velocity vector.
    void plot(int index, const TrafficTarget& target, const TargetFix& fix, const render::Pen& pen,
              AdvisoryClass advisory = AdvisoryClass::kNone);
    // The trail of list slot index, under its cross: the dots within the
    // range and the view's half width either side of the nose (180 for the
    // full circle). Nothing while trails are off.
    void plotTrail(int index, float halfWidthDeg);
    // An advisory the view leaves out, at the point on the picture's edge:
    // half its symbol, turned into the picture; it takes clicks there.
    void plotAtEdge(int index, const TrafficTarget& target, const TargetFix& fix, render::PointF at,
                    float inwardDeg, const render::Pen& pen);
    // The class of the aircraft in the slot; none while alerts are off.
    AdvisoryClass advisoryClassOf(int index) const;
    // Beyond the range the view shows (only while alerts are on does the
    // list hold such aircraft).
    bool beyondRange(const TargetFix& fix) const;
    float rangeNm() const { return frame_.rangeNm; }
    // Whether the pilot's filter hides the target in this frame.
    bool hidden(const TrafficTarget& target) const;

    // The point at distance and relative bearing, from the view origin.
    render::PointF plotPoint(float distanceNm, float relativeBearingDeg);
    // The far end of the velocity vector from the point.
    render::PointF vectorEnd(render::PointF from, double groundSpeedKnots, double targetHeadingDeg);

private:
    double relativeAltitude(const TrafficTarget& target) const;
    // Asks the frame's tag layout for the target's tag, where it gets one.
    void requestTag(const TrafficTarget& target, float x, float y, const render::Pen& pen, AdvisoryClass advisory);
    const render::Brush& advisoryBrush() const;

    render::Graphics& graphics_;
    TargetPens pens_;
    ViewRecords records_;
    TargetFrame frame_;
    render::Matrix& targetMatrix_;
    render::Matrix& vectorMatrix_;
    TargetStrokes strokes_;
};

}  // namespace quillon
