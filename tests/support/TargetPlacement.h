// Puts a target straight into its list slot where a view test wants it:
// at about a distance and true bearing from the own aircraft at 0 N 0 E (on
// the equator a minute of arc is a nautical mile either way, close enough
// for small offsets). Due north the bearing is exactly 0, so the own
// heading alone sets the relative bearing.
#pragma once

#include <cmath>
#include <cstdint>

#include "traffic/TrafficTarget.h"

namespace quillon::testing {

inline void placeTarget(TrafficTarget& target, double bearingDeg, double distanceNm, double altitudeFeet,
                        int32_t aboveGroundFeet = 5000) {
    const double radians = bearingDeg * 3.14159265358979323846 / 180.0;
    target.setPosition(distanceNm * std::cos(radians) / 60.0, distanceNm * std::sin(radians) / 60.0, altitudeFeet);
    target.setAltitudeAboveGround(aboveGroundFeet);
}

inline void placeNorth(TrafficTarget& target, double distanceNm, double altitudeFeet, int32_t aboveGroundFeet = 5000) {
    placeTarget(target, 0.0, distanceNm, altitudeFeet, aboveGroundFeet);
}

}  // namespace quillon::testing
