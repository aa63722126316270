// GDI+ for the host's own surfaces: one session of the host's, started on
// first use and kept until the process ends. On Linux it is a session of the
// GDI+ session layer (sim/GdiPlusSessionLayer.h), apart from the module's.
#pragma once

namespace sim {

void ensureGdiPlusStarted();

}  // namespace sim
