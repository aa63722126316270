// The GDI+ flat functions the module calls, declared here so that one
// declaration serves gdiplus.dll on Windows and libgdiplus on Linux.
// Wide text is 16-bit everywhere (char16_t), never wchar_t. Only render/
// includes this file.
#pragma once

#include "render/GdiPlusTypes.h"

extern "C" {
namespace gdip {

GpStatus WINGDIPAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void WINGDIPAPI GdiplusShutdown(ULONG_PTR token);
void* WINGDIPAPI GdipAlloc(size_t size);
void WINGDIPAPI GdipFree(void* pointer);

GpStatus WINGDIPAPI GdipCreateFromHDC(void* hdc, GpGraphics** graphics);
GpStatus WINGDIPAPI GdipDeleteGraphics(GpGraphics* graphics);
GpStatus WINGDIPAPI GdipScaleWorldTransform(GpGraphics* graphics, REAL sx, REAL sy, INT order);
GpStatus WINGDIPAPI GdipTranslateWorldTransform(GpGraphics* graphics, REAL dx, REAL dy, INT order);
GpStatus WINGDIPAPI GdipResetWorldTransform(GpGraphics* graphics);
GpStatus WINGDIPAPI GdipGraphicsClear(GpGraphics* graphics, ARGB colour);
GpStatus WINGDIPAPI GdipSetClipRectI(GpGraphics* graphics, INT x, INT y, INT width, INT height, INT combineMode);
GpStatus WINGDIPAPI GdipResetClip(GpGraphics* graphics);
GpStatus WINGDIPAPI GdipSetSmoothingMode(GpGraphics* graphics, INT mode);
GpStatus WINGDIPAPI GdipSetTextRenderingHint(GpGraphics* graphics, INT hint);
GpStatus WINGDIPAPI GdipBeginContainer2(GpGraphics* graphics, GraphicsContainer* state);
GpStatus WINGDIPAPI GdipEndContainer(GpGraphics* graphics, GraphicsContainer state);

GpStatus WINGDIPAPI GdipCreateBitmapFromScan0(INT width, INT height, INT stride, INT format, uint8_t* scan0,
                                              GpBitmap** bitmap);
GpStatus WINGDIPAPI GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
GpStatus WINGDIPAPI GdipGetDpiY(GpGraphics* graphics, REAL* dpi);
GpStatus WINGDIPAPI GdipDisposeImage(GpImage* image);
GpStatus WINGDIPAPI GdipSetCompositingMode(GpGraphics* graphics, INT mode);
GpStatus WINGDIPAPI GdipSaveGraphics(GpGraphics* graphics, GraphicsState* state);
GpStatus WINGDIPAPI GdipRestoreGraphics(GpGraphics* graphics, GraphicsState state);
GpStatus WINGDIPAPI GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height);

GpStatus WINGDIPAPI GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2);
GpStatus WINGDIPAPI GdipDrawLines(GpGraphics* graphics, GpPen* pen, const PointF* points, INT count);
GpStatus WINGDIPAPI GdipDrawEllipse(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
GpStatus WINGDIPAPI GdipDrawArc(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height,
                                REAL startAngle, REAL sweepAngle);
GpStatus WINGDIPAPI GdipDrawRectangle(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
GpStatus WINGDIPAPI GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus WINGDIPAPI GdipFillPie(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height,
                                REAL startAngle, REAL sweepAngle);
GpStatus WINGDIPAPI GdipDrawString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                                   const RectF* layout, const GpStringFormat* format, const GpBrush* brush);
GpStatus WINGDIPAPI GdipMeasureString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                                      const RectF* layout, const GpStringFormat* format, RectF* bounds,
                                      INT* codepointsFitted, INT* linesFilled);

GpStatus WINGDIPAPI GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstX, REAL dstY, REAL dstWidth,
                                          REAL dstHeight, REAL srcX, REAL srcY, REAL srcWidth, REAL srcHeight,
                                          INT srcUnit, const void* imageAttributes, void* abortCallback,
                                          void* callbackData);
GpStatus WINGDIPAPI GdipSetInterpolationMode(GpGraphics* graphics, INT mode);

GpStatus WINGDIPAPI GdipCreateSolidFill(ARGB colour, GpSolidFill** brush);
GpStatus WINGDIPAPI GdipDeleteBrush(GpBrush* brush);

GpStatus WINGDIPAPI GdipCreatePen2(GpBrush* brush, REAL width, INT unit, GpPen** pen);
GpStatus WINGDIPAPI GdipSetPenDashArray(GpPen* pen, const REAL* dashes, INT count);
GpStatus WINGDIPAPI GdipDeletePen(GpPen* pen);

GpStatus WINGDIPAPI GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection* collection,
                                                 GpFontFamily** family);
GpStatus WINGDIPAPI GdipGetGenericFontFamilySansSerif(GpFontFamily** family);
GpStatus WINGDIPAPI GdipDeleteFontFamily(GpFontFamily* family);
GpStatus WINGDIPAPI GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, INT unit, GpFont** font);
GpStatus WINGDIPAPI GdipGetFontSize(GpFont* font, REAL* size);
GpStatus WINGDIPAPI GdipDeleteFont(GpFont* font);

GpStatus WINGDIPAPI GdipCreateStringFormat(INT flags, LANGID language, GpStringFormat** format);
GpStatus WINGDIPAPI GdipSetStringFormatAlign(GpStringFormat* format, INT align);
GpStatus WINGDIPAPI GdipSetStringFormatLineAlign(GpStringFormat* format, INT align);
GpStatus WINGDIPAPI GdipDeleteStringFormat(GpStringFormat* format);

GpStatus WINGDIPAPI GdipCreatePath(INT fillMode, GpPath** path);
GpStatus WINGDIPAPI GdipResetPath(GpPath* path);
GpStatus WINGDIPAPI GdipStartPathFigure(GpPath* path);
GpStatus WINGDIPAPI GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2);
GpStatus WINGDIPAPI GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path);
GpStatus WINGDIPAPI GdipDeletePath(GpPath* path);

GpStatus WINGDIPAPI GdipCreateMatrix(GpMatrix** matrix);
GpStatus WINGDIPAPI GdipSetMatrixElements(GpMatrix* matrix, REAL m11, REAL m12, REAL m21, REAL m22, REAL dx,
                                          REAL dy);
GpStatus WINGDIPAPI GdipRotateMatrix(GpMatrix* matrix, REAL angle, INT order);
GpStatus WINGDIPAPI GdipTranslateMatrix(GpMatrix* matrix, REAL dx, REAL dy, INT order);
GpStatus WINGDIPAPI GdipTransformMatrixPoints(GpMatrix* matrix, PointF* points, INT count);
GpStatus WINGDIPAPI GdipDeleteMatrix(GpMatrix* matrix);

}  // namespace gdip
}
