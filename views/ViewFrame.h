// What the radar scopes share besides the target procedure: the host values
// every call reads. The rest of the views' frame is in RadarGauge
// (viewCanDraw, openView, closeView, firstListedTarget, targetProcedure).
#pragma once

namespace quillon {

// The own heading and the host clock, looked up in this order once per
// call of a radar scope; every target of the call uses them.
struct HeadingAndClock {
    double headingDeg;
    double now;
};
HeadingAndClock lookUpHeadingThenClock();

// The own altitude in metres (module variable 73).
double ownAltitudeMetres();

}  // namespace quillon
