// A gauge module with one gauge, "Probe", that only records how the host
// calls it: for every routine the host calls, where the arguments lie on
// the stack and the x87 control word on entry (CallingConditionsProbe.h).
// The log is exported as ProbeLog beside ImportTable and Linkage.
#include "host/GaugeRecords.h"
#include "tests/windows/CallingConditionsProbe.h"

extern "C" {
probe::Log ProbeLog;
}

namespace {

// Reads the control word before anything else of the routine runs, given
// the routine's frame address: its arguments start 8 bytes above it.
__attribute__((noinline)) void record(probe::Routine routine, const void* frame, uint32_t argument) {
    uint16_t controlWord = 0;
    asm volatile("fnstcw %0" : "=m"(controlWord));
    if (ProbeLog.count >= probe::kCapacity) return;
    const uintptr_t arguments = reinterpret_cast<uintptr_t>(frame) + 8;
    ProbeLog.records[ProbeLog.count++] = {routine, static_cast<uint32_t>(arguments % 16), controlWord, argument};
}

#define PROBE(routine, argument) record(routine, __builtin_frame_address(0), argument)

void HOST_API init() { PROBE(probe::kInit, 0); }
void HOST_API deinit() { PROBE(probe::kDeinit, 0); }
void HOST_API callback(host::GaugeHeader*, int32_t service, uint32_t) {
    PROBE(probe::kGaugeCallback, static_cast<uint32_t>(service));
}
int32_t HOST_API mouse(host::ClickRecord* click, uint32_t) {
    PROBE(probe::kMouseFunction, static_cast<uint32_t>(click->x));
    return 1;
}

#define ELEMENT_ROUTINE(name, routine)                                         \
    int32_t HOST_API name() {                                                  \
        PROBE(routine, 0);                                                     \
        return probe::kElementResultBase + routine;                            \
    }
#define ELEMENT_VALUE_ROUTINE(name, routine)                                   \
    int32_t HOST_API name(uintptr_t value) {                                   \
        PROBE(routine, static_cast<uint32_t>(value));                          \
        return probe::kElementResultBase + routine;                            \
    }
ELEMENT_ROUTINE(query, probe::kElementQuery)
ELEMENT_VALUE_ROUTINE(install, probe::kElementInstall)
ELEMENT_ROUTINE(initialize, probe::kElementInitialize)
ELEMENT_ROUTINE(update, probe::kElementUpdate)
ELEMENT_VALUE_ROUTINE(generate, probe::kElementGenerate)
ELEMENT_ROUTINE(draw, probe::kElementDraw)
ELEMENT_ROUTINE(kill, probe::kElementKill)

host::ImageElement drawing{};
host::ImageElement* drawingList[] = {&drawing, nullptr};
host::ImageElement background{};
host::ImageElement* elements[] = {&background, nullptr};

host::MouseArea areas[] = {
    {host::kMouseBeginParent, 0, 0, 100, 100, host::kCursorNone, 0, 0, 0, nullptr, nullptr},
    {host::kMouseChild, 0, 0, 100, 100, host::kCursorHand, 0, host::kMouseLeftSingle, 0, mouse, nullptr},
    {host::kMouseEndParent, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr},
    {host::kMouseEndOfList, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr},
};

host::GaugeHeader header = [] {
    background.nextElements = drawingList;
    host::GaugeHeader h{};
    h.gaugeName = "Probe";
    h.elementList = elements;
    h.queryRoutine = query;
    h.installRoutine = install;
    h.initializeRoutine = initialize;
    h.updateRoutine = update;
    h.generateRoutine = generate;
    h.drawRoutine = draw;
    h.killRoutine = kill;
    h.defaultSize = 100;
    h.mouseAreas = areas;
    h.gaugeCallback = callback;
    return h;
}();

}  // namespace

extern "C" {
host::ImportTable ImportTable = {{host::kImportPanelsId, nullptr}, {0, nullptr}};
host::Linkage Linkage = {0x13, init, deinit, 0, 0, 0x900, {&header, nullptr}};
}
