#include "tests/support/TestSurface.h"

#include <algorithm>
#include <cstdlib>

#include "render/GdiPlusSession.h"
#include "render/GdiPlusTypes.h"
#include "sim/GdiPlusSessionLayer.h"
#include "tests/support/GdiPlusImaging.h"


namespace quillon::testing {
namespace {

using imaging::kPixelFormat32bppArgb;
// The bitmap behind a test surface is the host's, not the module's.
using sim::gdiplus_layer::HostGdiPlusCalls;
using imaging::kPngEncoder;

bool near(uint32_t argb, uint32_t wanted, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = static_cast<int>((argb >> shift) & 0xff);
        const int b = static_cast<int>((wanted >> shift) & 0xff);
        if (std::abs(a - b) > tolerance) return false;
    }
    return true;
}

}  // namespace

void ensureGdiplusStarted() {
    static bool started = false;
    if (started) return;
    // A session of the module's own, held by the test program for the pieces
    // that tests drive without a gauge around them.
    uintptr_t token = 0;
    const gdip::GdiplusStartupInput input{1, nullptr, 0, 0};
    render::startGdiPlus(token, input);
    started = true;
}

Colour colourOf(uint32_t argb) {
    return Colour{static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8), static_cast<uint8_t>(argb)};
}

TestSurface::TestSurface(int width, int height) : width_(width), height_(height) {
    ensureGdiplusStarted();
    {
        HostGdiPlusCalls hostCalls;
        GdipCreateBitmapFromScan0(width, height, 0, kPixelFormat32bppArgb, nullptr, &bitmap_);
        GdipGetImageGraphicsContext(bitmap_, &imageGraphics_);
        GdipGetDC(imageGraphics_, &deviceContext_);
    }
    graphics_.createFromDeviceContext(deviceContext_);
    graphics_.scaleWorldTransform(width * 0.001f, height * 0.001f);
}

TestSurface::~TestSurface() {
    graphics_.release();
    HostGdiPlusCalls hostCalls;
    if (deviceContext_ != nullptr) GdipReleaseDC(imageGraphics_, deviceContext_);
    if (imageGraphics_ != nullptr) GdipDeleteGraphics(imageGraphics_);
    if (bitmap_ != nullptr) GdipDisposeImage(bitmap_);
}

uint32_t TestSurface::pixel(int x, int y) const {
    gdip::ARGB colour = 0;
    GdipBitmapGetPixel(bitmap_, x, y, &colour);
    return colour;
}

uint32_t TestSurface::logicalPixel(float x, float y) const {
    return pixel(static_cast<int>(x * width_ * 0.001f), static_cast<int>(y * height_ * 0.001f));
}

bool TestSurface::colourNear(float x, float y, float radius, uint32_t argb, int tolerance) const {
    return countColour(x - radius, y - radius, x + radius, y + radius, argb, tolerance) > 0;
}

int TestSurface::countColour(float left, float top, float right, float bottom, uint32_t argb, int tolerance) const {
    int count = 0;
    const int x0 = std::max(0, static_cast<int>(left * width_ * 0.001f));
    const int x1 = std::min(width_ - 1, static_cast<int>(right * width_ * 0.001f));
    const int y0 = std::max(0, static_cast<int>(top * height_ * 0.001f));
    const int y1 = std::min(height_ - 1, static_cast<int>(bottom * height_ * 0.001f));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) count += near(pixel(x, y), argb, tolerance) ? 1 : 0;
    }
    return count;
}

bool TestSurface::inkBounds(float left, float top, float right, float bottom, uint32_t argb, Bounds& bounds,
                            int tolerance) const {
    const int x0 = std::max(0, static_cast<int>(left * width_ * 0.001f));
    const int x1 = std::min(width_ - 1, static_cast<int>(right * width_ * 0.001f));
    const int y0 = std::max(0, static_cast<int>(top * height_ * 0.001f));
    const int y1 = std::min(height_ - 1, static_cast<int>(bottom * height_ * 0.001f));
    int minX = width_, minY = height_, maxX = -1, maxY = -1;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (!near(pixel(x, y), argb, tolerance)) continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    if (maxX < 0) return false;
    const float toLogicalX = 1000.0f / width_;
    const float toLogicalY = 1000.0f / height_;
    bounds = Bounds{minX * toLogicalX, minY * toLogicalY, (maxX + 1) * toLogicalX, (maxY + 1) * toLogicalY};
    return true;
}

bool TestSurface::savePng(const std::string& path) const {
    std::u16string wide(path.begin(), path.end());
    HostGdiPlusCalls hostCalls;
    return GdipSaveImageToFile(bitmap_, wide.c_str(), &kPngEncoder, nullptr) == gdip::kOk;
}

}  // namespace quillon::testing
