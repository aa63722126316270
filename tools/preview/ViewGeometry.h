// Where a gauge view plots an aircraft, worked out from what the host knows
// (own position and heading, the aircraft's position and height) and the
// view's published geometry. The preview tool uses it to click on an
// aircraft by its ATC id the way a user would: by looking where it is drawn.
#pragma once

#include <string>

#include "tools/preview/GaugeNames.h"

namespace preview {

struct OwnShipFix {
    double latitudeDeg = 0;
    double longitudeDeg = 0;
    double headingDeg = 0;
    double altitudeFeet = 0;
};

struct AircraftFix {
    double latitudeDeg = 0;
    double longitudeDeg = 0;
    double altitudeFeet = 0;
    double aboveGroundFeet = 0;
};

struct Plot {
    bool shown = false;
    double x = 0;  // logical space, 0..1000 from the top left
    double y = 0;
    double distanceNm = 0;
    double relativeBearingDeg = 0;  // 0 to below 360, clockwise from the nose
    std::string whyHidden;          // set when !shown
};

// Spherical distance in nautical miles and initial true course in degrees [0, 360).
void distanceAndBearing(double fromLatDeg, double fromLonDeg, double toLatDeg, double toLonDeg, double& distanceNm,
                        double& bearingDeg);

// With a traffic filter (0 to 4, "Radar Filter") the aircraft it hides are not shown.
Plot plotInView(View view, const OwnShipFix& own, const AircraftFix& aircraft, double rangeNm, int filter = 0);

// Where a view draws a traffic advisory, which no filter, range, sector or
// column leaves out: where it plots, or else on the picture's edge nearest
// its bearing (the outer ring; the arc's side or outer arc; the grid's side).
Plot plotAdvisory(View view, const OwnShipFix& own, const AircraftFix& aircraft, double rangeNm);

// Why the traffic filter hides the aircraft; empty when it does not.
std::string filterHides(int filter, const OwnShipFix& own, const AircraftFix& aircraft);
// "all", "airborne", "normal", "above", "below" (or the number).
std::string filterName(int filter);

// The pixel whose click the gauge turns into the logical point (x, y): the
// host scales pixels by 1000 / size and truncates, so take the pixel centre.
int logicalToPixel(double logical, int pixels);
double pixelToLogical(double pixel, int pixels);

}  // namespace preview
