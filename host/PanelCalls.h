// Calls into the host's panel-function table. Every call loads the table's
// address afresh from ImportTable; a missing table or entry makes the call a
// no-op returning zero rather than a jump through null. Header-only: these
// are the module's side of the host's table and nothing more.
#pragma once

#include "host/ExportedRecords.h"
#include "host/PanelServices.h"
#include "host/TrafficInfo.h"

namespace quillon {

namespace detail {
template <typename Entry>
Entry panelEntry(size_t slot) {
    auto* table = static_cast<host::HostPanelServices*>(ImportTable.panels.pointer);
    if (table == nullptr) return nullptr;
    return reinterpret_cast<Entry>(table->slots[slot]);
}
}  // namespace detail

// Asks the host to refresh the record and returns its value.
inline double lookupModuleVariable(host::ModuleVariableRecord& record) {
    if (auto lookup = detail::panelEntry<host::LookupModuleVariableEntry>(host::kSlotLookupModuleVariable)) lookup(&record);
    return record.value;
}

inline int32_t registerNamedVariable(const char* name) {
    auto entry = detail::panelEntry<host::RegisterNamedVariableEntry>(host::kSlotRegisterNamedVariable);
    return entry != nullptr ? entry(name) : 0;
}

inline double namedVariableValue(int32_t id) {
    auto entry = detail::panelEntry<host::GetNamedVariableEntry>(host::kSlotGetNamedVariable);
    return entry != nullptr ? entry(id) : 0.0;
}

inline void setNamedVariableValue(int32_t id, double value) {
    if (auto entry = detail::panelEntry<host::SetNamedVariableEntry>(host::kSlotSetNamedVariable)) entry(id, value);
}

inline host::ServiceProvider* findHostService(const char* name) {
    auto entry = detail::panelEntry<host::FindServiceEntry>(host::kSlotFindService);
    return entry != nullptr ? entry(name) : nullptr;
}

inline int32_t forwardElementList(host::PanelSlot slot, host::ImageElement* element) {
    auto entry = detail::panelEntry<host::ElementListEntry>(slot);
    return entry != nullptr ? entry(element) : 0;
}

inline int32_t forwardElementList(host::PanelSlot slot, host::ImageElement* element, uintptr_t value) {
    auto entry = detail::panelEntry<host::ElementListValueEntry>(slot);
    return entry != nullptr ? entry(element, value) : 0;
}

// A module-variable record with its token preset, one per use site.
inline host::ModuleVariableRecord moduleVariable(int32_t token) {
    host::ModuleVariableRecord record{};
    record.token = token;
    return record;
}

}  // namespace quillon
