// A window's drawing surface and its device context, as the host hands it
// to a gauge. The platform decides what a surface is (a libgdiplus bitmap on
// Linux, a DIB section in a memory device context on Windows).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/HostTypes.h"

namespace sim {

class Surface {
public:
    virtual ~Surface() = default;

    virtual host::DeviceContext deviceContext() const = 0;
    // The size the window reports; at most the allocated capacity.
    int width() const { return width_; }
    int height() const { return height_; }
    int capacityWidth() const { return capacityWidth_; }
    int capacityHeight() const { return capacityHeight_; }
    // Changes the reported size within the capacity, keeping the device
    // context; throws std::invalid_argument beyond it.
    void setSize(int width, int height);

    // 0xAARRGGBB; throws std::out_of_range outside the reported size.
    uint32_t pixel(int x, int y) const;
    // Writes the reported size as a PNG file; throws std::runtime_error on failure.
    virtual void savePng(const std::string& path) const = 0;

protected:
    Surface(int width, int height, int capacityWidth, int capacityHeight)
        : width_(width), height_(height), capacityWidth_(capacityWidth), capacityHeight_(capacityHeight) {}

    // The pixel at a point already checked to lie within the reported size.
    virtual uint32_t readPixel(int x, int y) const = 0;

private:
    int width_;
    int height_;
    int capacityWidth_;
    int capacityHeight_;
};

// A new surface of the given capacity, reporting the given size, cleared
// to opaque black as the host's background bitmap would leave it.
std::unique_ptr<Surface> makeSurface(int width, int height, int capacityWidth, int capacityHeight);

}  // namespace sim
