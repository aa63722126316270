#include "traffic/OwnShip.h"

namespace quillon {

// Placeholders until the traffic pieces are built.
const Position& ownPosition() {
    static Position own{0.0, 0.0, 0.0};
    return own;
}
void greatCircle(const Position&, const Position&, float& distanceNm, float& reversedBearing) {
    distanceNm = 0.0f;
    reversedBearing = 0.0f;
}

}  // namespace quillon
