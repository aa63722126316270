#include "views/GridView.h"

#include <cstring>

#include "traffic/OwnShip.h"
#include "views/ForwardArcGeometry.h"
#include "views/GridGeometry.h"
#include "views/TagLayout.h"
#include "views/TargetProcedure.h"
#include "views/ViewFrame.h"

namespace quillon {

// Verticals over the full height, the outer two solid; horizontals across
// the grid's width only, the own-altitude line solid.
void GridView::drawFixedPart(render::Graphics& graphics, const render::ColourScheme& scheme, float) const {
    for (int k = -2; k <= 2; ++k) {
        const float x = GridLayout::kSpacing * static_cast<float>(k);
        const render::Pen& pen = (k == -2 || k == 2) ? *scheme.dimPen : *scheme.dashedPen;
        graphics.drawLine(pen, x, -GridLayout::kHalfHeight, x, GridLayout::kHalfHeight);
    }
    for (int k = -2; k <= 2; ++k) {
        const float y = GridLayout::kSpacing * static_cast<float>(k);
        const render::Pen& pen = k == 0 ? *scheme.dimPen : *scheme.dashedPen;
        graphics.drawLine(pen, GridLayout::kLeftEdge, y, GridLayout::kRightEdge, y);
    }
}

namespace {

// Stamps the target when the sweep covered its x, clears a faded stamp, and
// gives the pen it is drawn with.
const render::Pen& paintOnGrid(TrafficTarget& target, float x, const GridSpan& window, double now,
                               const render::ColourScheme& scheme, AdvisoryClass advisory) {
    if (window.contains(x)) target.setPaintTime(now);
    if (paintPersists(target.paintTime(), now)) return *scheme.brightPen;
    target.clearPaintTime();
    return advisory != AdvisoryClass::kNone ? *scheme.brightPen : *scheme.dimPen;
}

// The grid shows every aircraft's height already: only the advisories and
// proximate traffic get tags, while alerts are on.
void requestGridTag(const FrameTags& tags, const render::ColourScheme& scheme, AdvisoryClass advisory,
                    const PlotPosition& at, double relativeFeet, double verticalSpeedFpm, const render::Pen& pen) {
    if (!tags.any || advisory == AdvisoryClass::kNone) return;
    frameTagLayout().request(TagRequest{at.x, at.y, relativeFeet, verticalSpeedFpm, &pen, &pen == scheme.brightPen.get(),
                                        advisory == AdvisoryClass::kTrafficAdvisory ? TagUrgency::kAdvisory
                                                                                    : TagUrgency::kProximate});
}

}  // namespace

void GridView::drawLivePart(LiveFrame& frame) {
    render::Graphics& graphics = frame.graphics;
    const render::ColourScheme& scheme = frame.scheme;
    host::ModuleVariableRecord headingRecord = moduleVariable(host::kVarOwnHeading);
    host::ModuleVariableRecord altitudeRecord = moduleVariable(host::kVarOwnAltitudeMetres);
    host::ModuleVariableRecord clockRecord = moduleVariable(host::kVarClock);
    const double heading = frame.panel.lookupModuleVariable(headingRecord);
    const double ownAltitudeMetres = frame.panel.lookupModuleVariable(altitudeRecord);
    const double now = frame.panel.lookupModuleVariable(clockRecord);

    GridSweep& sweep = gridSweep();
    sweep.advance(now);
    graphics.drawLine(*scheme.brightPen, sweep.position, -GridLayout::kHalfHeight, sweep.position,
                      GridLayout::kHalfHeight);
    const GridSpan window = sweep.window();

    FrameTags tags;
    if (frame.advisories != nullptr) {
        prepareFrameTags(frame, origin(), tags);
    } else {
        frameTagLayout().begin(origin(), render::RectF{}, 0.0f);  // no tags in this frame
    }
    TargetStrokes strokes(graphics);
    strokes.useCrossStamp(crossStampFor(frame, origin()));
    const ViewRecords& records = frame.records;
    const int32_t filter = frame.options.filter;
    TrafficList& list = frame.traffic;
    for (int index = firstListedTarget(list); index < static_cast<int>(list.count()); ++index) {
        TrafficTarget* target = list.item(index);
        if (target == nullptr) break;  // never past the list's slots
        // Aircraft on or near the ground are left alone, even their fading.
        if (!highEnoughToShow(target->altitudeAboveGround())) continue;
        // Hidden by the pilot's filter: left alone like those on the ground,
        // unless it is an advisory.
        const AdvisoryClass advisory =
            frame.advisories != nullptr ? frame.advisories->classOf(index) : AdvisoryClass::kNone;
        const bool threat = advisory == AdvisoryClass::kTrafficAdvisory;
        const double relativeFeet = relativeAltitudeFeet(ownAltitudeMetres, target->position().altitude);
        if (!threat && filterHides(filter, target->altitudeAboveGround(), relativeFeet)) continue;

        float distanceNm = 0.0f;
        float reversedBearing = 0.0f;
        greatCircle(ownPosition(frame.panel), target->position(), distanceNm, reversedBearing);
        // While alerts are on the list looks beyond the range: only advisories show from there.
        if (!threat && frame.advisories != nullptr && distanceNm > frame.rangeNm) continue;
        const float bearing = trueBearingDegrees(reversedBearing);
        const float relative = signedRelativeBearing(bearing, heading);

        // Stored before the sector test: the click test sees every target.
        PlotPosition at = gridPlotPosition(relative, ownAltitudeMetres, target->position().altitude);
        records.plotPositions[index] = at;
        const render::Pen& pen = paintOnGrid(*target, at.x, window, now, scheme, advisory);
        if (!insideGridSector(relative)) {
            if (!threat) continue;
            // On the side nearest its bearing, at its height, half turned inwards.
            const bool right = relative > 0.0f;
            at.x = right ? GridLayout::kRightEdge : GridLayout::kLeftEdge;
            records.plotPositions[index] = at;
            drawAdvisoryAtEdge(graphics, render::advisoryBrushOf(scheme), at.x, at.y, right ? 180.0f : 0.0f);
            recordDrawnTarget(graphics, records, pen, index, *target, at.x, at.y, distanceNm, bearing);
            requestGridTag(tags, scheme, advisory, at, relativeFeet, target->verticalSpeed(), pen);
            continue;
        }

        if (threat) {
            drawAdvisorySymbol(graphics, render::advisoryBrushOf(scheme), at.x, at.y);
        } else {
            drawTargetCross(strokes, pen, at.x, at.y);
        }
        // Found again by ATC id, so the box follows the aircraft across slots.
        strokeBeforeTheBox(strokes, records, *target);
        recordDrawnTarget(graphics, records, pen, index, *target, at.x, at.y, distanceNm, bearing);
        drawTargetLine(strokes, pen, at.x, at.y, at.x, trendLineEndY(at.y, target->verticalSpeed()));
        strokes.stroke();
        requestGridTag(tags, scheme, advisory, at, relativeFeet, target->verticalSpeed(), pen);
    }
    strokes.stroke();
    finishFrameTags(frame, tags);
}

}  // namespace quillon
