// Which aircraft the pilot's traffic filter hides, and the altitude relative
// to the own aircraft that the filter bands, the altitude tags and the grid's
// profile all measure. No drawing here.
#pragma once

#include <cstdint>

#include "gauge/RadarView.h"

namespace quillon {

constexpr double kFeetPerMetre = 3.2808;

// The target's altitude above the own one in feet (negative below): the
// host's own altitude in metres against the target's in feet.
inline double relativeAltitudeFeet(double ownAltitudeMetres, double targetAltitudeFeet) {
    return targetAltitudeFeet - ownAltitudeMetres * kFeetPerMetre;
}

// Aircraft at 100 ft above the ground or lower are on or near the ground;
// the forward arc and the grid never show them.
inline bool highEnoughToShow(int32_t altitudeAboveGroundFeet) { return altitudeAboveGroundFeet > 100; }

// The relative altitudes a filter band lets through, both limits included.
struct AltitudeBand {
    double lowestFeet;
    double highestFeet;
};

// The band of a filter value; false for filters without one.
inline bool altitudeBandOf(int32_t filter, AltitudeBand& band) {
    switch (filter) {
        case kNormalBand: band = {-2700.0, 2700.0}; return true;
        case kAboveBand: band = {-2700.0, 9900.0}; return true;
        case kBelowBand: band = {-9900.0, 2700.0}; return true;
        default: return false;
    }
}

// Every filter but "show all" hides aircraft on the ground; any value
// outside 1 to 4 shows all.
inline bool filterHidesGroundTraffic(int32_t filter) { return filter >= kAirborneOnly && filter <= kBelowBand; }

// Whether the filter needs the relative altitude at all (the own altitude
// is then read once per frame).
inline bool filterUsesAltitude(int32_t filter) {
    AltitudeBand band{};
    return altitudeBandOf(filter, band);
}

// Whether the filter hides the aircraft. A relative altitude that is not a
// number lies in no band.
inline bool filterHides(int32_t filter, int32_t altitudeAboveGroundFeet, double relativeFeet) {
    if (filterHidesGroundTraffic(filter) && !highEnoughToShow(altitudeAboveGroundFeet)) return true;
    AltitudeBand band{};
    return altitudeBandOf(filter, band) && !(relativeFeet >= band.lowestFeet && relativeFeet <= band.highestFeet);
}

}  // namespace quillon
