// What the views share around their own drawing: the host values each
// frame reads, where the target loop starts, and the radar scopes' target
// procedure over the gauge's frame (pens, records, the pilot's options and
// the tags' style).
#pragma once

#include "gauge/RadarView.h"
#include "host/PanelCalls.h"
#include "views/AltitudeTags.h"
#include "views/TargetProcedure.h"

namespace quillon {

// The own heading and the host clock, looked up in this order once per
// frame of a radar scope; every target of the frame uses them.
struct HeadingAndClock {
    double headingDeg;
    double now;
};
HeadingAndClock lookUpHeadingThenClock(const PanelCalls& panel);

// The own altitude in metres (module variable 73).
double ownAltitudeMetres(const PanelCalls& panel);

// In full mode the host's first object is the own aircraft: skipped.
int firstListedTarget(const TrafficList& list);

// The crosses' stamp for the frame: the drawing memory's atlas where the
// frame is composed as memory; otherwise none.
CrossStamp crossStampFor(LiveFrame& frame, const ViewOrigin& origin);

// The radar scopes' target procedure for the frame. The tags' and the
// trails' styles live in the caller's frame while the procedure uses them.
TargetProcedure scopeTargetProcedure(LiveFrame& frame, const ViewOrigin& origin, const TargetFrame& viewFrame,
                                     TagStyle& tagStyle, TrailStyle& trailStyle);

}  // namespace quillon
