#include "sim/Surface.h"

#include <stdexcept>

namespace sim {

void Surface::setSize(int width, int height) {
    if (width < 1 || height < 1 || width > capacityWidth_ || height > capacityHeight_)
        throw std::invalid_argument("surface size " + std::to_string(width) + "x" + std::to_string(height) +
                                    " does not fit its capacity " + std::to_string(capacityWidth_) + "x" +
                                    std::to_string(capacityHeight_));
    width_ = width;
    height_ = height;
}

uint32_t Surface::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") outside " +
                                std::to_string(width_) + "x" + std::to_string(height_));
    return readPixel(x, y);
}

}  // namespace sim
