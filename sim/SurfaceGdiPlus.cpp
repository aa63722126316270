// Linux surfaces: a 32-bit (premultiplied) ARGB libgdiplus bitmap over pixels
// of the host's own. Its device context is what GdipGetDC gives on the
// bitmap's own graphics (libgdiplus hands out the graphics itself and accepts
// it again in GdipCreateFromHDC). Pixels are read
// with GdipBitmapGetPixel: locking the bits would break the graphics objects
// the module keeps on the same bitmap. Every GDI+ call here is the host's own,
// apart from the module's (sim/GdiPlusSessionLayer.h).
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/Gdi32Layer.h"
#include "sim/GdiPlusHost.h"
#include "sim/GdiPlusSession.h"
#include "sim/GdiPlusSessionLayer.h"
#include "sim/Surface.h"

namespace sim {
namespace {

using gdiplus_layer::HostGdiPlusCalls;

// Premultiplied: libgdiplus then draws in the host's own pixels, where the
// module's blit writes (with plain ARGB it works on a copy of its own). Every
// pixel of a surface is opaque, so the colours read and saved are the same.
constexpr simgdip::PixelFormat kPixelFormat32bppPArgb = 0x000E200B;

void check(simgdip::GpStatus status, const char* what) {
    if (status != simgdip::kOk)
        throw std::runtime_error(std::string(what) + " failed with GDI+ status " + std::to_string(status));
}

std::u16string widen(const std::string& path) {
    // File names the host writes are ASCII or UTF-8; pass bytes through as
    // code units for ASCII and decode UTF-8 for the rest.
    std::u16string out;
    for (size_t i = 0; i < path.size();) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        uint32_t cp = c;
        size_t len = 1;
        if (c >= 0xF0 && i + 3 < path.size()) {
            cp = ((c & 0x07u) << 18) | ((path[i + 1] & 0x3Fu) << 12) | ((path[i + 2] & 0x3Fu) << 6) |
                 (path[i + 3] & 0x3Fu);
            len = 4;
        } else if (c >= 0xE0 && i + 2 < path.size()) {
            cp = ((c & 0x0Fu) << 12) | ((path[i + 1] & 0x3Fu) << 6) | (path[i + 2] & 0x3Fu);
            len = 3;
        } else if (c >= 0xC0 && i + 1 < path.size()) {
            cp = ((c & 0x1Fu) << 6) | (path[i + 1] & 0x3Fu);
            len = 2;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

class GdiPlusBitmapSurface final : public Surface {
public:
    GdiPlusBitmapSurface(int width, int height, int capacityWidth, int capacityHeight)
        : Surface(width, height, capacityWidth, capacityHeight) {
        HostGdiPlusCalls hostCalls;
        ensureGdiPlusStarted();
        // The pixels are the host's own, so that the module's blit (GDI's BitBlt,
        // sim/Gdi32Layer.cpp) copies into them as GDI does into a DIB section.
        const int32_t stride = capacityWidth * 4;
        pixels_.assign(static_cast<size_t>(stride) * capacityHeight, 0);
        check(simgdip::GdipCreateBitmapFromScan0(capacityWidth, capacityHeight, stride, kPixelFormat32bppPArgb,
                                                 pixels_.data(), &bitmap_),
              "GdipCreateBitmapFromScan0");
        if (simgdip::GdipGetImageGraphicsContext(image(), &graphics_) != simgdip::kOk) {
            simgdip::GdipDisposeImage(image());
            throw std::runtime_error("GdipGetImageGraphicsContext failed");
        }
        simgdip::GdipGraphicsClear(graphics_, 0xFF000000u);
        if (simgdip::GdipGetDC(graphics_, &deviceContext_) != simgdip::kOk || deviceContext_ == nullptr) {
            simgdip::GdipDeleteGraphics(graphics_);
            simgdip::GdipDisposeImage(image());
            throw std::runtime_error("GdipGetDC failed");
        }
        gdi_layer::registerSurface(deviceContext_, pixels_.data(), stride, capacityWidth, capacityHeight);
    }

    ~GdiPlusBitmapSurface() override {
        gdi_layer::forgetSurface(deviceContext_);
        HostGdiPlusCalls hostCalls;
        simgdip::GdipReleaseDC(graphics_, deviceContext_);
        simgdip::GdipDeleteGraphics(graphics_);
        simgdip::GdipDisposeImage(image());
    }

    host::DeviceContext deviceContext() const override { return deviceContext_; }

    uint32_t readPixel(int x, int y) const override {
        HostGdiPlusCalls hostCalls;
        simgdip::ARGB colour = 0;
        check(simgdip::GdipBitmapGetPixel(bitmap_, x, y, &colour), "GdipBitmapGetPixel");
        return colour;
    }

    void savePng(const std::string& path) const override {
        HostGdiPlusCalls hostCalls;
        ensureGdiPlusStarted();
        std::u16string wide = widen(path);
        if (width() == capacityWidth() && height() == capacityHeight()) {
            check(simgdip::GdipSaveImageToFile(image(), wide.c_str(), &simgdip::kPngEncoder, nullptr),
                  ("saving " + path).c_str());
            return;
        }
        simgdip::GpBitmap* part = nullptr;
        check(simgdip::GdipCloneBitmapAreaI(0, 0, width(), height(), simgdip::kPixelFormat32bppArgb, bitmap_, &part),
              "GdipCloneBitmapAreaI");
        simgdip::GpStatus status = simgdip::GdipSaveImageToFile(reinterpret_cast<simgdip::GpImage*>(part),
                                                                 wide.c_str(), &simgdip::kPngEncoder, nullptr);
        simgdip::GdipDisposeImage(reinterpret_cast<simgdip::GpImage*>(part));
        check(status, ("saving " + path).c_str());
    }

private:
    simgdip::GpImage* image() const { return reinterpret_cast<simgdip::GpImage*>(bitmap_); }

    std::vector<uint8_t> pixels_;  // outlives the bitmap over it
    simgdip::GpBitmap* bitmap_ = nullptr;
    simgdip::GpGraphics* graphics_ = nullptr;
    void* deviceContext_ = nullptr;
};

}  // namespace

std::unique_ptr<Surface> makeSurface(int width, int height, int capacityWidth, int capacityHeight) {
    if (width < 1 || height < 1)
        throw std::invalid_argument("surface size must be positive, got " + std::to_string(width) + "x" +
                                    std::to_string(height));
    if (capacityWidth < width) capacityWidth = width;
    if (capacityHeight < height) capacityHeight = height;
    return std::make_unique<GdiPlusBitmapSurface>(width, height, capacityWidth, capacityHeight);
}

}  // namespace sim
