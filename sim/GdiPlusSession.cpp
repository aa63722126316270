#include "sim/GdiPlusSession.h"

#include <stdexcept>
#include <string>

#include "sim/GdiPlusHost.h"

namespace sim {

void ensureGdiPlusStarted() {
    // libgdiplus: a start-up while started is free and a shutdown ends it for
    // everyone, so asking again is both cheap and necessary.
    simgdip::GdiplusStartupInput input{1, nullptr, 0, 0};
    simgdip::ULONG_PTR token = 0;
    simgdip::GpStatus status = simgdip::GdiplusStartup(&token, &input, nullptr);
    if (status != simgdip::kOk)
        throw std::runtime_error("GdiplusStartup failed with status " + std::to_string(status));
}

}  // namespace sim
