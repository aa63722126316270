#include "traffic/TrafficTarget.h"

#include "traffic/AnsiText.h"

namespace quillon {
namespace {

// Copies at most capacity - 1 characters and a terminator into the narrow
// field and the same characters, widened, into the wide field. A null text
// counts as empty.
void storeText(const char* text, char* narrow, char16_t* wide, size_t capacity) {
    size_t length = 0;
    if (text != nullptr) {
        while (length + 1 < capacity && text[length] != 0) {
            narrow[length] = text[length];
            wide[length] = widenAnsiCharacter(text[length]);
            ++length;
        }
    }
    narrow[length] = 0;
    wide[length] = 0;
}

}  // namespace

void TrafficTarget::setPosition(double latitude, double longitude, double altitude) {
    position_ = Position{latitude, longitude, altitude};
}

void TrafficTarget::setAtcId(const char* text) { storeText(text, atcId_, atcIdWide_, kAtcIdCapacity); }

void TrafficTarget::setAirline(const char* text) { storeText(text, airline_, airlineWide_, kTextCapacity); }

void TrafficTarget::setFlightNumber(const char* text) {
    storeText(text, flightNumber_, flightNumberWide_, kTextCapacity);
}

}  // namespace quillon
