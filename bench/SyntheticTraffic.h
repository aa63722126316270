// Traffic pictures for the benchmarks: the own aircraft at the equator
// heading north, one aircraft to select dead ahead at half the range and at
// the own altitude, and the others spread evenly over the range, airborne,
// each with its own identity, heading, speed and climb.
#pragma once

#include "sim/Scenario.h"

namespace bench {

constexpr double kRangeNm = 40.0;  // the gauge's range after start
constexpr double kOwnAltitudeFt = 10000.0;
// The aircraft that the benchmarks select; it keeps its ATC id in every scenario.
constexpr const char* kSelectedAtcId = "SEL001";

// count aircraft besides the own one (the first of them the one to select);
// the same count always gives the same picture.
sim::Scenario syntheticTraffic(int count);

// Five aircraft closing on the own one added to a scenario, each a traffic
// advisory from the second refresh on: two within 2 NM, three 12 NM ahead
// at 1,000 kt closure, off-scale at a range of 10 NM (the auto range's case).
constexpr double kEncountersRangeNm = 10.0;
void addEncounters(sim::Scenario& scenario);

// The logical point where a view plots the aircraft to select.
struct LogicalPoint {
    double x;
    double y;
};
LogicalPoint selectedAircraftPoint(int displayMode);
// A point no view plots an aircraft near: a click there clears the selection.
LogicalPoint emptyPoint();

}  // namespace bench
