// A scripted host traffic interface for unit tests: a fixed list of objects
// with numeric values per (variable, unit), texts per variable and optional
// labels, and a log of every operation with its arguments so that tests can
// check the exact order of reads.
//
// Well-behaved by default: at most the asked maximum of ids, texts cut to fit
// their buffer with a terminator. Switches make it misbehave the way a real
// host might (more ids than asked, a reported count larger than written,
// texts that fill the buffer without a terminator).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/TrafficInfo.h"

namespace quillon::testing {

struct ScriptedObject {
    host::ObjectId id = 0;
    std::optional<std::string> label;  // nullopt: objectLabel returns null
    std::map<std::pair<std::string, std::string>, double> numbers;  // (variable, unit) -> value
    std::map<std::string, std::string> texts;                       // variable -> text

    ScriptedObject& number(const std::string& variable, const std::string& unit, double value) {
        numbers[{variable, unit}] = value;
        return *this;
    }
    ScriptedObject& text(const std::string& variable, const std::string& value) {
        texts[variable] = value;
        return *this;
    }
};

// One operation call and its arguments; names are resolved from the ids the
// interface handed out ("#<id>" for an id it never handed out).
struct TrafficCall {
    std::string operation;
    std::string variable;
    std::string unit;
    host::ObjectId object = 0;
    double radiusMetres = 0.0;
    int32_t maxCount = 0;
    int32_t bufferSize = 0;
    int32_t reserved = 0;
    bool hasValueAddress = false;
    bool hasBuffer = false;
};

class ScriptedTraffic final : public host::ITrafficInfo {
public:
    // Ids handed out for names, in two separate ranges so that a variable id
    // passed as a unit (or the reverse) shows in the log.
    static constexpr int32_t kFirstVariableId = 1000;
    static constexpr int32_t kFirstUnitId = 5000;

    ScriptedTraffic() = default;
    ~ScriptedTraffic() = default;

    ScriptedObject& add(host::ObjectId id);
    ScriptedObject& add(host::ObjectId id, const std::string& label);
    std::vector<ScriptedObject>& objects() { return objects_; }
    void clearObjects() { objects_.clear(); }

    void setLimitedMode(int32_t value) { limitedMode_ = value; }
    // Write every object's id even beyond the asked maximum. Keep at most
    // 556 objects then: that is all the room the module's id array has.
    void setIgnoreMaximum(bool ignore) { ignoreMaximum_ = ignore; }
    // Return this count instead of the number of ids written.
    void setReportedCount(std::optional<uint32_t> count) { reportedCount_ = count; }
    // Texts fill the whole buffer with no terminator when they are too long.
    void setUnterminatedTexts(bool unterminated) { unterminatedTexts_ = unterminated; }

    const std::vector<TrafficCall>& calls() const { return calls_; }
    // Each call as a line, e.g. "numberValue(7, PLANE LATITUDE, DEGREES, 0)".
    std::vector<std::string> callTexts() const;
    static std::string describe(const TrafficCall& call);
    size_t callCount(const std::string& operation) const;
    void clearCalls() { calls_.clear(); }

    int32_t variableIdOf(const std::string& name) const;  // 0 if never asked
    int32_t unitIdOf(const std::string& name) const;

    // host::ITrafficInfo
    int32_t HOST_API placeholder0() override { return unexpected("placeholder0"); }
    int32_t HOST_API placeholder1() override { return unexpected("placeholder1"); }
    int32_t HOST_API placeholder2() override { return unexpected("placeholder2"); }
    int32_t HOST_API placeholder3() override { return unexpected("placeholder3"); }
    int32_t HOST_API placeholder4() override { return unexpected("placeholder4"); }
    int32_t HOST_API placeholder5() override { return unexpected("placeholder5"); }
    int32_t HOST_API placeholder6() override { return unexpected("placeholder6"); }
    int32_t HOST_API placeholder7() override { return unexpected("placeholder7"); }
    int32_t HOST_API variableId(const char* name) override;
    int32_t HOST_API unitId(const char* name) override;
    uint32_t HOST_API objectsInRadius(double radiusMetres, int32_t maxCount, host::ObjectId* ids) override;
    int32_t HOST_API placeholder11() override { return unexpected("placeholder11"); }
    int32_t HOST_API numberValue(host::ObjectId object, int32_t variable, int32_t unit, double* value,
                                 int32_t reserved) override;
    int32_t HOST_API stringValue(host::ObjectId object, int32_t variable, char* buffer, int32_t bufferSize,
                                 int32_t reserved) override;
    int32_t HOST_API placeholder14() override { return unexpected("placeholder14"); }
    int32_t HOST_API limitedMode() override;
    const char* HOST_API objectLabel(host::ObjectId object) override;

private:
    int32_t unexpected(const char* operation);
    const ScriptedObject* find(host::ObjectId id) const;
    std::string variableName(int32_t id) const;
    std::string unitName(int32_t id) const;

    std::vector<ScriptedObject> objects_;
    std::map<std::string, int32_t> variableIds_;
    std::map<std::string, int32_t> unitIds_;
    int32_t limitedMode_ = 0;
    bool ignoreMaximum_ = false;
    std::optional<uint32_t> reportedCount_;
    bool unterminatedTexts_ = false;
    std::vector<TrafficCall> calls_;
};

}  // namespace quillon::testing
