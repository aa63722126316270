#include "render/FrameBuffer.h"

#include <cstring>

#include "render/GdiFlat.h"
#include "render/GdiPlusFlat.h"
#include "render/PixelBlend.h"

namespace render {
namespace {

constexpr int64_t kBytesPerPixel = 4;
// Premultiplied like the backdrop, so that its pixels are copied as they are;
// every pixel is opaque, so GDI's blit, which ignores the fourth byte, shows
// the colours drawn.
constexpr gdip::INT kFrameFormat = gdip::kPixelFormat32bppPArgb;
// GDI's coordinates are 16-bit on the older systems; no panel comes near.
constexpr int32_t kLargestSide = 16384;

}  // namespace

bool FrameBuffer::available() {
#if defined(_WIN32)
    return true;
#else
    return &gdi::CreateCompatibleDC != nullptr && &gdi::DeleteDC != nullptr && &gdi::CreateDIBSection != nullptr &&
           &gdi::SelectObject != nullptr && &gdi::DeleteObject != nullptr && &gdi::BitBlt != nullptr &&
           &gdi::GdiFlush != nullptr;
#endif
}

int64_t FrameBuffer::bytesFor(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return 0;
    return int64_t{width} * height * kBytesPerPixel;
}

bool FrameBuffer::create(int32_t width, int32_t height) {
    release();
    resetStatus();
    if (bytesFor(width, height) == 0 || !available()) return false;
    deviceContext_ = gdi::CreateCompatibleDC(nullptr);
    gdi::BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, row for row as the backdrop's
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = gdi::kBiRgb;
    void* bits = nullptr;
    if (deviceContext_ != nullptr)
        section_ = gdi::CreateDIBSection(deviceContext_, &info, gdi::kDibRgbColours, &bits, nullptr, 0);
    if (section_ == nullptr || bits == nullptr) {
        record(gdip::kOutOfMemory);
        release();
        return false;
    }
    previousBitmap_ = gdi::SelectObject(deviceContext_, section_);
    // Unselected, the section would not be what a blit from the device context copies.
    if (previousBitmap_ == nullptr) {
        record(gdip::kGenericError);
        release();
        return false;
    }
    if (!wrapPixels(static_cast<uint8_t*>(bits), width * static_cast<int32_t>(kBytesPerPixel), width, height))
        return false;
    graphics_.markDrawingIn(&drawn_);
    return true;
}

bool FrameBuffer::createOverSurface(host::DeviceContext deviceContext, int32_t width, int32_t height) {
    release();
    resetStatus();
    if (bytesFor(width, height) == 0) return false;
    SurfacePixels found;
    if (!sectionBehind(deviceContext, width, height, found) || !findRowOrder(deviceContext, found)) return false;
    if (!wrapPixels(found.topRow, found.rowBytes, width, height)) return false;
    surface_ = found;
    // Every frame starts from the whole backdrop: nothing to mark.
    graphics_.markDrawingIn(nullptr);
    return true;
}

bool FrameBuffer::stillOver(host::DeviceContext deviceContext) const {
    if (!overSurface()) return false;
    SurfacePixels now;
    return sectionBehind(deviceContext, width_, height_, now) && now.sameSection(surface_);
}

// A GDI+ bitmap and graphics over the rows; false, holding nothing, without them.
bool FrameBuffer::wrapPixels(uint8_t* topRow, int32_t rowBytes, int32_t width, int32_t height) {
    pixels_ = topRow;
    rowBytes_ = rowBytes;
    record(gdip::GdipCreateBitmapFromScan0(width, height, static_cast<gdip::INT>(rowBytes), kFrameFormat, pixels_,
                                           &bitmap_));
    countNativeHeld(bitmap_);
    if (bitmap_ == nullptr || !graphics_.createOnBitmap(bitmap_)) {
        release();
        return false;
    }
    width_ = width;
    height_ = height;
    drawn_.reset(width, height);
    startedFrom_ = 0;
    return true;
}

void FrameBuffer::release() {
    graphics_.release();  // before the bitmap it draws on
    if (bitmap_ != nullptr) gdip::GdipDisposeImage(reinterpret_cast<gdip::GpImage*>(bitmap_));
    countNativeDeleted(bitmap_);
    bitmap_ = nullptr;
    // The section goes only once no bitmap shows its pixels.
    if (deviceContext_ != nullptr && previousBitmap_ != nullptr) gdi::SelectObject(deviceContext_, previousBitmap_);
    if (section_ != nullptr) gdi::DeleteObject(section_);
    if (deviceContext_ != nullptr) gdi::DeleteDC(deviceContext_);
    deviceContext_ = nullptr;
    section_ = nullptr;
    previousBitmap_ = nullptr;
    pixels_ = nullptr;
    rowBytes_ = 0;
    surface_ = SurfacePixels{};
    width_ = 0;
    height_ = 0;
    startedFrom_ = 0;
    scaleX_ = 0.0f;
    scaleY_ = 0.0f;
}

Graphics& FrameBuffer::graphics(float scaleX, float scaleY) {
    if (scaleX != scaleX_ || scaleY != scaleY_) {
        const uint64_t failedBefore = failedGdiCalls();
        graphics_.resetWorldTransform();
        graphics_.scaleWorldTransform(scaleX, scaleY);
        // Taken as set only when it was: otherwise set again at the next use.
        const bool set = failedGdiCalls() == failedBefore;
        scaleX_ = set ? scaleX : 0.0f;
        scaleY_ = set ? scaleY : 0.0f;
    }
    return graphics_;
}

bool FrameBuffer::startFrom(const OffscreenBitmap& backdrop, uint64_t picture) {
    const uint32_t* source = backdrop.pixels();
    if (!valid() || source == nullptr || backdrop.width() != width_ || backdrop.height() != height_) return false;
    // GDI may still be reading the last frame's picture for its blit.
    gdi::GdiFlush();
    if (overSurface() || picture == 0 || picture != startedFrom_) {
        copyAllPixels(source);
    } else {
        copyDrawnPixels(source);
    }
    startedFrom_ = picture;
    drawn_.clear();
    return true;
}

void FrameBuffer::copyAllPixels(const uint32_t* source) {
    const size_t rowLength = static_cast<size_t>(width_) * kBytesPerPixel;
    if (rowBytes_ == width_ * static_cast<int32_t>(kBytesPerPixel)) {
        std::memcpy(pixels_, source, rowLength * static_cast<size_t>(height_));
        return;
    }
    for (int32_t y = 0; y < height_; ++y) std::memcpy(row(y), source + int64_t{y} * width_, rowLength);
}

// The rows of each run of tiles the last frame drew on, from the backdrop.
void FrameBuffer::copyDrawnPixels(const uint32_t* source) {
    drawn_.forEachRun([&](int32_t x, int32_t y, int32_t width, int32_t height) {
        for (int32_t at = y; at < y + height; ++at)
            std::memcpy(row(at) + x, source + int64_t{at} * width_ + x, static_cast<size_t>(width) * kBytesPerPixel);
    });
}

bool FrameBuffer::blendInkOver(const OffscreenBitmap& picture, const InkSpan* rows, int32_t sourceX,
                               int32_t sourceY, int32_t width, int32_t height, int32_t x, int32_t y) {
    const uint32_t* source = picture.pixels();
    if (!valid() || source == nullptr) return false;
    const int32_t firstRow = sourceY;
    // Clipped to the picture's pixels and to the frame's.
    if (sourceX < 0) { width += sourceX; x -= sourceX; sourceX = 0; }
    if (sourceY < 0) { height += sourceY; y -= sourceY; sourceY = 0; }
    if (x < 0) { width += x; sourceX -= x; x = 0; }
    if (y < 0) { height += y; sourceY -= y; y = 0; }
    if (width > picture.width() - sourceX) width = picture.width() - sourceX;
    if (height > picture.height() - sourceY) height = picture.height() - sourceY;
    if (width > width_ - x) width = width_ - x;
    if (height > height_ - y) height = height_ - y;
    if (width <= 0 || height <= 0) return true;
    gdi::GdiFlush();
    const int32_t lastColumn = sourceX + width - 1;
    for (int32_t line = 0; line < height; ++line) {
        int32_t from = sourceX;
        int32_t to = lastColumn;
        if (rows != nullptr) {
            const InkSpan& ink = rows[sourceY - firstRow + line];
            if (ink.first > from) from = ink.first;
            if (ink.last < to) to = ink.last;
        }
        if (to < from) continue;
        const uint32_t* pixels = source + int64_t{sourceY + line} * picture.width() + from;
        blendRow(pixels, row(y + line) + x + (from - sourceX), to - from + 1);
    }
    drawn_.markPixels(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + width),
                      static_cast<float>(y + height));
    return true;
}

bool FrameBuffer::blendQuad(const QuadCorners& quad, uint32_t premultipliedColour) {
    if (!valid()) return false;
    gdi::GdiFlush();
    BlendedBox blended;
    if (!blendConvexQuad(PixelRows{pixels_, rowBytes_, width_, height_}, quad, premultipliedColour, blended))
        return false;
    markBlended(blended);
    return true;
}

void FrameBuffer::markBlended(const BlendedBox& blended) {
    if (blended.right >= blended.left)
        drawn_.markPixels(static_cast<float>(blended.left), static_cast<float>(blended.top),
                          static_cast<float>(blended.right + 1), static_cast<float>(blended.bottom + 1));
}

bool FrameBuffer::blendDisc(double x, double y, double radius, uint32_t premultipliedColour,
                            const DiscStamp* stamp) {
    if (!valid()) return false;
    gdi::GdiFlush();
    BlendedBox blended;
    const PixelRows rows{pixels_, rowBytes_, width_, height_};
    const bool done = stamp != nullptr ? blendDiscStamp(rows, *stamp, x, y, premultipliedColour, blended)
                                       : render::blendDisc(rows, x, y, radius, premultipliedColour, blended);
    if (!done) return false;
    markBlended(blended);
    return true;
}

bool FrameBuffer::blitTo(host::DeviceContext deviceContext) {
    if (!valid()) return false;
    if (overSurface()) return true;
    if (gdi::BitBlt(deviceContext, 0, 0, width_, height_, deviceContext_, 0, 0, gdi::kSourceCopy) != 0) return true;
    record(gdip::kGenericError);
    return false;
}

void FrameBuffer::drawOnto(Graphics& target) {
    if (!valid() || overSurface()) return;
    // As Graphics::drawBitmap: pixel for pixel, copied, the caller's state kept.
    gdip::GpGraphics* native = target.native_;
    gdip::GraphicsState state = 0;
    if (target.record(gdip::GdipSaveGraphics(native, &state)) != gdip::kOk) return;
    target.record(gdip::GdipResetWorldTransform(native));
    target.record(gdip::GdipSetClipRectI(native, 0, 0, width_, height_, gdip::kCombineModeReplace));
    target.record(gdip::GdipSetCompositingMode(native, gdip::kCompositingModeSourceCopy));
    target.record(gdip::GdipDrawImageRectI(native, reinterpret_cast<gdip::GpImage*>(bitmap_), 0, 0, width_, height_));
    // As there: blending set back before the restore, which libgdiplus does not apply.
    target.record(gdip::GdipSetCompositingMode(native, gdip::kCompositingModeSourceOver));
    if (target.record(gdip::GdipRestoreGraphics(native, state)) == gdip::kOk) return;
    // No clip and blending, as the surface is drawn with; its scaling is set
    // again at its next frame (a call failed in this one).
    target.record(gdip::GdipResetClip(native));
    target.record(gdip::GdipSetCompositingMode(native, gdip::kCompositingModeSourceOver));
}

}  // namespace render
