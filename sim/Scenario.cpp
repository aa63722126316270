#include "sim/Scenario.h"

#include <algorithm>

#include "sim/Geodesy.h"

namespace sim {

double Aircraft::headingMagneticDeg() const {
    return normalizeDegrees360(headingTrueDeg - magneticVariationDeg);
}

void Aircraft::advance(double seconds) {
    if (seconds == 0.0) return;
    double metres = groundSpeedKt * kMetresPerNauticalMile / 3600.0 * seconds;
    if (metres != 0.0) {
        LatLon next = destination(LatLon{latitudeDeg, longitudeDeg}, headingTrueDeg, metres);
        latitudeDeg = next.latitudeDeg;
        longitudeDeg = next.longitudeDeg;
    }
    altitudeFt = std::max(groundElevationFt, altitudeFt + verticalSpeedFpm / 60.0 * seconds);
}

}  // namespace sim
