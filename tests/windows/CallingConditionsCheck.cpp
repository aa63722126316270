// The stand-in's calling conditions, as the probe module found them: every
// routine the host calls (module init and deinit, the gauge callback, the
// mouse function, the seven element-list routines) was entered with its
// arguments at 4, 8 or 12 modulo 16, all three offsets occurring, with the
// x87 unit in single precision, and got its arguments and results through
// intact; the caller's own control word is back afterwards.
// Exit code 0 when everything held.
#include <windows.h>

#include <cstdio>
#include <string>

#include "sim/Host.h"
#include "sim/ModuleCall.h"
#include "tests/windows/CallingConditionsProbe.h"
#include "tests/windows/CheckReport.h"

namespace {

using checks::check;
using checks::failures;

uint16_t controlWord() {
    uint16_t word = 0;
    asm volatile("fnstcw %0" : "=m"(word));
    return word;
}

constexpr uintptr_t kElementValue = 0x5eed;

void driveProbe(const std::string& path) {
    sim::Host host(path);
    check(host.loaded(), "the host loads the probe: " + host.error());
    if (!host.loaded()) return;
    sim::Window& window = host.openWindow("Probe", 100, 100);
    host.frames(4);
    check(host.click(window, 50, 50) == 1, "the mouse function's result comes back");
    using R = sim::Host::ElementRoutine;
    const R routines[] = {R::Query, R::Install, R::Initialize, R::Update, R::Generate, R::Draw, R::Kill};
    for (int i = 0; i < 7; ++i) {
        const int32_t expected = probe::kElementResultBase + probe::kElementQuery + i;
        check(host.callElementRoutine(window, routines[i], kElementValue) == expected,
              "element routine " + std::to_string(i) + " returns its own result");
    }
}

void checkLog(const probe::Log& log) {
    bool seen[probe::kRoutineEnd] = {};
    bool offsetSeen[16] = {};
    bool serviceSeen[3] = {};  // 14, 10, 15
    for (uint32_t i = 0; i < log.count; ++i) {
        const probe::Record& r = log.records[i];
        const std::string call = "call " + std::to_string(i) + " (routine " + std::to_string(r.routine) + ")";
        check(r.routine > 0 && r.routine < probe::kRoutineEnd, call + " names a routine");
        if (r.routine > 0 && r.routine < probe::kRoutineEnd) seen[r.routine] = true;
        check(r.argumentsModulo16 == 4 || r.argumentsModulo16 == 8 || r.argumentsModulo16 == 12,
              call + ": arguments at " + std::to_string(r.argumentsModulo16) + " modulo 16");
        offsetSeen[r.argumentsModulo16 % 16] = true;
        check(r.controlWord == sim::kHostX87ControlWord,
              call + ": x87 control word " + std::to_string(r.controlWord));
        if (r.routine == probe::kGaugeCallback) {
            serviceSeen[0] |= r.argument == 14;
            serviceSeen[1] |= r.argument == 10;
            serviceSeen[2] |= r.argument == 15;
        }
        if (r.routine == probe::kMouseFunction) check(r.argument == 50, call + ": click x arrives");
        if (r.routine == probe::kElementInstall || r.routine == probe::kElementGenerate)
            check(r.argument == kElementValue, call + ": the value arrives");
    }
    for (uint32_t routine = probe::kInit; routine < probe::kRoutineEnd; ++routine)
        check(seen[routine], "routine " + std::to_string(routine) + " was called");
    check(offsetSeen[4] && offsetSeen[8] && offsetSeen[12], "each of the offsets 4, 8 and 12 occurred");
    check(serviceSeen[0] && serviceSeen[1] && serviceSeen[2], "services 14, 10 and 15 arrived");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-CallingConditionsProbe.dll\n", argv[0]);
        return 2;
    }
    // Our own reference keeps the log readable after the host unloads the probe.
    HMODULE keep = LoadLibraryA(argv[1]);
    auto* log = keep ? reinterpret_cast<const probe::Log*>(GetProcAddress(keep, "ProbeLog")) : nullptr;
    if (log == nullptr) {
        std::fprintf(stderr, "FAILED: no ProbeLog in %s\n", argv[1]);
        return 1;
    }
    const uint16_t ownControlWord = controlWord();
    try {
        driveProbe(argv[1]);
    } catch (const std::exception& error) {
        check(false, std::string("unexpected exception: ") + error.what());
    }
    check(controlWord() == ownControlWord, "the host's own x87 control word is restored");
    check(ownControlWord != sim::kHostX87ControlWord, "the host itself runs in another precision");
    checkLog(*log);
    if (failures == 0)
        std::printf("%u calls into the module, each with the stack at 4, 8 or 12 modulo 16 and the x87 control "
                    "word %#06x\n",
                    static_cast<unsigned>(log->count), static_cast<unsigned>(sim::kHostX87ControlWord));
    FreeLibrary(keep);
    return failures == 0 ? 0 : 1;
}
