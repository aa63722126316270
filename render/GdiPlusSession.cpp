#include "render/GdiPlusSession.h"

#include "render/GdiPlusFlat.h"

namespace render {

gdip::GpStatus startGdiPlus(uintptr_t& token, const gdip::GdiplusStartupInput& input) {
    gdip::ULONG_PTR received = 0;
    const gdip::GpStatus status = gdip::GdiplusStartup(&received, &input, nullptr);
    token = received;
    return status;
}

void shutdownGdiPlus(uintptr_t token) { gdip::GdiplusShutdown(token); }

}  // namespace render
