#include "render/KeptPicture.h"

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
            if ((line[column] >> 24) == 0) continue;
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

void copyAtWholePixels(Graphics& target, const OffscreenBitmap& picture, const RectF& source, double left,
                       double top, float originX, float originY, float scaleX, float scaleY) {
    const RectF destination{static_cast<float>(left / scaleX - originX), static_cast<float>(top / scaleY - originY),
                            source.Width / scaleX, source.Height / scaleY};
    target.drawBitmapPart(picture, destination, source);
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
