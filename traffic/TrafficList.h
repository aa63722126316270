// The radar's picture of the surrounding traffic: asks the host's traffic
// interface for the aircraft within range and keeps them in fixed slots.
#pragma once

#include <cstdint>

#include "host/PanelCalls.h"
#include "host/TrafficInfo.h"
#include "traffic/TrafficTarget.h"

namespace quillon {

class TrafficList {
public:
    static constexpr int kSlots = 556;
    static constexpr int32_t kMaxQuery = 300;

    // Binds the host interface (if any) and looks up the variable and unit ids.
    explicit TrafficList(const PanelCalls& panel);
    TrafficList(const TrafficList&) = delete;
    TrafficList& operator=(const TrafficList&) = delete;

    // Stores the range and refreshes at once, unless it is unchanged.
    void setRange(float rangeNm);
    // Refreshes when the clock has advanced by more than 1.0 since this
    // list's last time-driven refresh, then publishes the count.
    void tickUpdate();
    // Queries the host and rewrites the records.
    void refresh();

    // The record at 0..555, null otherwise (not compared with the count).
    TrafficTarget* item(int index);
    const TrafficTarget* item(int index) const;
    uint32_t count() const { return count_; }
    // The host's limited-mode answer; 0 without an interface.
    int32_t limitedMode() const;
    double queryRangeNm() const { return queryRangeNm_; }
    bool hasTrafficInfo() const { return trafficInfo_ != nullptr; }
    // How many times the host has been asked; tells a reader of the records
    // whether they are new since it looked last. Wraps harmlessly.
    uint32_t refreshCount() const { return refreshCount_; }

private:
    enum Variable { kLatitude, kLongitude, kPlaneAltitude, kIndicatedAltitude, kVerticalSpeed, kHeadingMagnetic,
                    kHeadingTrue, kAltitudeAboveGround, kGroundVelocity, kAtcId, kAtcAirline, kAtcFlightNumber,
                    kVariableCount };
    enum Unit { kDegrees, kFeet, kFeetPerMinute, kKnots, kUnitCount };

    // The values read for one object; reused from one object to the next.
    struct ObjectReadings;

    void lookUpIds();
    void readObject(host::ObjectId object, ObjectReadings& readings);
    void readLimitedMode(host::ObjectId object, ObjectReadings& readings);
    void readFullMode(host::ObjectId object, ObjectReadings& readings);
    void readNumber(host::ObjectId object, Variable variable, Unit unit, double& value);
    void readText(host::ObjectId object, Variable variable, char* buffer, int32_t size);
    void storeTarget(int index, const ObjectReadings& readings);

    const PanelCalls& panel_;
    host::ModuleVariableRecord clockRecord_ = moduleVariable(host::kVarClock);
    double queryRangeNm_ = 0.0;
    bool rangeStored_ = false;  // the first setRange always stores and refreshes
    host::ITrafficInfo* trafficInfo_ = nullptr;
    int32_t variableIds_[kVariableCount] = {};
    int32_t unitIds_[kUnitCount] = {};
    host::ObjectId objectIds_[kSlots] = {};
    uint32_t count_ = 0;
    uint32_t queryCount_ = 0;
    uint32_t extraCount_ = 0;
    uint32_t refreshCount_ = 0;
    double lastRefreshTime_ = 0.0;  // per list: each gauge refreshes on its own
    TrafficTarget targets_[kSlots];
};

}  // namespace quillon
