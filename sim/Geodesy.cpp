#include "sim/Geodesy.h"

#include <algorithm>
#include <cmath>

namespace sim {
namespace {

constexpr double kRadiansPerDegree = kPi / 180.0;

}  // namespace

double normalizeDegrees360(double degrees) {
    double r = std::fmod(degrees, 360.0);
    if (r < 0.0) r += 360.0;
    return r >= 360.0 ? 0.0 : r;
}

double normalizeLongitude(double degrees) {
    double r = normalizeDegrees360(degrees + 180.0) - 180.0;
    return r;
}

double distanceMetres(LatLon from, LatLon to) {
    double phi1 = from.latitudeDeg * kRadiansPerDegree;
    double phi2 = to.latitudeDeg * kRadiansPerDegree;
    double dPhi = phi2 - phi1;
    double dLambda = (to.longitudeDeg - from.longitudeDeg) * kRadiansPerDegree;
    double a = std::sin(dPhi / 2) * std::sin(dPhi / 2) +
               std::cos(phi1) * std::cos(phi2) * std::sin(dLambda / 2) * std::sin(dLambda / 2);
    a = std::clamp(a, 0.0, 1.0);
    return 2.0 * kEarthRadiusMetres * std::asin(std::sqrt(a));
}

double initialCourseDeg(LatLon from, LatLon to) {
    double phi1 = from.latitudeDeg * kRadiansPerDegree;
    double phi2 = to.latitudeDeg * kRadiansPerDegree;
    double dLambda = (to.longitudeDeg - from.longitudeDeg) * kRadiansPerDegree;
    double y = std::sin(dLambda) * std::cos(phi2);
    double x = std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(dLambda);
    return normalizeDegrees360(std::atan2(y, x) / kRadiansPerDegree);
}

LatLon destination(LatLon from, double courseDeg, double metres) {
    double delta = metres / kEarthRadiusMetres;
    double theta = courseDeg * kRadiansPerDegree;
    double phi1 = from.latitudeDeg * kRadiansPerDegree;
    double lambda1 = from.longitudeDeg * kRadiansPerDegree;
    double sinPhi2 = std::sin(phi1) * std::cos(delta) + std::cos(phi1) * std::sin(delta) * std::cos(theta);
    sinPhi2 = std::clamp(sinPhi2, -1.0, 1.0);
    double phi2 = std::asin(sinPhi2);
    double y = std::sin(theta) * std::sin(delta) * std::cos(phi1);
    double x = std::cos(delta) - std::sin(phi1) * sinPhi2;
    double lambda2 = lambda1 + std::atan2(y, x);
    return LatLon{phi2 / kRadiansPerDegree, normalizeLongitude(lambda2 / kRadiansPerDegree)};
}

}  // namespace sim
