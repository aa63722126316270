#include "sim/GdiPlusSession.h"

#include <stdexcept>
#include <string>

#include "sim/GdiPlusHost.h"
#if !defined(_WIN32)
#include "sim/GdiPlusSessionLayer.h"
#endif

namespace sim {

void ensureGdiPlusStarted() {
    static bool started = false;
    if (started) return;
#if !defined(_WIN32)
    gdiplus_layer::HostGdiPlusCalls hostCalls;
#endif
    simgdip::GdiplusStartupInput input{1, nullptr, 0, 0};
    simgdip::ULONG_PTR token = 0;
    simgdip::GpStatus status = simgdip::GdiplusStartup(&token, &input, nullptr);
    if (status != simgdip::kOk)
        throw std::runtime_error("GdiplusStartup failed with status " + std::to_string(status));
    started = true;
}

}  // namespace sim
