#include "sim/PanelTable.h"

#include <stdexcept>
#include <utility>

namespace sim {
namespace {

PanelHandler* activeHandler = nullptr;

template <int32_t Slot>
int32_t HOST_API elementEntry(host::ImageElement* element) {
    return activeHandler ? activeHandler->elementListEntry(Slot, element, 0) : 0;
}

template <int32_t Slot>
int32_t HOST_API elementValueEntry(host::ImageElement* element, uintptr_t value) {
    return activeHandler ? activeHandler->elementListEntry(Slot, element, value) : 0;
}

void HOST_API lookupModuleVariable(host::ModuleVariableRecord* record) {
    if (activeHandler) activeHandler->lookupModuleVariable(record);
}

int32_t HOST_API registerNamedVariable(const char* name) {
    return activeHandler ? activeHandler->registerNamedVariable(name) : 0;
}

double HOST_API getNamedVariable(int32_t id) { return activeHandler ? activeHandler->getNamedVariable(id) : 0.0; }

void HOST_API setNamedVariable(int32_t id, double value) {
    if (activeHandler) activeHandler->setNamedVariable(id, value);
}

host::ServiceProvider* HOST_API findService(const char* name) {
    return activeHandler ? activeHandler->findService(name) : nullptr;
}

template <int32_t Slot>
intptr_t HOST_API unknownEntry() {
    if (activeHandler) activeHandler->unknownSlot(Slot);
    return 0;
}

template <size_t... Slots>
void fillUnknown(host::HostPanelServices& table, std::index_sequence<Slots...>) {
    ((table.slots[Slots] = reinterpret_cast<void*>(&unknownEntry<static_cast<int32_t>(Slots)>)), ...);
}

template <typename F>
void* entry(F function) {
    return reinterpret_cast<void*>(function);
}

}  // namespace

PanelTable::PanelTable(PanelHandler& handler) {
    if (activeHandler != nullptr)
        throw std::logic_error("another stand-in host already serves a loaded module in this process");
    activeHandler = &handler;
    fillUnknown(table_, std::make_index_sequence<host::kPanelSlotCount>());
    using namespace host;
    table_.slots[kSlotElementQuery] = entry(&elementEntry<kSlotElementQuery>);
    table_.slots[kSlotElementInstall] = entry(&elementValueEntry<kSlotElementInstall>);
    table_.slots[kSlotElementInitialize] = entry(&elementEntry<kSlotElementInitialize>);
    table_.slots[kSlotElementUpdate] = entry(&elementEntry<kSlotElementUpdate>);
    table_.slots[kSlotElementGenerate] = entry(&elementValueEntry<kSlotElementGenerate>);
    table_.slots[kSlotElementDraw] = entry(&elementEntry<kSlotElementDraw>);
    table_.slots[kSlotElementKill] = entry(&elementEntry<kSlotElementKill>);
    table_.slots[kSlotLookupModuleVariable] = entry(static_cast<LookupModuleVariableEntry>(&lookupModuleVariable));
    table_.slots[kSlotRegisterNamedVariable] =
        entry(static_cast<RegisterNamedVariableEntry>(&registerNamedVariable));
    table_.slots[kSlotGetNamedVariable] = entry(static_cast<GetNamedVariableEntry>(&getNamedVariable));
    table_.slots[kSlotSetNamedVariable] = entry(static_cast<SetNamedVariableEntry>(&setNamedVariable));
    table_.slots[kSlotFindService] = entry(static_cast<FindServiceEntry>(&findService));
}

PanelTable::~PanelTable() { activeHandler = nullptr; }

}  // namespace sim
