#include "traffic/TrafficList.h"

#include <cmath>

#include "host/PanelCalls.h"
#include "numeric/SaturatingConversion.h"

namespace quillon {
namespace {

constexpr double kMetresPerNauticalMile = 1852.0;
constexpr double kRefreshInterval = 1.0;
constexpr int32_t kIdentifierBufferSize = 16;
constexpr int32_t kTextBufferSize = 256;
constexpr int kLabelCharacters = kIdentifierBufferSize - 1;
constexpr double kLimitedModeGroundSpeed = 200.0;  // the host gives none in limited mode

// The interface through the host's service provider; neither is released.
host::ITrafficInfo* bindTrafficInfo(const PanelCalls& panel) {
    host::ServiceProvider* provider = panel.findService(host::kTrafficInfoName);
    if (provider == nullptr) return nullptr;
    return static_cast<host::ITrafficInfo*>(provider->getInterface(host::kTrafficInfoName));
}

// Copies at most the label's first characters; a null label is empty.
void copyLabel(const char* label, char* buffer) {
    int length = 0;
    if (label != nullptr)
        for (; length < kLabelCharacters && label[length] != 0; ++length) buffer[length] = label[length];
    buffer[length] = 0;
}

}  // namespace

struct TrafficList::ObjectReadings {
    double latitude = 0.0;
    double longitude = 0.0;
    double altitude = 0.0;
    double heading = 0.0;
    double verticalSpeed = 0.0;
    double altitudeAboveGround = 0.0;
    double groundSpeed = 0.0;
    bool limited = false;
    char identifier[kIdentifierBufferSize] = {};
    char airline[kTextBufferSize] = {};
    char flightNumber[kTextBufferSize] = {};
};

TrafficList::TrafficList(const PanelCalls& panel) : panel_(panel) {
    trafficInfo_ = bindTrafficInfo(panel);
    if (trafficInfo_ != nullptr) lookUpIds();
    queryCount_ = 0;
    extraCount_ = 0;
}

// The host is asked in this order; the ids are kept in the order of Variable.
void TrafficList::lookUpIds() {
    static constexpr struct {
        Variable variable;
        const char* name;
    } kVariables[kVariableCount] = {
        {kLatitude, "PLANE LATITUDE"},
        {kLongitude, "PLANE LONGITUDE"},
        {kPlaneAltitude, "PLANE ALTITUDE"},
        {kIndicatedAltitude, "INDICATED ALTITUDE"},
        {kVerticalSpeed, "VELOCITY WORLD Y"},
        {kAltitudeAboveGround, "PLANE ALT ABOVE GROUND"},
        {kGroundVelocity, "GROUND VELOCITY"},
        {kHeadingTrue, "PLANE HEADING DEGREES TRUE"},
        {kHeadingMagnetic, "PLANE HEADING DEGREES MAGNETIC"},
        {kAtcId, "ATC ID"},
        {kAtcAirline, "ATC AIRLINE"},
        {kAtcFlightNumber, "ATC FLIGHT NUMBER"},
    };
    static constexpr const char* kUnits[kUnitCount] = {"DEGREES", "FEET", "FEET PER MINUTE", "KNOTS"};

    for (const auto& entry : kVariables) variableIds_[entry.variable] = trafficInfo_->variableId(entry.name);
    for (int unit = 0; unit < kUnitCount; ++unit) unitIds_[unit] = trafficInfo_->unitId(kUnits[unit]);
}

void TrafficList::setRange(float rangeNm) {
    const double range = rangeNm;
    // NaN never compares equal, so it is stored and refreshes like a change.
    if (rangeStored_ && range == queryRangeNm_) return;
    rangeStored_ = true;
    queryRangeNm_ = range;
    refresh();
}

void TrafficList::tickUpdate() {
    const double now = panel_.lookupModuleVariable(clockRecord_);
    // Strictly more than the interval; NaN compares false and never refreshes.
    // An infinite clock is passed over too: taken as the last refresh time it
    // would hold every later refresh back for good. A clock set back below
    // the last refresh (a flight reset or reloaded) is a new time base:
    // waiting for it to pass the old time would freeze the traffic meanwhile.
    const bool due = lastRefreshTime_ + kRefreshInterval < now || now < lastRefreshTime_;
    if (due && std::isfinite(now)) {
        lastRefreshTime_ = now;
        refresh();
    }
    const uint32_t published = extraCount_ + queryCount_;
    count_ = published < static_cast<uint32_t>(kSlots) ? published : static_cast<uint32_t>(kSlots);
}

void TrafficList::refresh() {
    // A host may offer its traffic only after the gauge was made (or offer
    // none for a while): without an interface, each refresh looks again.
    if (trafficInfo_ == nullptr) {
        trafficInfo_ = bindTrafficInfo(panel_);
        if (trafficInfo_ == nullptr) return;
        lookUpIds();
    }
    const uint32_t reported = trafficInfo_->objectsInRadius(queryRangeNm_ * kMetresPerNauticalMile, kMaxQuery, objectIds_);
    ++refreshCount_;
    // A host that reports more ids than there are slots gets only the slots.
    queryCount_ = reported < static_cast<uint32_t>(kSlots) ? reported : static_cast<uint32_t>(kSlots);
    if (queryCount_ == 0) return;

    for (uint32_t i = 0; i < queryCount_; ++i) {
        // Fresh per object: a read the host leaves unanswered gives zero or
        // an empty text, never the previous aircraft's value.
        ObjectReadings readings;
        readObject(objectIds_[i], readings);
        storeTarget(static_cast<int>(i), readings);
    }
}

void TrafficList::readObject(host::ObjectId object, ObjectReadings& readings) {
    readNumber(object, kLatitude, kDegrees, readings.latitude);
    readNumber(object, kLongitude, kDegrees, readings.longitude);
    readings.limited = trafficInfo_->limitedMode() != 0;
    if (readings.limited)
        readLimitedMode(object, readings);
    else
        readFullMode(object, readings);
}

void TrafficList::readLimitedMode(host::ObjectId object, ObjectReadings& readings) {
    readNumber(object, kPlaneAltitude, kFeet, readings.altitude);
    readNumber(object, kHeadingTrue, kDegrees, readings.heading);
    copyLabel(trafficInfo_->objectLabel(object), readings.identifier);
    readings.verticalSpeed = 0.0;
    readings.altitudeAboveGround = readings.altitude;
    readings.groundSpeed = kLimitedModeGroundSpeed;
}

void TrafficList::readFullMode(host::ObjectId object, ObjectReadings& readings) {
    // True, as the own heading and the bearings the vector is drawn against.
    readNumber(object, kHeadingTrue, kDegrees, readings.heading);
    readNumber(object, kIndicatedAltitude, kFeet, readings.altitude);
    readNumber(object, kVerticalSpeed, kFeetPerMinute, readings.verticalSpeed);
    readNumber(object, kAltitudeAboveGround, kFeet, readings.altitudeAboveGround);
    readNumber(object, kGroundVelocity, kKnots, readings.groundSpeed);
    readText(object, kAtcId, readings.identifier, kIdentifierBufferSize);
    readText(object, kAtcAirline, readings.airline, kTextBufferSize);
    readText(object, kAtcFlightNumber, readings.flightNumber, kTextBufferSize);
}

void TrafficList::readNumber(host::ObjectId object, Variable variable, Unit unit, double& value) {
    trafficInfo_->numberValue(object, variableIds_[variable], unitIds_[unit], &value, 0);
}

void TrafficList::readText(host::ObjectId object, Variable variable, char* buffer, int32_t size) {
    trafficInfo_->stringValue(object, variableIds_[variable], buffer, size, 0);
    // A host text that fills the buffer without a terminator stops at its end.
    buffer[size - 1] = 0;
}

void TrafficList::storeTarget(int index, const ObjectReadings& readings) {
    TrafficTarget& target = targets_[index];
    target.setPosition(readings.latitude, readings.longitude, readings.altitude);
    target.setVerticalSpeed(static_cast<double>(truncateToInt32(readings.verticalSpeed)));
    target.setAltitudeAboveGround(truncateToInt32(readings.altitudeAboveGround));
    target.setHeading(readings.heading);
    target.setGroundSpeed(readings.groundSpeed);
    target.setAtcId(readings.identifier);
    target.setAirline(readings.limited ? "" : readings.airline);
    target.setFlightNumber(readings.limited ? "" : readings.flightNumber);
}

TrafficTarget* TrafficList::item(int index) { return index >= 0 && index < kSlots ? &targets_[index] : nullptr; }

const TrafficTarget* TrafficList::item(int index) const {
    return index >= 0 && index < kSlots ? &targets_[index] : nullptr;
}

int32_t TrafficList::limitedMode() const { return trafficInfo_ != nullptr ? trafficInfo_->limitedMode() : 0; }

}  // namespace quillon
