// Windows surfaces: a DIB section selected into a memory device context, as
// the simulator gives a gauge; the module draws on the real HDC. 32-bit
// surfaces by default; 16-bit (5-5-5) ones as FS2004 may hand out.
// Pixels are read straight from the section's bits after GdiFlush; PNG files
// are written through GDI+ from a 32-bit copy of the reported area.
#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/GdiPlusHost.h"
#include "sim/GdiPlusSession.h"
#include "sim/Surface.h"
#include "sim/SurfaceDibSection.h"

namespace sim {
namespace {

constexpr simgdip::PixelFormat kPixelFormat32bppRgb = 0x00022009;

// A 5-bit channel widened to 8 bits the way GDI does (top bits repeated).
uint32_t widen5(uint32_t value) { return (value << 3) | (value >> 2); }

std::u16string widenPath(const std::string& path) {
    std::u16string wide;
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) return wide;
    std::vector<wchar_t> buffer(length);
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, buffer.data(), length);
    for (int i = 0; i + 1 < length; ++i) wide.push_back(static_cast<char16_t>(buffer[i]));
    return wide;
}

class DibSectionSurface final : public Surface {
public:
    DibSectionSurface(int width, int height, int capacityWidth, int capacityHeight, int bitsPerPixel)
        : Surface(width, height, capacityWidth, capacityHeight), bitsPerPixel_(bitsPerPixel) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = capacityWidth;
        info.bmiHeader.biHeight = -capacityHeight;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
        info.bmiHeader.biCompression = BI_RGB;  // 16 bits with BI_RGB is 5-5-5
        deviceContext_ = CreateCompatibleDC(nullptr);
        if (deviceContext_ == nullptr) throw std::runtime_error("CreateCompatibleDC failed");
        bitmap_ = CreateDIBSection(deviceContext_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (bitmap_ == nullptr || bits_ == nullptr) {
            DeleteDC(deviceContext_);
            throw std::runtime_error("CreateDIBSection failed");
        }
        previous_ = SelectObject(deviceContext_, bitmap_);
        // Rows of a DIB are padded to 4 bytes.
        stride_ = ((capacityWidth * bitsPerPixel + 31) / 32) * 4;
        // Opaque black, as the host's background bitmap leaves a new window.
        std::memset(bits_, 0, static_cast<size_t>(stride_) * capacityHeight);
    }

    ~DibSectionSurface() override {
        SelectObject(deviceContext_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(deviceContext_);
    }

    host::DeviceContext deviceContext() const override { return deviceContext_; }

    uint32_t readPixel(int x, int y) const override {
        GdiFlush();
        const auto* row = static_cast<const uint8_t*>(bits_) + static_cast<size_t>(y) * stride_;
        if (bitsPerPixel_ == 16) {
            uint16_t value = 0;
            std::memcpy(&value, row + x * 2, sizeof value);
            return 0xff000000u | widen5((value >> 10) & 0x1f) << 16 | widen5((value >> 5) & 0x1f) << 8 |
                   widen5(value & 0x1f);
        }
        uint32_t value = 0;
        std::memcpy(&value, row + x * 4, sizeof value);
        // GDI leaves the fourth byte of a 32-bit DIB undefined: the surface is opaque.
        return 0xff000000u | (value & 0x00ffffffu);
    }

    void savePng(const std::string& path) const override {
        ensureGdiPlusStarted();
        std::vector<uint32_t> copy(static_cast<size_t>(width()) * height());
        for (int y = 0; y < height(); ++y) {
            for (int x = 0; x < width(); ++x) copy[static_cast<size_t>(y) * width() + x] = pixel(x, y);
        }
        simgdip::GpBitmap* bitmap = nullptr;
        simgdip::GpStatus status = simgdip::GdipCreateBitmapFromScan0(
            width(), height(), width() * 4, kPixelFormat32bppRgb, reinterpret_cast<uint8_t*>(copy.data()), &bitmap);
        if (status != simgdip::kOk)
            throw std::runtime_error("GdipCreateBitmapFromScan0 failed with GDI+ status " + std::to_string(status));
        const std::u16string wide = widenPath(path);
        status = simgdip::GdipSaveImageToFile(reinterpret_cast<simgdip::GpImage*>(bitmap), wide.c_str(),
                                              &simgdip::kPngEncoder, nullptr);
        simgdip::GdipDisposeImage(reinterpret_cast<simgdip::GpImage*>(bitmap));
        if (status != simgdip::kOk)
            throw std::runtime_error("saving " + path + " failed with GDI+ status " + std::to_string(status));
    }

private:
    int bitsPerPixel_;
    int stride_ = 0;
    HDC deviceContext_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

int& defaultBitsPerPixel() {
    static int bits = 32;
    return bits;
}

}  // namespace

void setDibSectionBitsPerPixel(int bitsPerPixel) {
    if (bitsPerPixel != 16 && bitsPerPixel != 32)
        throw std::invalid_argument("DIB sections are 16 or 32 bits per pixel, not " + std::to_string(bitsPerPixel));
    defaultBitsPerPixel() = bitsPerPixel;
}

int dibSectionBitsPerPixel() { return defaultBitsPerPixel(); }

std::unique_ptr<Surface> makeSurface(int width, int height, int capacityWidth, int capacityHeight) {
    if (width < 1 || height < 1)
        throw std::invalid_argument("surface size must be positive, got " + std::to_string(width) + "x" +
                                    std::to_string(height));
    if (capacityWidth < width) capacityWidth = width;
    if (capacityHeight < height) capacityHeight = height;
    return std::make_unique<DibSectionSurface>(width, height, capacityWidth, capacityHeight, defaultBitsPerPixel());
}

}  // namespace sim
