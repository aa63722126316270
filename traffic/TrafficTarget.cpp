#include "traffic/TrafficTarget.h"

namespace quillon {

// Placeholders until the traffic pieces are built.
void TrafficTarget::setPosition(double latitude, double longitude, double altitude) {
    position_ = Position{latitude, longitude, altitude};
}
void TrafficTarget::setAtcId(const char*) { atcId_[0] = 0; atcIdWide_[0] = 0; }
void TrafficTarget::setAirline(const char*) { airline_[0] = 0; airlineWide_[0] = 0; }
void TrafficTarget::setFlightNumber(const char*) { flightNumber_[0] = 0; flightNumberWide_[0] = 0; }

}  // namespace quillon
