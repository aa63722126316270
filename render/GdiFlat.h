// The GDI functions the module calls, declared here like the GDI+ flat API:
// gdi32.dll on Windows; on Linux the stand-in host provides them over its
// libgdiplus surfaces (sim/Gdi32Layer.cpp). A Linux host without them leaves
// them null (weak references) and the module draws on the surface through
// GDI+ alone. Only render/ includes this file.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define QUILLON_GDI_API __stdcall
#define QUILLON_GDI_IMPORT
#else
#define QUILLON_GDI_API
#define QUILLON_GDI_IMPORT __attribute__((weak))
#endif

namespace gdi {

using HDC = void*;
using HGDIOBJ = void*;
using HBITMAP = void*;
using BOOL = int32_t;
using UINT = uint32_t;
using DWORD = uint32_t;

struct BITMAPINFOHEADER {
    DWORD biSize;
    int32_t biWidth;
    int32_t biHeight;  // negative: rows top-down
    uint16_t biPlanes;
    uint16_t biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "GDI's bitmap header is 40 bytes");

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    DWORD bmiColors[1];
};

// What GetObject fills for a DIB section (GetObject tells its size back:
// that of the bitmap alone for a bitmap that is not a section).
struct BITMAP {
    int32_t bmType;
    int32_t bmWidth;
    int32_t bmHeight;
    int32_t bmWidthBytes;
    uint16_t bmPlanes;
    uint16_t bmBitsPixel;
    void* bmBits;
};

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    void* dshSection;
    DWORD dsOffset;
};
static_assert(sizeof(void*) != 4 || sizeof(DIBSECTION) == 84, "GDI's 32-bit section record is 84 bytes");

constexpr DWORD kBiRgb = 0;
constexpr UINT kObjectBitmap = 7;  // OBJ_BITMAP
constexpr UINT kDibRgbColours = 0;
constexpr DWORD kSourceCopy = 0x00CC0020;  // SRCCOPY

}  // namespace gdi

extern "C" {
namespace gdi {

QUILLON_GDI_IMPORT HDC QUILLON_GDI_API CreateCompatibleDC(HDC deviceContext);
QUILLON_GDI_IMPORT BOOL QUILLON_GDI_API DeleteDC(HDC deviceContext);
QUILLON_GDI_IMPORT HBITMAP QUILLON_GDI_API CreateDIBSection(HDC deviceContext, const BITMAPINFO* info, UINT usage,
                                                            void** bits, void* section, DWORD offset);
QUILLON_GDI_IMPORT HGDIOBJ QUILLON_GDI_API SelectObject(HDC deviceContext, HGDIOBJ object);
QUILLON_GDI_IMPORT BOOL QUILLON_GDI_API DeleteObject(HGDIOBJ object);
QUILLON_GDI_IMPORT BOOL QUILLON_GDI_API BitBlt(HDC destination, int32_t x, int32_t y, int32_t width, int32_t height,
                                               HDC source, int32_t sourceX, int32_t sourceY, DWORD operation);
QUILLON_GDI_IMPORT BOOL QUILLON_GDI_API GdiFlush();
QUILLON_GDI_IMPORT HGDIOBJ QUILLON_GDI_API GetCurrentObject(HDC deviceContext, UINT type);
QUILLON_GDI_IMPORT int32_t QUILLON_GDI_API GetObjectW(HGDIOBJ object, int32_t size, void* record);

}  // namespace gdi
}
