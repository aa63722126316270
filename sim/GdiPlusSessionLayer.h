// Counted GDI+ sessions for the programs that host the module on Linux.
//
// gdiplus.dll counts its sessions: every GdiplusStartup is paired with its
// own GdiplusShutdown, and GDI+ ends with the last one. libgdiplus has one
// session for the whole process, which any shut-down ends for everybody (and
// ending it once text was drawn tears fontconfig down under pango). The
// layer, a small library that every hosting program links ahead of
// libgdiplus, puts GdiplusStartup and GdiplusShutdown in front of
// libgdiplus's: the first start-up starts libgdiplus, which then runs until
// the process ends, and each caller gets a session of its own.
//
// It also watches the GDI+ objects the module makes and reports as a failure
// any object the module creates, uses or deletes while the module has no
// session open, any object still alive when the module ends its last
// session, and a shut-down of a session that is not open.
//
// Whose call is whose: GDI+ calls made while a HostGdiPlusCalls lives on the
// thread are the host's own (its surfaces and its sessions); libgdiplus's
// calls into itself are its own business; every other call is the module's.
//
// Faults: the layer can make one of the module's calls fail, as GDI+ does
// when it runs out of memory, to show that the module survives it (see
// failCall). QUILLON_GDIPLUS_FAIL_CALL=<n> and QUILLON_GDIPLUS_FAIL_STATUS=<s>
// plan the same for any hosting program from its start.
//
// It serves single-threaded hosts: its tables are unsynchronised, while the
// flags that say whose a call is are per thread.
#pragma once

#include <cstdint>

namespace sim::gdiplus_layer {

// Marks the GDI+ calls of this thread as the host's while it lives.
class HostGdiPlusCalls {
public:
    HostGdiPlusCalls();
    ~HostGdiPlusCalls();
    HostGdiPlusCalls(const HostGdiPlusCalls&) = delete;
    HostGdiPlusCalls& operator=(const HostGdiPlusCalls&) = delete;
};

// What a failure does: print it and abort the program (the default), or
// only count it, for a test that provokes one on purpose.
enum class OnFailure { Abort, Count };
void setOnFailure(OnFailure action);

struct Figures {
    int failures;
    int moduleSessions;  // open sessions the module started
    int hostSessions;    // open sessions the host started
    int moduleObjects;   // GDI+ objects of the module alive now
};
Figures figures();
// The text of the last failure; empty when there was none.
const char* lastFailure();

// ---- Faults ---------------------------------------------------------------------
// The module's calls that can report a failure are numbered from 1 from the
// moment counting starts: every flat function with a status, GdipAlloc and
// GdiplusStartup (GdiplusShutdown and GdipFree cannot fail). The call of
// the plan's number does not reach libgdiplus: it returns the status (a
// creator hands out no object, GdipAlloc null, GdiplusStartup no session).
// A failed deletion still deletes: nobody could do anything else with the
// object. Deleted objects are remembered for a while, and a use of one by the
// module is a failure like the others.
constexpr int32_t kStatusGenericError = 1;
constexpr int32_t kStatusInvalidParameter = 2;
constexpr int32_t kStatusOutOfMemory = 3;

struct FaultPlan {
    int64_t failCall = 0;  // its number; 0: none fails
    int32_t status = kStatusOutOfMemory;
    // Every later call of the same function from the same place in the
    // module fails too: a creation that keeps failing.
    bool keepFailing = false;
    // When set, failCall numbers only the calls of this function (a test
    // that fails one chosen call).
    const char* function = nullptr;
};
// Starts counting the module's calls from 0 with the plan.
void startCounting(const FaultPlan& plan = {});
// A new plan; the count goes on.
void planFault(const FaultPlan& plan);
void stopCounting();
// The module's calls counted so far.
int64_t moduleCalls();
// The function whose call was made to fail; null before it failed.
const char* failedFunction();
// Calls of that function from the same place in the module after it failed
// (the module trying again).
int64_t callsOfFailedFunctionSince();

// ---- libgdiplus as it is --------------------------------------------------------
// By default the layer's GdipRestoreGraphics draws with the compositing mode
// it restores, as gdiplus.dll does. Off: as libgdiplus alone, which reports
// the restored mode but keeps drawing with the one set before the restore
// (a host that runs the module over libgdiplus without this layer).
void setRestoreAppliesCompositing(bool applies);

}  // namespace sim::gdiplus_layer
