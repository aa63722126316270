// Spherical-earth geometry for moving traffic and measuring distances. The
// earth's radius is the one on which a nautical mile is one minute of arc,
// the same sphere the gauge measures on.
#pragma once

namespace sim {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerNauticalMile = 1852.0;
constexpr double kFeetPerMetre = 1.0 / 0.3048;
constexpr double kMetresPerFoot = 0.3048;
constexpr double kEarthRadiusMetres = kMetresPerNauticalMile * 60.0 * 180.0 / kPi;
// Feet per minute in one knot.
constexpr double kFeetPerMinutePerKnot = kMetresPerNauticalMile / 60.0 / kMetresPerFoot;

struct LatLon {
    double latitudeDeg;
    double longitudeDeg;
};

// Great-circle distance (haversine, stable for short distances).
double distanceMetres(LatLon from, LatLon to);
// Initial true course from `from` to `to`, degrees in [0, 360).
double initialCourseDeg(LatLon from, LatLon to);
// The point reached after `metres` along the great circle that leaves
// `from` on `courseDeg`; longitude wrapped into [-180, 180).
LatLon destination(LatLon from, double courseDeg, double metres);

double normalizeDegrees360(double degrees);  // [0, 360)
double normalizeLongitude(double degrees);   // [-180, 180)

}  // namespace sim
