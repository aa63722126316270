// The own aircraft's position from the host, and great-circle distance and
// bearing on a spherical earth, with the host's single-precision constants.
#pragma once

#include "host/PanelCalls.h"
#include "traffic/Position.h"

namespace quillon {

// Reads module variables 71 and 72 and converts them to degrees; the record
// is shared module-wide and overwritten by each call.
const Position& ownPosition(const PanelCalls& panel);

// Distance in nautical miles and the initial true course from -> to with its
// sign reversed, in radians in (-pi, pi].
void greatCircle(const Position& from, const Position& to, float& distanceNm, float& reversedBearing);

}  // namespace quillon
