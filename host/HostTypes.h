// Basic types and the calling convention shared by the host and the module.
#pragma once

#include <cstddef>
#include <cstdint>

// Every routine the host calls, every panel-function entry the module calls
// and every operation of the host's service objects uses the host's calling
// convention: stdcall on 32-bit Windows, the platform default elsewhere.
#if defined(_WIN32) && !defined(_WIN64)
#define HOST_API __stdcall
#else
#define HOST_API
#endif

// The build that produces the product: host record layouts are checked there.
#if defined(_WIN32) && !defined(_WIN64)
#define QUILLON_HOST_LAYOUT_32 1
#else
#define QUILLON_HOST_LAYOUT_32 0
#endif

namespace host {

// A device-context handle as the host hands it over (HDC on Windows; on the
// Linux stand-in, whatever libgdiplus accepts in GdipCreateFromHDC).
using DeviceContext = void*;

}  // namespace host
