// Where a frame drew on a picture that is kept from frame to frame, in
// tiles of the picture: the next frame puts the backdrop back only there,
// not over the whole picture. Marks are generous (pens, anti-aliasing and
// text extents rounded out); a mark outside the picture is clipped to it.
#pragma once

#include <cstdint>

namespace render {

class DrawnRegion {
public:
    static constexpr int kMostTilesPerSide = 64;

    // Empty, over a picture of the size.
    void reset(int32_t width, int32_t height);
    void clear();
    void markAll() { all_ = true; }
    // The device pixels from (left, top) to (right, bottom); a mark that is
    // not a number covers the whole picture.
    void markPixels(float left, float top, float right, float bottom);

    bool empty() const;
    bool all() const { return all_; }
    int32_t tileSize() const { return tile_; }

    // Calls copy(x, y, width, height) for each run of marked tiles in a row
    // of tiles, in pixels, clipped to the picture.
    template <typename Copy>
    void forEachRun(Copy copy) const;

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t tile_ = 1;
    int columns_ = 0;
    int rows_ = 0;
    bool all_ = false;
    uint64_t marked_[kMostTilesPerSide] = {};  // a bit per column of each row of tiles
};

template <typename Copy>
void DrawnRegion::forEachRun(Copy copy) const {
    for (int row = 0; row < rows_; ++row) {
        const uint64_t bits = all_ ? ~uint64_t{0} : marked_[row];
        if (bits == 0) continue;
        const int32_t top = row * tile_;
        const int32_t height = top + tile_ <= height_ ? tile_ : height_ - top;
        int column = 0;
        while (column < columns_) {
            if ((bits >> column & 1u) == 0) {
                ++column;
                continue;
            }
            const int first = column;
            while (column < columns_ && (bits >> column & 1u) != 0) ++column;
            const int32_t left = first * tile_;
            const int32_t right = column * tile_ <= width_ ? column * tile_ : width_;
            copy(left, top, right - left, height);
        }
    }
}

}  // namespace render
