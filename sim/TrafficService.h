// The host's traffic interface over a moving scenario: the service provider
// found by the name "ITrafficInfo" and the interface it hands out. Every
// call the module makes is recorded in the call log.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/TrafficInfo.h"
#include "sim/CallLog.h"
#include "sim/Scenario.h"

namespace sim {

// Result codes of numberValue and stringValue.
constexpr int32_t kTrafficReadOk = 1;
constexpr int32_t kTrafficReadFailed = 0;

// Ids handed out for names nobody knows: reads with them give no value.
constexpr int32_t kUnknownVariableId = 0;
constexpr int32_t kUnknownUnitId = 0;

class TrafficService {
public:
    explicit TrafficService(CallLog* log = nullptr);
    TrafficService(const TrafficService&) = delete;
    TrafficService& operator=(const TrafficService&) = delete;

    // Replaces the traffic; object ids left 0 are assigned (own aircraft 1,
    // traffic 100, 101, ... by position). Throws std::invalid_argument on
    // duplicate ids.
    void setScenario(Scenario scenario);
    const Scenario& scenario() const { return scenario_; }

    const Aircraft& own() const { return scenario_.own; }
    Aircraft& own() { return scenario_.own; }
    // Null for unknown ids; the own aircraft is found by its id too.
    Aircraft* find(host::ObjectId id);
    const Aircraft* find(host::ObjectId id) const;
    // Adds one aircraft (its id assigned if 0); returns its id.
    host::ObjectId addAircraft(Aircraft aircraft);
    bool removeAircraft(host::ObjectId id);

    // Dead reckoning of every aircraft, the own one included.
    void advance(double seconds);

    void setLimitedMode(bool limited) { scenario_.limitedMode = limited; }
    bool limitedMode() const { return scenario_.limitedMode; }
    // When off, the provider answers null for the interface.
    void setInterfaceAvailable(bool available) { interfaceAvailable_ = available; }
    bool interfaceAvailable() const { return interfaceAvailable_; }

    // Faults of a host whose simulation fails mid-session, each until it is
    // switched off again. Gone: the interface a module found answers as if
    // the simulation behind it had ended (no objects, every read fails, an
    // empty label) and the provider hands out no interface.
    void setGone(bool gone) { gone_ = gone; }
    // A refresh that reports an error (the count kRefreshErrorCount, no id
    // written) or more ids than it wrote (50 more; the others as usual).
    enum class RefreshFault { None, ErrorCount, CountNotHonoured };
    void setRefreshFault(RefreshFault fault) { refreshFault_ = fault; }
    static constexpr uint32_t kRefreshErrorCount = 0xffffffffu;

    host::ServiceProvider* provider() { return &provider_; }
    host::ITrafficInfo* trafficInfo() { return &info_; }

    // The operations, also callable directly (they log like the module's calls).
    void* getInterface(const char* name);
    int32_t variableId(const char* name);
    int32_t unitId(const char* name);
    uint32_t objectsInRadius(double radiusMetres, int32_t maxCount, host::ObjectId* ids);
    int32_t numberValue(host::ObjectId object, int32_t variable, int32_t unit, double* value, int32_t reserved);
    int32_t stringValue(host::ObjectId object, int32_t variable, char* buffer, int32_t bufferSize,
                        int32_t reserved);
    int32_t queryLimitedMode();
    const char* objectLabel(host::ObjectId object);
    int32_t placeholder(int32_t position);
    int32_t providerPlaceholder(int32_t position);

    // Distance from the own aircraft in metres.
    double distanceFromOwnMetres(const Aircraft& aircraft) const;

private:
    class Provider final : public host::ServiceProvider {
    public:
        explicit Provider(TrafficService& service) : service_(service) {}
        int32_t HOST_API placeholder0() override { return service_.providerPlaceholder(0); }
        int32_t HOST_API placeholder1() override { return service_.providerPlaceholder(1); }
        void* HOST_API getInterface(const char* name) override { return service_.getInterface(name); }

    private:
        TrafficService& service_;
    };

    class Info final : public host::ITrafficInfo {
    public:
        explicit Info(TrafficService& service) : s_(service) {}
        int32_t HOST_API placeholder0() override { return s_.placeholder(0); }
        int32_t HOST_API placeholder1() override { return s_.placeholder(1); }
        int32_t HOST_API placeholder2() override { return s_.placeholder(2); }
        int32_t HOST_API placeholder3() override { return s_.placeholder(3); }
        int32_t HOST_API placeholder4() override { return s_.placeholder(4); }
        int32_t HOST_API placeholder5() override { return s_.placeholder(5); }
        int32_t HOST_API placeholder6() override { return s_.placeholder(6); }
        int32_t HOST_API placeholder7() override { return s_.placeholder(7); }
        int32_t HOST_API variableId(const char* name) override { return s_.variableId(name); }
        int32_t HOST_API unitId(const char* name) override { return s_.unitId(name); }
        uint32_t HOST_API objectsInRadius(double radiusMetres, int32_t maxCount, host::ObjectId* ids) override {
            return s_.objectsInRadius(radiusMetres, maxCount, ids);
        }
        int32_t HOST_API placeholder11() override { return s_.placeholder(11); }
        int32_t HOST_API numberValue(host::ObjectId object, int32_t variable, int32_t unit, double* value,
                                     int32_t reserved) override {
            return s_.numberValue(object, variable, unit, value, reserved);
        }
        int32_t HOST_API stringValue(host::ObjectId object, int32_t variable, char* buffer, int32_t bufferSize,
                                     int32_t reserved) override {
            return s_.stringValue(object, variable, buffer, bufferSize, reserved);
        }
        int32_t HOST_API placeholder14() override { return s_.placeholder(14); }
        int32_t HOST_API limitedMode() override { return s_.queryLimitedMode(); }
        const char* HOST_API objectLabel(host::ObjectId object) override { return s_.objectLabel(object); }

    private:
        TrafficService& s_;
    };

    // Records are built only while the log is on: a refresh costs the
    // module's reads, not the stand-in's bookkeeping.
    bool logging() const;
    void log(CallRecord record);
    void rebuildIndex();

    CallLog* log_;
    Scenario scenario_;
    bool interfaceAvailable_ = true;
    bool gone_ = false;
    RefreshFault refreshFault_ = RefreshFault::None;
    std::unordered_map<host::ObjectId, size_t> indexById_;  // traffic index; own aircraft kept apart
    std::unordered_map<host::ObjectId, std::string> labels_;  // stable texts handed out by objectLabel
    Provider provider_{*this};
    Info info_{*this};
};

// Names of the simulation variables and units the service knows.
const std::vector<std::string>& trafficVariableNames();
const std::vector<std::string>& trafficUnitNames();

}  // namespace sim
