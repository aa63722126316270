#include "traffic/OwnShip.h"

#include <cmath>

#include "numeric/FloatRemainder.h"

namespace quillon {
namespace {

// The host's constants, single-precision values held as doubles; the views'
// pictures depend on these exact values.
constexpr double kDegreesToRadians = 0.01745329238474369;       // pi / 180
constexpr double kNauticalMilesPerRadian = 3437.746810913086;   // 60 * 57.29578
constexpr double kFullCircle = 6.2831854820251465;              // 2 pi

// The host counts latitude in units of which 40007000 make a full circle,
// longitude in units of which 2^48 do.
constexpr double kLatitudeUnitsToCircle = 2.4995625765491038e-08;  // 1 / 40007000
constexpr double kLongitudeUnitsToCircle = 1.0 / 281474976710656.0;  // 2^-48

// Shared by every gauge; each call overwrites it.
Position ownShipPosition{0.0, 0.0, 0.0};

}  // namespace

const Position& ownPosition(const PanelCalls& panel) {
    host::ModuleVariableRecord latitude = moduleVariable(host::kVarOwnLatitude);
    host::ModuleVariableRecord longitude = moduleVariable(host::kVarOwnLongitude);
    const double latitudeUnits = panel.lookupModuleVariable(latitude);
    const double longitudeUnits = panel.lookupModuleVariable(longitude);
    ownShipPosition.latitude = latitudeUnits * 360.0 * kLatitudeUnitsToCircle;
    // Not wrapped: the geometry only uses it through sines and cosines.
    ownShipPosition.longitude = longitudeUnits * 360.0 * kLongitudeUnitsToCircle;
    return ownShipPosition;
}

void greatCircle(const Position& from, const Position& to, float& distanceNm, float& reversedBearing) {
    const double phi1 = from.latitude * kDegreesToRadians;
    const double lambda1 = from.longitude * kDegreesToRadians;
    const double phi2 = to.latitude * kDegreesToRadians;
    const double lambda2 = to.longitude * kDegreesToRadians;

    // Spherical law of cosines. Rounding can push the sum of coincident or
    // nearly coincident points just past 1, where acos gives NaN.
    double cosine = std::sin(phi1) * std::sin(phi2) + std::cos(phi1) * std::cos(phi2) * std::cos(lambda2 - lambda1);
    if (cosine > 1.0) cosine = 1.0;
    if (cosine < -1.0) cosine = -1.0;
    distanceNm = static_cast<float>(std::acos(cosine) * kNauticalMilesPerRadian);

    // The longitude difference runs from -> to reversed, so this is the
    // initial true course with its sign flipped: east -pi/2, west +pi/2.
    const double y = std::sin(lambda1 - lambda2) * std::cos(phi2);
    const double x = std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(lambda1 - lambda2);
    const double angle = std::atan2(y, x);
    reversedBearing = static_cast<float>(floatRemainder(angle, kFullCircle));
}

}  // namespace quillon
