#include "module/PanelTableCalls.h"

#include "host/ExportedRecords.h"

namespace quillon {

void* PanelTableCalls::entry(size_t slot) const {
    if (tableAddress_ == nullptr || slot >= host::kPanelSlotCount) return nullptr;
    const auto* table = static_cast<const host::HostPanelServices*>(*tableAddress_);
    return table != nullptr ? table->slots[slot] : nullptr;
}

double PanelTableCalls::lookupModuleVariable(host::ModuleVariableRecord& record) const {
    if (auto lookup = reinterpret_cast<host::LookupModuleVariableEntry>(entry(host::kSlotLookupModuleVariable)))
        lookup(&record);
    return record.value;
}

int32_t PanelTableCalls::registerNamedVariable(const char* name) const {
    auto call = reinterpret_cast<host::RegisterNamedVariableEntry>(entry(host::kSlotRegisterNamedVariable));
    return call != nullptr ? call(name) : 0;
}

double PanelTableCalls::namedVariableValue(int32_t id) const {
    auto call = reinterpret_cast<host::GetNamedVariableEntry>(entry(host::kSlotGetNamedVariable));
    return call != nullptr ? call(id) : 0.0;
}

void PanelTableCalls::setNamedVariableValue(int32_t id, double value) const {
    if (auto call = reinterpret_cast<host::SetNamedVariableEntry>(entry(host::kSlotSetNamedVariable))) call(id, value);
}

host::ServiceProvider* PanelTableCalls::findService(const char* name) const {
    auto call = reinterpret_cast<host::FindServiceEntry>(entry(host::kSlotFindService));
    return call != nullptr ? call(name) : nullptr;
}

int32_t PanelTableCalls::forwardElementList(host::PanelSlot slot, host::ImageElement* element) const {
    auto call = reinterpret_cast<host::ElementListEntry>(entry(slot));
    return call != nullptr ? call(element) : 0;
}

int32_t PanelTableCalls::forwardElementList(host::PanelSlot slot, host::ImageElement* element,
                                            uintptr_t value) const {
    auto call = reinterpret_cast<host::ElementListValueEntry>(entry(slot));
    return call != nullptr ? call(element, value) : 0;
}

const PanelTableCalls& modulePanelCalls() {
    // Constant-initialised: usable from the first call the host makes.
    static const PanelTableCalls calls(&ImportTable.panels.pointer);
    return calls;
}

}  // namespace quillon
