#include "render/GdiPlusSession.h"

#include "render/GdiPlusFlat.h"

namespace render {
namespace {

// Sessions the module has started and not yet ended.
int openSessions = 0;

}  // namespace

gdip::GpStatus startGdiPlus(uintptr_t& token, const gdip::GdiplusStartupInput& input) {
    gdip::ULONG_PTR received = 0;
    const gdip::GpStatus status = gdip::GdiplusStartup(&received, &input, nullptr);
    token = received;
    ++openSessions;
    return status;
}

void shutdownGdiPlus(uintptr_t token) {
    if (openSessions > 0) --openSessions;
#if defined(_WIN32)
    // gdiplus.dll counts its sessions: each start is paired with its own end.
    gdip::GdiplusShutdown(token);
#else
    // libgdiplus has one process-wide session, shared with the host, that
    // any shut-down ends for everybody; and ending it once text has been
    // drawn finalises fontconfig under pango's feet, which aborts the
    // process. Its session is left running.
    (void)token;
#endif
}

}  // namespace render
