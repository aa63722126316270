#include "render/GdiPlusSession.h"

#include "render/GdiPlusFlat.h"

namespace render {

gdip::GpStatus startGdiPlus(uintptr_t& token, const gdip::GdiplusStartupInput& input) {
    gdip::ULONG_PTR received = 0;
    const gdip::GpStatus status = gdip::GdiplusStartup(&received, &input, nullptr);
    // A session that did not start has nothing to end, and ending it would
    // end somebody else's: token 0 stands for none.
    token = status == gdip::kOk ? received : 0;
    return status;
}

void shutdownGdiPlus(uintptr_t token) {
    if (token != 0) gdip::GdiplusShutdown(token);
}

}  // namespace render
