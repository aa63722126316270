#include "sim/CallLog.h"

#include <cstdio>

namespace sim {

const char* callName(Call call) {
    switch (call) {
    case Call::ElementListEntry: return "elementListEntry";
    case Call::LookupModuleVariable: return "lookupModuleVariable";
    case Call::RegisterNamedVariable: return "registerNamedVariable";
    case Call::GetNamedVariable: return "getNamedVariable";
    case Call::SetNamedVariable: return "setNamedVariable";
    case Call::FindService: return "findService";
    case Call::UnknownPanelSlot: return "unknownPanelSlot";
    case Call::GetInterface: return "getInterface";
    case Call::VariableId: return "variableId";
    case Call::UnitId: return "unitId";
    case Call::ObjectsInRadius: return "objectsInRadius";
    case Call::NumberValue: return "numberValue";
    case Call::StringValue: return "stringValue";
    case Call::LimitedMode: return "limitedMode";
    case Call::ObjectLabel: return "objectLabel";
    case Call::Placeholder: return "placeholder";
    case Call::Count_: break;
    }
    return "?";
}

void CallLog::add(CallRecord record) {
    if (!enabled_) return;
    ++total_;
    counts_[static_cast<size_t>(record.call)] += 1;
    if (record.call == Call::LookupModuleVariable) moduleVariableCounts_[record.id] += 1;
    if (record.slot >= 0 && static_cast<size_t>(record.slot) < slotCounts_.size() &&
        record.call != Call::Placeholder)
        slotCounts_[static_cast<size_t>(record.slot)] += 1;
    if (keepRecords_) records_.push_back(std::move(record));
}

void CallLog::clear() {
    records_.clear();
    total_ = 0;
    moduleVariableCounts_.clear();
    counts_.fill(0);
    slotCounts_.fill(0);
}

size_t CallLog::slotCount(int32_t slot) const {
    if (slot < 0 || static_cast<size_t>(slot) >= slotCounts_.size()) return 0;
    return slotCounts_[static_cast<size_t>(slot)];
}

size_t CallLog::moduleVariableCount(int32_t token) const {
    auto it = moduleVariableCounts_.find(token);
    return it == moduleVariableCounts_.end() ? 0 : it->second;
}

std::vector<CallRecord> CallLog::of(Call call) const {
    std::vector<CallRecord> out;
    for (const CallRecord& r : records_)
        if (r.call == call) out.push_back(r);
    return out;
}

std::vector<int32_t> CallLog::moduleVariableTokens() const {
    std::vector<int32_t> out;
    for (const CallRecord& r : records_)
        if (r.call == Call::LookupModuleVariable) out.push_back(static_cast<int32_t>(r.id));
    return out;
}

std::string CallLog::describe(size_t maxLines) const {
    std::string out;
    char line[160];
    size_t shown = 0;
    for (const CallRecord& r : records_) {
        if (shown++ == maxLines) {
            out += "...\n";
            break;
        }
        std::snprintf(line, sizeof line, "%s slot=%d id=%lld", callName(r.call), r.slot,
                      static_cast<long long>(r.id));
        out += line;
        if (!r.text.empty()) out += " text='" + r.text + "'";
        if (!r.unit.empty()) out += " unit='" + r.unit + "'";
        for (double v : r.numbers) {
            std::snprintf(line, sizeof line, " %g", v);
            out += line;
        }
        std::snprintf(line, sizeof line, " -> %g\n", r.result);
        out += line;
    }
    return out;
}

}  // namespace sim
