// Everything the gauge keeps about one other aircraft. A plain value holder:
// all texts inline, narrow and in a wide copy ready for drawing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "traffic/Position.h"

namespace quillon {

class TrafficTarget {
public:
    static constexpr size_t kAtcIdCapacity = 50;
    static constexpr size_t kTextCapacity = 256;

    TrafficTarget() : paintTime_(0.0) {}

    void setPosition(double latitude, double longitude, double altitude);
    const Position& position() const { return position_; }

    // Texts longer than their field are cut to fit, terminator included.
    void setAtcId(const char* text);
    const char* atcId() const { return atcId_; }
    const char16_t* atcIdWide() const { return atcIdWide_; }
    void setAirline(const char* text);
    const char16_t* airlineWide() const { return airlineWide_; }
    void setFlightNumber(const char* text);
    const char16_t* flightNumberWide() const { return flightNumberWide_; }

    void setVerticalSpeed(double feetPerMinute) { verticalSpeed_ = feetPerMinute; }
    double verticalSpeed() const { return verticalSpeed_; }
    void setAltitudeAboveGround(int32_t feet) { altitudeAboveGround_ = feet; }
    int32_t altitudeAboveGround() const { return altitudeAboveGround_; }
    void setHeading(double degrees) { heading_ = degrees; }
    double heading() const { return heading_; }
    void setGroundSpeed(double knots) { groundSpeed_ = knots; }
    double groundSpeed() const { return groundSpeed_; }
    void setPaintTime(double clock) { paintTime_ = clock; }
    double paintTime() const { return paintTime_; }
    void clearPaintTime() { paintTime_ = 0.0; }

private:
    Position position_;
    char atcId_[kAtcIdCapacity];
    char16_t atcIdWide_[kAtcIdCapacity];
    char airline_[kTextCapacity];
    char16_t airlineWide_[kTextCapacity];
    char flightNumber_[kTextCapacity];
    char16_t flightNumberWide_[kTextCapacity];
    double verticalSpeed_;
    int32_t altitudeAboveGround_;
    double heading_;
    double groundSpeed_;
    double paintTime_;
};

}  // namespace quillon
