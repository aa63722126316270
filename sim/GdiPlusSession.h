// GDI+ for the host's own surfaces. libgdiplus keeps one process-wide
// start-up state that any GdiplusShutdown ends (a module shutting its own
// GDI+ down included), so the host starts it again before each use.
#pragma once

namespace sim {

void ensureGdiPlusStarted();

}  // namespace sim
