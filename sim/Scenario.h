// A traffic scenario: the user's own aircraft and the other aircraft of the
// simulation, each with identity and state, moving by dead reckoning.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/TrafficInfo.h"

namespace sim {

struct Aircraft {
    host::ObjectId objectId = 0;
    // Identity texts in UTF-8; the traffic service hands them out in the
    // host's narrow code page.
    std::string atcId;
    std::string airline;
    std::string flightNumber;
    std::string label;
    double latitudeDeg = 0.0;
    double longitudeDeg = 0.0;
    double altitudeFt = 0.0;          // above sea level
    double groundElevationFt = 0.0;   // of the ground below
    double headingTrueDeg = 0.0;
    double magneticVariationDeg = 0.0;  // east positive: magnetic = true - variation
    double groundSpeedKt = 0.0;
    double verticalSpeedFpm = 0.0;

    double headingMagneticDeg() const;
    double heightAboveGroundFt() const { return altitudeFt - groundElevationFt; }

    // Dead reckoning over `seconds`: a great-circle step along the true
    // heading at the ground speed; altitude by the vertical speed, never
    // below the ground.
    void advance(double seconds);
};

struct Scenario {
    std::string name;
    std::string description;
    bool limitedMode = false;
    Aircraft own;
    std::vector<Aircraft> traffic;
};

constexpr host::ObjectId kOwnObjectId = 1;
constexpr host::ObjectId kFirstTrafficObjectId = 100;

}  // namespace sim
