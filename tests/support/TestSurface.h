// A drawing surface for unit tests: a libgdiplus bitmap whose device context
// feeds the module's Graphics wrapper, scaled so that the 1000 x 1000 logical
// space fills it, as the frame drawing does. Pixels can be read back by
// logical point and the picture saved as PNG.
#pragma once

#include <cstdint>
#include <string>

#include "host/HostTypes.h"
#include "render/GdiPlusObjects.h"

namespace quillon::testing {

// Starts GDI+ once for the test program (never shut down: shared objects of
// the module may still be alive when the program ends).
void ensureGdiplusStarted();

struct Colour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

Colour colourOf(uint32_t argb);

class TestSurface {
public:
    explicit TestSurface(int width = 1000, int height = 1000);
    ~TestSurface();
    TestSurface(const TestSurface&) = delete;
    TestSurface& operator=(const TestSurface&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    host::DeviceContext deviceContext() const { return deviceContext_; }
    // A graphics object on the surface, scaled to the logical space.
    render::Graphics& graphics() { return graphics_; }
    void clear(uint32_t argb) { graphics_.clear(argb); }

    uint32_t pixel(int x, int y) const;
    // The pixel under a logical point.
    uint32_t logicalPixel(float x, float y) const;
    // Whether any pixel within radius (logical units) of the point has the
    // colour, within tolerance on each channel.
    bool colourNear(float x, float y, float radius, uint32_t argb, int tolerance = 40) const;
    // Pixels of the colour inside the logical rectangle.
    int countColour(float left, float top, float right, float bottom, uint32_t argb, int tolerance = 40) const;

    // Bounds in logical units of every pixel of the colour within the
    // logical rectangle; false when there is none.
    struct Bounds {
        float left;
        float top;
        float right;
        float bottom;
    };
    bool inkBounds(float left, float top, float right, float bottom, uint32_t argb, Bounds& bounds,
                   int tolerance = 40) const;

    bool savePng(const std::string& path) const;

private:
    void* bitmap_ = nullptr;
    void* imageGraphics_ = nullptr;
    host::DeviceContext deviceContext_ = nullptr;
    render::Graphics graphics_;
    int width_;
    int height_;
};

}  // namespace quillon::testing
