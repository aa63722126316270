// The bitmap side of the flat API, which the module itself never uses: test
// surfaces are libgdiplus bitmaps whose device context the gauges draw on.
#pragma once

#include <cstdint>

#include "render/GdiPlusTypes.h"

extern "C" {
gdip::GpStatus WINGDIPAPI GdipCreateBitmapFromScan0(int width, int height, int stride, int format,
                                                    unsigned char* scan0, void** bitmap);
gdip::GpStatus WINGDIPAPI GdipGetImageGraphicsContext(void* image, void** graphics);
gdip::GpStatus WINGDIPAPI GdipGetDC(void* graphics, void** deviceContext);
gdip::GpStatus WINGDIPAPI GdipReleaseDC(void* graphics, void* deviceContext);
gdip::GpStatus WINGDIPAPI GdipDeleteGraphics(void* graphics);
gdip::GpStatus WINGDIPAPI GdipDisposeImage(void* image);
gdip::GpStatus WINGDIPAPI GdipBitmapGetPixel(void* bitmap, int x, int y, gdip::ARGB* colour);
gdip::GpStatus WINGDIPAPI GdipSaveImageToFile(void* image, const char16_t* fileName, const void* encoder,
                                              const void* parameters);
}

namespace quillon::testing::imaging {

constexpr int kPixelFormat32bppArgb = 0x26200A;

struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
constexpr Guid kPngEncoder{0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

}  // namespace quillon::testing::imaging
