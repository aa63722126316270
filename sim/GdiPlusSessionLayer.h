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
#pragma once

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

}  // namespace sim::gdiplus_layer
