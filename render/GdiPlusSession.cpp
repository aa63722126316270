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
    // libgdiplus has one process-wide session that the first shut-down ends
    // for everybody; it may only go when the module's last session does.
    if (openSessions == 0) gdip::GdiplusShutdown(token);
#endif
}

}  // namespace render
