// Start-up and shut-down of GDI+: the one pair of flat calls that code
// outside render/ needs, behind a function each.
#pragma once

#include <cstdint>

#include "render/GdiPlusTypes.h"

namespace render {

// Starts a GDI+ session described by the input record; the token receives
// the session to hand back to shutdownGdiPlus (0 when none started).
gdip::GpStatus startGdiPlus(uintptr_t& token, const gdip::GdiplusStartupInput& input);
// Ends the session of the token. Every GDI+ object made in it must be gone.
// GDI+ counts its sessions: it runs on while another one is open.
void shutdownGdiPlus(uintptr_t token);

}  // namespace render
