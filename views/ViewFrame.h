// What the views share around their own drawing: the host values each
// frame reads, where the target loop starts, and the radar scopes' target
// procedure over the gauge's frame (pens, records, the pilot's options and
// the tags' style).
#pragma once

#include "gauge/RadarView.h"
#include "host/PanelCalls.h"
#include "views/AltitudeTags.h"
#include "views/TagLayout.h"
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

// The tags of a frame: every target's while the pilot's tags are on, the
// advisories' and proximate traffic's while alerts are on; the advisories'
// in their own colour. They live in the caller's frame while it draws.
struct FrameTags {
    TagStyle ordinary{};
    TagStyle advisory{};
    bool any = false;    // some target may get a tag
    bool every = false;  // every target does
};
// Makes the frame's tag styles and starts the frame's tag layout (clear of
// the data block the gauge will draw); false when no target gets a tag.
bool prepareFrameTags(LiveFrame& frame, const ViewOrigin& origin, FrameTags& tags);
// Places and draws the tags the view asked for.
void finishFrameTags(LiveFrame& frame, const FrameTags& tags);

// The radar scopes' target procedure for the frame. The tags and the
// trails' style live in the caller's frame while the procedure uses them.
TargetProcedure scopeTargetProcedure(LiveFrame& frame, const ViewOrigin& origin, const TargetFrame& viewFrame,
                                     FrameTags& tags, TrailStyle& trailStyle);

}  // namespace quillon
