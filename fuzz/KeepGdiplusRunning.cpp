// libgdiplus has one session for the whole process: ending it finalises
// fontconfig, and starting it again reloads the whole font configuration,
// which would make every fuzz input cost tens of milliseconds. The fuzz
// targets therefore keep the library running: this definition takes the
// place of the library's shut-down for the module linked into the target.
//
// It still checks what the real shut-down demands: no GDI+ object of the
// module may be alive when the session ends (libgdiplus would pull fonts
// and fontconfig's caches from under them and abort the process).
#include <cstdio>
#include <cstdlib>

#include "render/GdiPlusObjects.h"
#include "render/GdiPlusTypes.h"
#include "render/SharedGdiObjects.h"

extern "C" void WINGDIPAPI GdiplusShutdown(gdip::ULONG_PTR) {
    const int held = render::liveGdiObjects();
    if (held != 0) {
        std::fprintf(stderr, "GDI+ shut down while the module still holds %d GDI+ objects (%d shared)\n", held,
                     render::liveSharedGdiObjects());
        std::abort();
    }
}
