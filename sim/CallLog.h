// A record of every call the module makes into the host: panel entries by
// slot, module-variable lookups by token, named variables, the service
// lookup and every traffic-interface operation with its arguments. Tests
// use it to check call orders and counts; it can be switched off for speed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace sim {

enum class Call : uint8_t {
    ElementListEntry,       // slots 24-31; slot and element pointer
    LookupModuleVariable,   // token
    RegisterNamedVariable,  // name -> id
    GetNamedVariable,       // id -> value
    SetNamedVariable,       // id, value
    FindService,            // name -> provider or null
    UnknownPanelSlot,       // a slot the host does not serve
    GetInterface,           // provider position 2: name -> interface or null
    VariableId,             // name -> id
    UnitId,                 // name -> id
    ObjectsInRadius,        // radius, max -> count
    NumberValue,            // object, variable, unit -> value, result
    StringValue,            // object, variable, buffer size -> text, result
    LimitedMode,            // -> result
    ObjectLabel,            // object -> label
    Placeholder,            // an interface position nobody should call
    Count_
};

const char* callName(Call call);

struct CallRecord {
    CallRecord() = default;
    explicit CallRecord(Call kind) : call(kind) {}

    Call call = Call::Placeholder;
    int32_t slot = -1;           // panel slot, or interface position for placeholders
    int64_t id = 0;              // token, named-variable id, or object id
    std::string text;            // name passed, or text handed back
    std::string unit;            // unit name of a number read
    std::vector<double> numbers; // further numeric arguments, in order
    double result = 0.0;         // value or result code handed back
};

class CallLog {
public:
    // Off: nothing is counted or kept (fastest).
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool enabled() const { return enabled_; }
    // Off: calls are counted but their records are not kept, so that long
    // runs do not grow the log.
    void setKeepRecords(bool keep) { keepRecords_ = keep; }
    bool keepRecords() const { return keepRecords_; }

    void add(CallRecord record);

    const std::vector<CallRecord>& records() const { return records_; }
    void clear();

    size_t count(Call call) const { return counts_[static_cast<size_t>(call)]; }
    size_t slotCount(int32_t slot) const;
    size_t moduleVariableCount(int32_t token) const;
    size_t total() const { return total_; }

    // Records of one kind, in call order.
    std::vector<CallRecord> of(Call call) const;
    // The module-variable tokens looked up, in call order.
    std::vector<int32_t> moduleVariableTokens() const;
    // One line per record, for failure messages and debugging.
    std::string describe(size_t maxLines = 200) const;

private:
    bool enabled_ = true;
    bool keepRecords_ = true;
    size_t total_ = 0;
    std::vector<CallRecord> records_;
    std::unordered_map<int64_t, size_t> moduleVariableCounts_;
    std::array<size_t, static_cast<size_t>(Call::Count_)> counts_{};
    std::array<size_t, 128> slotCounts_{};
};

}  // namespace sim
