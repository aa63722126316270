// A position: latitude and longitude in degrees, altitude in feet, three
// consecutive doubles.
#pragma once

namespace quillon {

struct Position {
    double latitude;
    double longitude;
    double altitude;
};

}  // namespace quillon
