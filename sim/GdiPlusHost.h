// The few GDI+ flat functions the stand-in host needs for its drawing
// surfaces (bitmaps, their device contexts, pixel reads, PNG files). Declared
// here so that the host needs no header of the module's; one libgdiplus (or
// gdiplus.dll) serves the whole process.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define SIM_GDIPAPI __stdcall
#else
#define SIM_GDIPAPI
#endif

extern "C" {
namespace simgdip {

using GpStatus = int32_t;
using INT = int32_t;
using UINT = uint32_t;
using BOOL = int32_t;
using ARGB = uint32_t;
using PixelFormat = int32_t;
using ULONG_PTR = uintptr_t;

struct GpImage;
struct GpBitmap;
struct GpGraphics;

struct Clsid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

struct Rect {
    INT X;
    INT Y;
    INT Width;
    INT Height;
};

struct BitmapData {
    UINT Width;
    UINT Height;
    INT Stride;
    PixelFormat Format;
    void* Scan0;
    ULONG_PTR Reserved;
};

using DebugEventProc = void(SIM_GDIPAPI*)(INT level, char* message);

struct GdiplusStartupInput {
    UINT GdiplusVersion;
    DebugEventProc DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;
};

struct GdiplusStartupOutput;
struct EncoderParameters;

GpStatus SIM_GDIPAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void SIM_GDIPAPI GdiplusShutdown(ULONG_PTR token);

GpStatus SIM_GDIPAPI GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, uint8_t* scan0,
                                               GpBitmap** bitmap);
GpStatus SIM_GDIPAPI GdipDisposeImage(GpImage* image);
GpStatus SIM_GDIPAPI GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
GpStatus SIM_GDIPAPI GdipDeleteGraphics(GpGraphics* graphics);
GpStatus SIM_GDIPAPI GdipGraphicsClear(GpGraphics* graphics, ARGB colour);
GpStatus SIM_GDIPAPI GdipGetDC(GpGraphics* graphics, void** hdc);
GpStatus SIM_GDIPAPI GdipReleaseDC(GpGraphics* graphics, void* hdc);
GpStatus SIM_GDIPAPI GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* colour);
GpStatus SIM_GDIPAPI GdipBitmapLockBits(GpBitmap* bitmap, const Rect* rect, UINT flags, PixelFormat format,
                                        BitmapData* data);
GpStatus SIM_GDIPAPI GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* data);
GpStatus SIM_GDIPAPI GdipCloneBitmapAreaI(INT x, INT y, INT width, INT height, PixelFormat format, GpBitmap* source,
                                          GpBitmap** clone);
GpStatus SIM_GDIPAPI GdipSaveImageToFile(GpImage* image, const char16_t* fileName, const Clsid* encoder,
                                         const EncoderParameters* parameters);

}  // namespace simgdip
}

namespace simgdip {

constexpr GpStatus kOk = 0;
constexpr PixelFormat kPixelFormat32bppArgb = 0x0026200A;
constexpr UINT kImageLockModeRead = 1;
// The PNG encoder of the GDI+ codec list.
constexpr Clsid kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

}  // namespace simgdip
