// The grid view: a vertical profile of the 40 degrees ahead, relative
// bearing across and altitude difference up and down, with a sweep that
// scans left and right.
#include <cstring>

#include "gauge/RadarGauge.h"
#include "host/PanelCalls.h"
#include "traffic/OwnShip.h"
#include "views/FixedParts.h"
#include "views/ForwardArcGeometry.h"
#include "views/GridGeometry.h"
#include "views/TargetProcedure.h"

namespace quillon {

// Verticals over the full height, the outer two solid; horizontals across
// the grid's width only, the own-altitude line solid.
void drawGridFixedPart(render::Graphics& graphics, const render::ColourScheme& scheme) {
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
                               const render::ColourScheme& scheme) {
    if (window.contains(x)) target.setPaintTime(now);
    if (paintPersists(target.paintTime(), now)) return *scheme.brightPen;
    target.clearPaintTime();
    return *scheme.dimPen;
}

}  // namespace

void RadarGauge::drawGridView() {
    if (!viewCanDraw()) return;
    render::Graphics& graphics = *graphics_;

    const auto container = openView(kGridOrigin.x, kGridOrigin.y);
    drawFixedPartUnlessShown(kGridView, fixedPartShown_, graphics, scheme_, rangeNm_);

    static host::ModuleVariableRecord headingRecord = moduleVariable(host::kVarOwnHeading);
    static host::ModuleVariableRecord altitudeRecord = moduleVariable(host::kVarOwnAltitudeMetres);
    static host::ModuleVariableRecord clockRecord = moduleVariable(host::kVarClock);
    const double heading = lookupModuleVariable(headingRecord);
    const double ownAltitudeMetres = lookupModuleVariable(altitudeRecord);
    const double now = lookupModuleVariable(clockRecord);

    GridSweep& sweep = gridSweep();
    sweep.advance(now);
    graphics.drawLine(*scheme_.brightPen, sweep.position, -GridLayout::kHalfHeight, sweep.position,
                      GridLayout::kHalfHeight);
    const GridSpan window = sweep.window();

    selectedDrawn_ = 0;
    beginShownTargets();
    const int32_t filter = options_.filter;
    const bool anySelection = selectedIndex_ < kNoSelection;
    for (int index = firstListedTarget(); index < static_cast<int>(trafficList_->count()); ++index) {
        TrafficTarget* target = trafficList_->item(index);
        if (target == nullptr) break;  // never past the list's slots
        // Aircraft on or near the ground are left alone, even their fading.
        if (!highEnoughToShow(target->altitudeAboveGround())) continue;
        // Hidden by the pilot's filter: left alone like those on the ground.
        if (filterHides(filter, target->altitudeAboveGround(),
                        relativeAltitudeFeet(ownAltitudeMetres, target->position().altitude)))
            continue;

        float distanceNm = 0.0f;
        float reversedBearing = 0.0f;
        greatCircle(ownPosition(), target->position(), distanceNm, reversedBearing);
        const float bearing = trueBearingDegrees(reversedBearing);
        const float relative = signedRelativeBearing(bearing, heading);

        // Stored before the sector test: the click test sees every target.
        const PlotPosition at = gridPlotPosition(relative, ownAltitudeMetres, target->position().altitude);
        plotPositions_[index] = at;
        const render::Pen& pen = paintOnGrid(*target, at.x, window, now, scheme_);
        if (!insideGridSector(relative)) continue;
        shownTargets_[index] = 1;

        drawTargetCross(graphics, pen, at.x, at.y);
        // Found again by ATC id, so the box follows the aircraft across slots.
        if (anySelection && std::strcmp(target->atcId(), selectedAtcId_) == 0) {
            selectedDistanceNm_ = distanceNm;
            selectedBearingDeg_ = bearing;
            selectedDrawn_ = 1;
            selectedIndex_ = index;
            drawSelectionBox(graphics, pen, at.x, at.y);
        }
        drawTargetLine(graphics, pen, at.x, at.y, at.x, trendLineEndY(at.y, target->verticalSpeed()));
    }

    closeView(container);
}

}  // namespace quillon
