#include "bench/SyntheticTraffic.h"

#include <cmath>
#include <cstdio>
#include <random>

namespace bench {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSpreadNm = 38.0;         // inside the range, whatever rounding does
constexpr double kClearOfSelectedNm = 3.0; // no other aircraft under the selecting click
constexpr double kMinClimbOffsetFt = 500.0;
constexpr double kMaxClimbOffsetFt = 3000.0;

// At the equator a nautical mile is a minute of latitude or of longitude.
void placeAt(sim::Aircraft& aircraft, double distanceNm, double bearingDeg) {
    const double bearing = bearingDeg * kPi / 180.0;
    aircraft.latitudeDeg = distanceNm * std::cos(bearing) / 60.0;
    aircraft.longitudeDeg = distanceNm * std::sin(bearing) / 60.0;
}

sim::Aircraft selectedAircraft() {
    sim::Aircraft aircraft;
    aircraft.atcId = kSelectedAtcId;
    aircraft.airline = "QUILLAIR";
    aircraft.flightNumber = "4711";
    aircraft.label = kSelectedAtcId;
    placeAt(aircraft, kRangeNm / 2, 0.0);
    aircraft.altitudeFt = kOwnAltitudeFt;
    aircraft.headingTrueDeg = 90.0;
    aircraft.groundSpeedKt = 250.0;
    aircraft.verticalSpeedFpm = 1200.0;
    return aircraft;
}

}  // namespace

sim::Scenario syntheticTraffic(int count) {
    sim::Scenario scenario;
    scenario.name = "synthetic";
    scenario.own.atcId = "OWN";
    scenario.own.altitudeFt = kOwnAltitudeFt;

    std::mt19937 random(2026u + static_cast<unsigned>(count));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    if (count > 0) scenario.traffic.push_back(selectedAircraft());
    const double selectedLat = count > 0 ? scenario.traffic[0].latitudeDeg : 0.0;
    while (static_cast<int>(scenario.traffic.size()) < count) {
        sim::Aircraft aircraft;
        const int number = static_cast<int>(scenario.traffic.size());
        char text[32];
        std::snprintf(text, sizeof text, "N%05d", number);
        aircraft.atcId = text;
        aircraft.label = text;
        aircraft.airline = number % 2 == 0 ? "QUILLAIR" : "BENCH EXPRESS";
        std::snprintf(text, sizeof text, "%d", 100 + number);
        aircraft.flightNumber = text;
        // Even over the disc's area: the distance goes with the root.
        placeAt(aircraft, kSpreadNm * std::sqrt(unit(random)), 360.0 * unit(random));
        const double northNm = (aircraft.latitudeDeg - selectedLat) * 60.0;
        const double eastNm = aircraft.longitudeDeg * 60.0;
        if (std::hypot(northNm, eastNm) < kClearOfSelectedNm) continue;
        // Never at the own altitude, so that the grid keeps them off the selected one.
        const double offset = kMinClimbOffsetFt + (kMaxClimbOffsetFt - kMinClimbOffsetFt) * unit(random);
        aircraft.altitudeFt = kOwnAltitudeFt + (unit(random) < 0.5 ? -offset : offset);
        aircraft.headingTrueDeg = 360.0 * unit(random);
        aircraft.groundSpeedKt = 150.0 + 300.0 * unit(random);
        aircraft.verticalSpeedFpm = -2000.0 + 4000.0 * unit(random);
        scenario.traffic.push_back(aircraft);
    }
    return scenario;
}

void addEncounters(sim::Scenario& scenario) {
    const struct {
        double distanceNm, bearingDeg, aboveFt, headingDeg, knots;
    } closing[] = {{0.6, 300.0, 300.0, 120.0, 20.0},
                   {2.0, 60.0, -400.0, 240.0, 300.0},
                   {12.0, 0.0, 400.0, 180.0, 1000.0},
                   {12.0, 8.0, -300.0, 188.0, 1000.0},
                   {12.2, 352.0, 600.0, 172.0, 1000.0}};
    int number = 0;
    for (const auto& c : closing) {
        sim::Aircraft aircraft;
        char text[32];
        std::snprintf(text, sizeof text, "TA%03d", ++number);
        aircraft.atcId = text;
        aircraft.label = text;
        aircraft.airline = "BENCH EXPRESS";
        aircraft.flightNumber = text + 2;
        placeAt(aircraft, c.distanceNm, c.bearingDeg);
        aircraft.altitudeFt = kOwnAltitudeFt + c.aboveFt;
        aircraft.headingTrueDeg = c.headingDeg;
        aircraft.groundSpeedKt = c.knots;
        scenario.traffic.push_back(aircraft);
    }
}

LogicalPoint selectedAircraftPoint(int displayMode) {
    // Dead ahead at half the range: a quarter of the way up in the circle,
    // the middle of the arc's fan, and the crossing of the grid's own
    // altitude with its centre line.
    if (displayMode == 2) return LogicalPoint{500.0, 500.0 - 475.0 / 2};
    return LogicalPoint{500.0, 500.0};
}

// The top left corner: outside the circle and the arc's fan, and left of
// the grid's sector (which starts a fifth of the way across).
LogicalPoint emptyPoint() { return LogicalPoint{2.0, 2.0}; }

}  // namespace bench
