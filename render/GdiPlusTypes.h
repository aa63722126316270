// The GDI+ flat types and constants the module uses. Wrappers include only
// this; the functions themselves are declared in GdiPlusFlat.h.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define WINGDIPAPI __stdcall
#else
#define WINGDIPAPI
#endif

namespace gdip {

using GpStatus = int32_t;
using REAL = float;
using ARGB = uint32_t;
using INT = int32_t;
using UINT = uint32_t;
using BOOL = int32_t;
using WCHAR = char16_t;
using LANGID = uint16_t;
using GraphicsContainer = uint32_t;
using GraphicsState = uint32_t;
using ULONG_PTR = uintptr_t;

constexpr GpStatus kOk = 0;
constexpr GpStatus kGenericError = 1;
constexpr GpStatus kInvalidParameter = 2;
constexpr GpStatus kOutOfMemory = 3;

// Enumerations, passed as INT.
constexpr INT kUnitWorld = 0;
constexpr INT kUnitPixel = 2;
constexpr INT kCombineModeReplace = 0;
constexpr INT kUnitPoint = 3;
constexpr INT kFontStyleRegular = 0;
constexpr INT kFontStyleBold = 1;
constexpr INT kMatrixOrderPrepend = 0;
constexpr INT kSmoothingModeAntiAlias = 4;
constexpr INT kTextRenderingHintClearTypeGridFit = 5;
constexpr INT kStringAlignmentNear = 0;
constexpr INT kStringAlignmentCenter = 1;
constexpr INT kStringAlignmentFar = 2;
constexpr INT kCompositingModeSourceOver = 0;
constexpr INT kCompositingModeSourceCopy = 1;
constexpr INT kPixelFormat32bppArgb = 0x0026200A;
constexpr INT kPixelFormat32bppPArgb = 0x000E200B;
constexpr INT kInterpolationModeDefault = 0;
constexpr INT kInterpolationModeNearestNeighbor = 5;
constexpr INT kFillModeWinding = 1;

struct GpGraphics;
struct GpBrush;
struct GpSolidFill;
struct GpPen;
struct GpFontFamily;
struct GpFontCollection;
struct GpFont;
struct GpStringFormat;
struct GpMatrix;
struct GpImage;
struct GpBitmap;
struct GpPath;

struct PointF {
    REAL X;
    REAL Y;
};

struct RectF {
    REAL X;
    REAL Y;
    REAL Width;
    REAL Height;
};

using DebugEventProc = void(WINGDIPAPI*)(INT level, char* message);

struct GdiplusStartupInput {
    UINT GdiplusVersion;
    DebugEventProc DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;
};

struct GdiplusStartupOutput;

}  // namespace gdip

