// A GDI+ that does nothing: every flat function the module calls returns Ok
// at once. Linked into a copy of the module in place of libgdiplus, it leaves
// only the module's own work in a frame, so that the frame's cost can be
// split into the module's share and the drawing library's.
//
// Creating functions hand out distinct dummy handles (never dereferenced);
// GdipAlloc and GdipFree are malloc and free, since the module keeps objects
// in that memory. Points given to a matrix come back unchanged and measured
// text is empty: the module's arithmetic around them is the same either way.
#include <cstdint>
#include <cstdlib>

#include "render/GdiPlusFlat.h"

namespace {

uintptr_t nextHandle = 0x10000;

template <typename Handle>
gdip::GpStatus handOut(Handle** handle) {
    if (handle == nullptr) return gdip::kInvalidParameter;
    nextHandle += 16;
    *handle = reinterpret_cast<Handle*>(nextHandle);
    return gdip::kOk;
}

constexpr float kDummyFontSize = 40.0f;
constexpr float kDummyTextWidth = 60.0f;
constexpr float kDummyTextHeight = 40.0f;

}  // namespace

extern "C" {
namespace gdip {

GpStatus WINGDIPAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput*, GdiplusStartupOutput*) {
    if (token != nullptr) *token = 1;
    return kOk;
}
void WINGDIPAPI GdiplusShutdown(ULONG_PTR) {}
void* WINGDIPAPI GdipAlloc(size_t size) { return std::malloc(size); }
void WINGDIPAPI GdipFree(void* pointer) { std::free(pointer); }

GpStatus WINGDIPAPI GdipCreateFromHDC(void*, GpGraphics** graphics) { return handOut(graphics); }
GpStatus WINGDIPAPI GdipDeleteGraphics(GpGraphics*) { return kOk; }
GpStatus WINGDIPAPI GdipScaleWorldTransform(GpGraphics*, REAL, REAL, INT) { return kOk; }
GpStatus WINGDIPAPI GdipTranslateWorldTransform(GpGraphics*, REAL, REAL, INT) { return kOk; }
GpStatus WINGDIPAPI GdipResetWorldTransform(GpGraphics*) { return kOk; }
GpStatus WINGDIPAPI GdipGraphicsClear(GpGraphics*, ARGB) { return kOk; }
GpStatus WINGDIPAPI GdipSetClipRectI(GpGraphics*, INT, INT, INT, INT, INT) { return kOk; }
GpStatus WINGDIPAPI GdipResetClip(GpGraphics*) { return kOk; }
GpStatus WINGDIPAPI GdipSetSmoothingMode(GpGraphics*, INT) { return kOk; }
GpStatus WINGDIPAPI GdipSetTextRenderingHint(GpGraphics*, INT) { return kOk; }
GpStatus WINGDIPAPI GdipBeginContainer2(GpGraphics*, GraphicsContainer* state) {
    if (state != nullptr) *state = 1;
    return kOk;
}
GpStatus WINGDIPAPI GdipEndContainer(GpGraphics*, GraphicsContainer) { return kOk; }
GpStatus WINGDIPAPI GdipSaveGraphics(GpGraphics*, GraphicsState* state) {
    *state = 1;
    return kOk;
}
GpStatus WINGDIPAPI GdipRestoreGraphics(GpGraphics*, GraphicsState) { return kOk; }

GpStatus WINGDIPAPI GdipCreateBitmapFromScan0(INT, INT, INT, INT, uint8_t*, GpBitmap** bitmap) {
    return handOut(bitmap);
}
GpStatus WINGDIPAPI GdipGetImageGraphicsContext(GpImage*, GpGraphics** graphics) { return handOut(graphics); }
GpStatus WINGDIPAPI GdipDisposeImage(GpImage*) { return kOk; }
GpStatus WINGDIPAPI GdipSetCompositingMode(GpGraphics*, INT) { return kOk; }
GpStatus WINGDIPAPI GdipDrawImageRectI(GpGraphics*, GpImage*, INT, INT, INT, INT) { return kOk; }

GpStatus WINGDIPAPI GdipDrawLine(GpGraphics*, GpPen*, REAL, REAL, REAL, REAL) { return kOk; }
GpStatus WINGDIPAPI GdipDrawLines(GpGraphics*, GpPen*, const PointF*, INT) { return kOk; }
GpStatus WINGDIPAPI GdipDrawEllipse(GpGraphics*, GpPen*, REAL, REAL, REAL, REAL) { return kOk; }
GpStatus WINGDIPAPI GdipDrawArc(GpGraphics*, GpPen*, REAL, REAL, REAL, REAL, REAL, REAL) { return kOk; }
GpStatus WINGDIPAPI GdipDrawRectangle(GpGraphics*, GpPen*, REAL, REAL, REAL, REAL) { return kOk; }
GpStatus WINGDIPAPI GdipFillEllipse(GpGraphics*, GpBrush*, REAL, REAL, REAL, REAL) { return kOk; }
GpStatus WINGDIPAPI GdipFillPie(GpGraphics*, GpBrush*, REAL, REAL, REAL, REAL, REAL, REAL) { return kOk; }
GpStatus WINGDIPAPI GdipDrawString(GpGraphics*, const WCHAR*, INT, const GpFont*, const RectF*,
                                   const GpStringFormat*, const GpBrush*) {
    return kOk;
}
GpStatus WINGDIPAPI GdipMeasureString(GpGraphics*, const WCHAR*, INT, const GpFont*, const RectF* layout,
                                      const GpStringFormat*, RectF* bounds, INT* codepointsFitted,
                                      INT* linesFilled) {
    // A size like a short text's, so that what the module does with a
    // measured text (the tag atlas) runs as it does with a real GDI+.
    if (bounds != nullptr)
        *bounds = RectF{layout ? layout->X : 0.0f, layout ? layout->Y : 0.0f, kDummyTextWidth, kDummyTextHeight};
    if (codepointsFitted != nullptr) *codepointsFitted = 0;
    if (linesFilled != nullptr) *linesFilled = 0;
    return kOk;
}

GpStatus WINGDIPAPI GdipDrawImageRectRect(GpGraphics*, GpImage*, REAL, REAL, REAL, REAL, REAL, REAL, REAL, REAL, INT,
                                          const void*, void*, void*) {
    return kOk;
}
GpStatus WINGDIPAPI GdipSetInterpolationMode(GpGraphics*, INT) { return kOk; }
GpStatus WINGDIPAPI GdipGetDpiY(GpGraphics*, REAL* dpi) {
    if (dpi != nullptr) *dpi = 96.0f;
    return kOk;
}

GpStatus WINGDIPAPI GdipCreateSolidFill(ARGB, GpSolidFill** brush) { return handOut(brush); }
GpStatus WINGDIPAPI GdipDeleteBrush(GpBrush*) { return kOk; }

GpStatus WINGDIPAPI GdipCreatePen2(GpBrush*, REAL, INT, GpPen** pen) { return handOut(pen); }
GpStatus WINGDIPAPI GdipSetPenDashArray(GpPen*, const REAL*, INT) { return kOk; }
GpStatus WINGDIPAPI GdipDeletePen(GpPen*) { return kOk; }

GpStatus WINGDIPAPI GdipCreateFontFamilyFromName(const WCHAR*, GpFontCollection*, GpFontFamily** family) {
    return handOut(family);
}
GpStatus WINGDIPAPI GdipGetGenericFontFamilySansSerif(GpFontFamily** family) { return handOut(family); }
GpStatus WINGDIPAPI GdipDeleteFontFamily(GpFontFamily*) { return kOk; }
GpStatus WINGDIPAPI GdipCreateFont(const GpFontFamily*, REAL, INT, INT, GpFont** font) { return handOut(font); }
GpStatus WINGDIPAPI GdipGetFontSize(GpFont*, REAL* size) {
    if (size != nullptr) *size = kDummyFontSize;
    return kOk;
}
GpStatus WINGDIPAPI GdipDeleteFont(GpFont*) { return kOk; }

GpStatus WINGDIPAPI GdipCreateStringFormat(INT, LANGID, GpStringFormat** format) { return handOut(format); }
GpStatus WINGDIPAPI GdipSetStringFormatAlign(GpStringFormat*, INT) { return kOk; }
GpStatus WINGDIPAPI GdipSetStringFormatLineAlign(GpStringFormat*, INT) { return kOk; }
GpStatus WINGDIPAPI GdipDeleteStringFormat(GpStringFormat*) { return kOk; }

GpStatus WINGDIPAPI GdipCreatePath(INT, GpPath** path) { return handOut(path); }
GpStatus WINGDIPAPI GdipResetPath(GpPath*) { return kOk; }
GpStatus WINGDIPAPI GdipStartPathFigure(GpPath*) { return kOk; }
GpStatus WINGDIPAPI GdipAddPathLine(GpPath*, REAL, REAL, REAL, REAL) { return kOk; }
GpStatus WINGDIPAPI GdipDrawPath(GpGraphics*, GpPen*, GpPath*) { return kOk; }
GpStatus WINGDIPAPI GdipDeletePath(GpPath*) { return kOk; }

GpStatus WINGDIPAPI GdipCreateMatrix(GpMatrix** matrix) { return handOut(matrix); }
GpStatus WINGDIPAPI GdipSetMatrixElements(GpMatrix*, REAL, REAL, REAL, REAL, REAL, REAL) { return kOk; }
GpStatus WINGDIPAPI GdipRotateMatrix(GpMatrix*, REAL, INT) { return kOk; }
GpStatus WINGDIPAPI GdipTranslateMatrix(GpMatrix*, REAL, REAL, INT) { return kOk; }
GpStatus WINGDIPAPI GdipTransformMatrixPoints(GpMatrix*, PointF*, INT) { return kOk; }
GpStatus WINGDIPAPI GdipDeleteMatrix(GpMatrix*) { return kOk; }

}  // namespace gdip
}

// GDI's part likewise: a section's pixels are real memory, since the module
// copies its backdrop into them (its own work); the blit does nothing.
#include "render/GdiFlat.h"

extern "C" {
namespace gdi {

HDC CreateCompatibleDC(HDC) {
    HDC context = nullptr;
    handOut(reinterpret_cast<void**>(&context));
    return context;
}
BOOL DeleteDC(HDC) { return 1; }
HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT, void** bits, void*, DWORD) {
    if (info == nullptr || bits == nullptr || info->bmiHeader.biWidth <= 0) return nullptr;
    const int64_t rows = info->bmiHeader.biHeight < 0 ? -int64_t{info->bmiHeader.biHeight} : info->bmiHeader.biHeight;
    *bits = std::malloc(static_cast<size_t>(rows * info->bmiHeader.biWidth * (info->bmiHeader.biBitCount / 8)));
    return *bits;  // the pixels stand for the section
}
HGDIOBJ SelectObject(HDC, HGDIOBJ) { return reinterpret_cast<HGDIOBJ>(uintptr_t{0x20}); }
BOOL DeleteObject(HGDIOBJ object) {
    if (object != reinterpret_cast<HGDIOBJ>(uintptr_t{0x20})) std::free(object);
    return 1;
}
BOOL BitBlt(HDC, int32_t, int32_t, int32_t, int32_t, HDC, int32_t, int32_t, DWORD) { return 1; }
BOOL GdiFlush() { return 1; }
// No host section to compose in: the module keeps a picture of its own.
HGDIOBJ GetCurrentObject(HDC, UINT) { return nullptr; }
int32_t GetObjectW(HGDIOBJ, int32_t, void*) { return 0; }

}  // namespace gdi
}
