#include "render/KeptPicture.h"

#include <cmath>
#include <cstddef>

namespace render {

bool widenToInk(const OffscreenBitmap& picture, int x, int y, int width, int height, PixelBounds& bounds) {
    const uint32_t* pixels = picture.pixels();
    if (pixels == nullptr || x < 0 || y < 0 || width < 0 || height < 0 || x + width > picture.width() ||
        y + height > picture.height())
        return false;
    const int stride = picture.width();
    for (int row = 0; row < height; ++row) {
        const uint32_t* line = pixels + static_cast<size_t>(y + row) * stride + x;
        for (int column = 0; column < width; ++column) {
            // Colour without alpha still adds to what a blend covers: only a
            // pixel that is 0 throughout is left out.
            if (line[column] == 0) continue;
            if (bounds.empty()) {
                bounds = PixelBounds{column, row, column, row};
                continue;
            }
            if (column < bounds.left) bounds.left = column;
            if (column > bounds.right) bounds.right = column;
            if (row < bounds.top) bounds.top = row;
            if (row > bounds.bottom) bounds.bottom = row;
        }
    }
    return true;
}

namespace {

// Floats tried on either side of a quotient for one that maps exactly.
constexpr int kNearbyFloats = 16;

// Where the target puts a world coordinate: GDI+ scales and offsets in
// float, the product exact, rounded once.
float deviceOf(float world, float scale, float offset) {
    return static_cast<float>(static_cast<double>(world) * scale + offset);
}

// A world coordinate that lands exactly on the pixel, where one is near the
// quotient: a corner even a little off makes Wine's gdiplus resample the
// copy pixel by pixel, many times slower than a plain copy.
float worldOnPixel(double pixel, float scale, float offset) {
    const float quotient = static_cast<float>((pixel - offset) / scale);
    float world = quotient;
    for (int step = 0; step < kNearbyFloats; ++step) {
        const float device = deviceOf(world, scale, offset);
        if (device == pixel) return world;
        world = std::nextafter(world, device < pixel ? HUGE_VALF : -HUGE_VALF);
    }
    return quotient;
}

// The extent from the start whose end, added as GDI+ adds it, is the end.
float extentBetween(float start, float end) {
    float extent = end - start;
    for (int step = 0; step < kNearbyFloats; ++step) {
        const float reached = start + extent;
        if (reached == end) break;
        extent = std::nextafter(extent, reached < end ? HUGE_VALF : -HUGE_VALF);
    }
    return extent;
}

}  // namespace

void copyAtWholePixels(Graphics& target, const OffscreenBitmap& picture, const RectF& source, double left,
                       double top, float originX, float originY, float scaleX, float scaleY) {
    // The target's translation, as GDI+ put it into its matrix.
    const float offsetX = static_cast<float>(static_cast<double>(originX) * scaleX);
    const float offsetY = static_cast<float>(static_cast<double>(originY) * scaleY);
    const float x = worldOnPixel(left, scaleX, offsetX);
    const float y = worldOnPixel(top, scaleY, offsetY);
    const float right = worldOnPixel(left + source.Width, scaleX, offsetX);
    const float bottom = worldOnPixel(top + source.Height, scaleY, offsetY);
    target.drawBitmapPart(picture, RectF{x, y, extentBetween(x, right), extentBetween(y, bottom)}, source);
}

bool BuildRetry::finish(uint64_t failedBefore) {
    const bool again = again_;
    again_ = false;
    givenUp_ = false;
    if (failedGdiCalls() == failedBefore) return true;
    givenUp_ = again;
    again_ = !again;
    return false;
}

bool KeptPicture::makePictureInRoom(int32_t width, int32_t height, PictureRoom& room, int64_t largestBytes) {
    const int64_t bytes = picture_.storageBytesFor(width, height);
    if (bytes == 0 || bytes > largestBytes) return false;
    if (!room.makeRoomFor(bytes)) {
        failed_ = false;  // no room now is no verdict on the key: asked again later
        refusedBytes_ = bytes;
        return false;
    }
    if (picture_.create(width, height, true)) return true;
    picture_.release();
    return false;
}

void KeptPicture::release() {
    picture_.release();
    ready_ = false;
    failed_ = false;
    refusedBytes_ = 0;
}

void KeptPicture::forget() {
    release();
    keyed_ = false;
    retry_.reset();
}

}  // namespace render
