#include "render/DrawnRegion.h"

#include <cmath>

namespace render {
namespace {

// At least 16 pixels a tile: a run of memory rows is then worth its call.
constexpr int32_t kSmallestTile = 16;

int tilesOver(int32_t pixels, int32_t tile) { return static_cast<int>((pixels + tile - 1) / tile); }

}  // namespace

void DrawnRegion::reset(int32_t width, int32_t height) {
    width_ = width > 0 ? width : 0;
    height_ = height > 0 ? height : 0;
    const int32_t longest = width_ > height_ ? width_ : height_;
    tile_ = (longest + kMostTilesPerSide - 1) / kMostTilesPerSide;
    if (tile_ < kSmallestTile) tile_ = kSmallestTile;
    columns_ = tilesOver(width_, tile_);
    rows_ = tilesOver(height_, tile_);
    clear();
}

void DrawnRegion::clear() {
    all_ = false;
    for (uint64_t& row : marked_) row = 0;
}

bool DrawnRegion::empty() const {
    if (all_) return rows_ == 0 || columns_ == 0;
    for (int row = 0; row < rows_; ++row)
        if (marked_[row] != 0) return false;
    return true;
}

void DrawnRegion::markPixels(float left, float top, float right, float bottom) {
    if (all_) return;
    if (!(left <= right) || !(top <= bottom)) {  // not a number, or turned inside out
        all_ = true;
        return;
    }
    // Outside the picture: nothing drawn there shows.
    if (right < 0.0f || bottom < 0.0f || left >= static_cast<float>(width_) || top >= static_cast<float>(height_))
        return;
    const float tile = static_cast<float>(tile_);
    const int firstColumn = left <= 0.0f ? 0 : static_cast<int>(left / tile);
    const int firstRow = top <= 0.0f ? 0 : static_cast<int>(top / tile);
    // Not negative here: the conversion is the floor, without a call.
    const int lastColumn = right >= static_cast<float>(width_) ? columns_ - 1 : static_cast<int>(right / tile);
    const int lastRow = bottom >= static_cast<float>(height_) ? rows_ - 1 : static_cast<int>(bottom / tile);
    const int span = lastColumn - firstColumn + 1;
    const uint64_t bits = (span >= 64 ? ~uint64_t{0} : ((uint64_t{1} << span) - 1)) << firstColumn;
    for (int row = firstRow; row <= lastRow; ++row) marked_[row] |= bits;
}

}  // namespace render
