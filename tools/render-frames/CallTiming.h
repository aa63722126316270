// Where a redraw's time goes, by the drawing calls the module makes: on the
// 32-bit Windows build, timing thunks put in the module's import table in
// front of gdiplus.dll and gdi32.dll (the module itself is not touched).
// Each call is timed by the processor's time-stamp counter, so the figures
// are wall time; the share of each element is what the profile is for.
#pragma once

#include <string>
#include <vector>

namespace quillon::frames {

// One element of a frame and what its calls cost per redraw.
struct ElementTime {
    const char* element;
    double microseconds;
    double calls;
};

namespace call_timing {

// Whether this build can profile (32-bit Windows only).
bool available();
// Puts the thunks in the loaded module's import table; false when the
// module is not loaded or imports no GDI+.
bool instrument(const std::string& modulePath, std::string& error);
// The account the following calls go to (0 the module, 1 the reference),
// emptied.
void startAccount(int account);
// Called before each redraw: the redraw's first stroke is counted on its own.
void startRedraw();
// The account's elements per redraw, in a fixed order; none when idle.
std::vector<ElementTime> perRedraw(int account, int redraws);

}  // namespace call_timing
}  // namespace quillon::frames
