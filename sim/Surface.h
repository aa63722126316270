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
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual int capacityWidth() const = 0;
    virtual int capacityHeight() const = 0;
    // Changes the reported size within the capacity, keeping the device context.
    virtual void setSize(int width, int height) = 0;

    // 0xAARRGGBB; throws std::out_of_range outside the reported size.
    virtual uint32_t pixel(int x, int y) const = 0;
    // Writes the reported size as a PNG file; throws std::runtime_error on failure.
    virtual void savePng(const std::string& path) const = 0;
};

// A new surface of the given capacity, reporting the given size, cleared
// to opaque black as the host's background bitmap would leave it.
std::unique_ptr<Surface> makeSurface(int width, int height, int capacityWidth, int capacityHeight);

}  // namespace sim
