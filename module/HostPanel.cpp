#include "module/HostPanel.h"

#include "module/ModuleExports.h"

namespace quillon {
namespace {

template <typename Entry>
Entry panelEntry(size_t slot) {
    auto* table = static_cast<host::HostPanelServices*>(ImportTable.panels.pointer);
    if (table == nullptr) return nullptr;
    return reinterpret_cast<Entry>(table->slots[slot]);
}

}  // namespace

double lookupModuleVariable(host::ModuleVariableRecord& record) {
    if (auto lookup = panelEntry<host::LookupModuleVariableEntry>(host::kSlotLookupModuleVariable)) lookup(&record);
    return record.value;
}

int32_t registerNamedVariable(const char* name) {
    auto entry = panelEntry<host::RegisterNamedVariableEntry>(host::kSlotRegisterNamedVariable);
    return entry != nullptr ? entry(name) : 0;
}

double namedVariableValue(int32_t id) {
    auto entry = panelEntry<host::GetNamedVariableEntry>(host::kSlotGetNamedVariable);
    return entry != nullptr ? entry(id) : 0.0;
}

void setNamedVariableValue(int32_t id, double value) {
    if (auto entry = panelEntry<host::SetNamedVariableEntry>(host::kSlotSetNamedVariable)) entry(id, value);
}

host::ServiceProvider* findHostService(const char* name) {
    auto entry = panelEntry<host::FindServiceEntry>(host::kSlotFindService);
    return entry != nullptr ? entry(name) : nullptr;
}

int32_t forwardElementList(host::PanelSlot slot, host::ImageElement* element) {
    auto entry = panelEntry<host::ElementListEntry>(slot);
    return entry != nullptr ? entry(element) : 0;
}

int32_t forwardElementList(host::PanelSlot slot, host::ImageElement* element, uintptr_t value) {
    auto entry = panelEntry<host::ElementListValueEntry>(slot);
    return entry != nullptr ? entry(element, value) : 0;
}

}  // namespace quillon
