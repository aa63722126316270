#include "render/SurfacePixels.h"

#include <cstring>

#include "render/GdiFlat.h"

namespace render {
namespace {

constexpr int32_t kBytesPerPixel = 4;
// Two colours a host is unlikely to hold at both probed places; only the
// colour bytes are compared (GDI may leave the fourth alone).
constexpr uint32_t kProbe = 0xff5a3c96u;
constexpr uint32_t kColourBytes = 0x00ffffffu;

uint32_t firstPixel(const uint8_t* row) {
    uint32_t pixel = 0;
    std::memcpy(&pixel, row, sizeof pixel);
    return pixel;
}

void setFirstPixel(uint8_t* row, uint32_t pixel) { std::memcpy(row, &pixel, sizeof pixel); }

// One pixel of the probe's colour blitted onto the device context's origin.
bool blitProbe(host::DeviceContext deviceContext) {
    gdi::HDC source = gdi::CreateCompatibleDC(nullptr);
    if (source == nullptr) return false;
    gdi::BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = -1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = gdi::kBiRgb;
    void* bits = nullptr;
    gdi::HBITMAP section = gdi::CreateDIBSection(source, &info, gdi::kDibRgbColours, &bits, nullptr, 0);
    bool blitted = false;
    if (section != nullptr && bits != nullptr) {
        setFirstPixel(static_cast<uint8_t*>(bits), kProbe);
        gdi::HGDIOBJ previous = gdi::SelectObject(source, section);
        if (previous != nullptr) {
            blitted = gdi::BitBlt(deviceContext, 0, 0, 1, 1, source, 0, 0, gdi::kSourceCopy) != 0;
            gdi::GdiFlush();
            gdi::SelectObject(source, previous);
        }
    }
    if (section != nullptr) gdi::DeleteObject(section);
    gdi::DeleteDC(source);
    return blitted;
}

}  // namespace

bool surfacePixelsAvailable() {
#if defined(_WIN32)
    return true;
#else
    return &gdi::GetCurrentObject != nullptr && &gdi::GetObjectW != nullptr && &gdi::CreateCompatibleDC != nullptr &&
           &gdi::DeleteDC != nullptr && &gdi::CreateDIBSection != nullptr && &gdi::SelectObject != nullptr &&
           &gdi::DeleteObject != nullptr && &gdi::BitBlt != nullptr && &gdi::GdiFlush != nullptr;
#endif
}

bool sectionBehind(host::DeviceContext deviceContext, int32_t width, int32_t height, SurfacePixels& pixels) {
    pixels = SurfacePixels{};
    if (deviceContext == nullptr || width <= 0 || height <= 0 || !surfacePixelsAvailable()) return false;
    gdi::HGDIOBJ bitmap = gdi::GetCurrentObject(deviceContext, gdi::kObjectBitmap);
    if (bitmap == nullptr) return false;
    gdi::DIBSECTION record{};
    // A bitmap that is not a section reports the size of its plain record.
    if (gdi::GetObjectW(bitmap, static_cast<int32_t>(sizeof record), &record) != static_cast<int32_t>(sizeof record))
        return false;
    const gdi::BITMAP& bm = record.dsBm;
    if (bm.bmBits == nullptr || bm.bmBitsPixel != 32 || bm.bmPlanes != 1) return false;
    const int64_t rows = bm.bmHeight < 0 ? -int64_t{bm.bmHeight} : int64_t{bm.bmHeight};
    if (bm.bmWidth < width || rows < height || bm.bmWidth > 32767 || rows > 32767) return false;
    if (int64_t{bm.bmWidthBytes} < int64_t{bm.bmWidth} * kBytesPerPixel) return false;
    // GDI's rows start on 4-byte boundaries; the frame reads and blends them
    // as 32-bit pixels, which must not straddle one.
    if (reinterpret_cast<uintptr_t>(bm.bmBits) % kBytesPerPixel != 0 || bm.bmWidthBytes % kBytesPerPixel != 0)
        return false;
    pixels.section = bitmap;
    pixels.sectionBits = static_cast<uint8_t*>(bm.bmBits);
    pixels.sectionWidth = bm.bmWidth;
    pixels.sectionHeight = static_cast<int32_t>(rows);
    pixels.sectionRowBytes = bm.bmWidthBytes;
    pixels.reportedHeight = record.dsBmih.biHeight;
    return true;
}

bool findRowOrder(host::DeviceContext deviceContext, SurfacePixels& pixels) {
    if (pixels.sectionBits == nullptr) return false;
    uint8_t* const first = pixels.sectionBits;
    uint8_t* const last = first + static_cast<int64_t>(pixels.sectionHeight - 1) * pixels.sectionRowBytes;
    gdi::GdiFlush();
    // One of the two may lie outside the gauge's picture: both are put back.
    const uint32_t firstWas = firstPixel(first);
    const uint32_t lastWas = firstPixel(last);
    setFirstPixel(first, 0);
    setFirstPixel(last, 0);
    const bool blitted = blitProbe(deviceContext);
    const bool atFirst = blitted && (firstPixel(first) & kColourBytes) == (kProbe & kColourBytes);
    const bool atLast = blitted && (firstPixel(last) & kColourBytes) == (kProbe & kColourBytes);
    setFirstPixel(last, lastWas);
    setFirstPixel(first, firstWas);
    if (atFirst) {
        pixels.topRow = first;
        pixels.rowBytes = pixels.sectionRowBytes;
        return true;
    }
    if (atLast) {
        pixels.topRow = last;
        pixels.rowBytes = -pixels.sectionRowBytes;
        return true;
    }
    return false;
}

}  // namespace render
