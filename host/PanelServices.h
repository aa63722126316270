// The host's panel-function table, addressed by slot: the entry at 32-bit
// byte offset k is slot k / 4, one pointer wide in every build.
#pragma once

#include "host/GaugeRecords.h"

namespace host {

// A module variable as the lookup entry reads it: token in, value out.
#pragma pack(push, 4)
struct ModuleVariableRecord {
    int32_t token;
    uint32_t hostFields[2];
    double value;
    uint32_t hostTail[2];
};
#pragma pack(pop)

static_assert(offsetof(ModuleVariableRecord, token) == 0);
static_assert(offsetof(ModuleVariableRecord, value) == 12);
static_assert(sizeof(ModuleVariableRecord) == 28);

// Module variable tokens the module reads.
enum ModuleVariableToken : int32_t {
    kVarOwnLatitude = 71,
    kVarOwnLongitude = 72,
    kVarOwnAltitudeMetres = 73,
    kVarOwnHeading = 86,  // true heading, degrees
    kVarClock = 604,
};

class ServiceProvider;

using ElementListEntry = int32_t(HOST_API*)(ImageElement* element);
using ElementListValueEntry = int32_t(HOST_API*)(ImageElement* element, uintptr_t value);
using LookupModuleVariableEntry = void(HOST_API*)(ModuleVariableRecord* record);
using RegisterNamedVariableEntry = int32_t(HOST_API*)(const char* name);
using GetNamedVariableEntry = double(HOST_API*)(int32_t id);
using SetNamedVariableEntry = void(HOST_API*)(int32_t id, double value);
using FindServiceEntry = ServiceProvider*(HOST_API*)(const char* name);

// Slot numbers (byte offset in the 32-bit table / 4).
enum PanelSlot : size_t {
    kSlotElementQuery = 96 / 4,
    kSlotElementInstall = 100 / 4,
    kSlotElementInitialize = 104 / 4,
    kSlotElementUpdate = 108 / 4,
    kSlotElementGenerate = 112 / 4,
    kSlotElementDraw = 116 / 4,
    kSlotElementKill = 124 / 4,
    kSlotLookupModuleVariable = 160 / 4,
    kSlotRegisterNamedVariable = 208 / 4,
    kSlotGetNamedVariable = 212 / 4,
    kSlotSetNamedVariable = 220 / 4,
    kSlotFindService = 308 / 4,
    kPanelSlotCount = 128,
};

// The table itself: one opaque pointer per slot. Callers cast the slot they
// use to its entry type above.
struct HostPanelServices {
    void* slots[kPanelSlotCount];
};

#if QUILLON_HOST_LAYOUT_32
static_assert(offsetof(HostPanelServices, slots) + kSlotElementQuery * sizeof(void*) == 96);
static_assert(offsetof(HostPanelServices, slots) + kSlotElementKill * sizeof(void*) == 124);
static_assert(offsetof(HostPanelServices, slots) + kSlotLookupModuleVariable * sizeof(void*) == 160);
static_assert(offsetof(HostPanelServices, slots) + kSlotRegisterNamedVariable * sizeof(void*) == 208);
static_assert(offsetof(HostPanelServices, slots) + kSlotGetNamedVariable * sizeof(void*) == 212);
static_assert(offsetof(HostPanelServices, slots) + kSlotSetNamedVariable * sizeof(void*) == 220);
static_assert(offsetof(HostPanelServices, slots) + kSlotFindService * sizeof(void*) == 308);
#endif

}  // namespace host
