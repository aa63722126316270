// Start-up and shut-down of GDI+: the one pair of flat calls that code
// outside render/ needs, behind a function each.
#pragma once

#include <cstdint>

#include "render/GdiPlusTypes.h"

namespace render {

// Starts a GDI+ session described by the input record; the token receives
// the session to hand back to shutdownGdiPlus.
gdip::GpStatus startGdiPlus(uintptr_t& token, const gdip::GdiplusStartupInput& input);
// Ends the session of the token. Every GDI+ object made in it must be gone.
// With libgdiplus, whose one session serves the whole process (the host's
// included), GDI+ is left running.
void shutdownGdiPlus(uintptr_t token);

}  // namespace render
