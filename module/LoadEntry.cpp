// The library's load entry point: every load and unload is accepted; the
// module sets itself up lazily, on the host's first gauge service.
#if defined(_WIN32)
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif
