// The library's load entry point: every load and unload is accepted; the
// module sets itself up lazily, on the host's first gauge service.
#if defined(_WIN32)
#include <windows.h>

// The C++ runtime is linked into the DLL, and it allocates an emergency
// arena for exceptions when the DLL loads that nothing frees when it
// unloads: a host that unloads and loads the module again (a panel
// reloaded) would lose that much heap each time.
namespace __gnu_cxx {
void __freeres() noexcept;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID processEnding) {
    // At process end (processEnding non-null) the memory goes with the process.
    if (reason == DLL_PROCESS_DETACH && processEnding == nullptr) __gnu_cxx::__freeres();
    return TRUE;
}
#endif
