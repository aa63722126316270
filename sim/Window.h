// A panel window showing one gauge: the host's own copy of the gauge's
// header, elements and mouse areas, and a drawing surface with its device
// context. Created and driven by sim::Host.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "host/GaugeRecords.h"
#include "sim/Surface.h"

namespace sim {

enum class ResizeMode {
    NewSurface,           // a fresh surface and device context of the new size
    KeepDeviceContext,    // the same device context reporting the new size (within its capacity)
};

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const std::string& gaugeName() const { return gaugeName_; }
    bool open() const { return open_; }
    int width() const { return surface_->width(); }
    int height() const { return surface_->height(); }
    host::DeviceContext deviceContext() const { return surface_->deviceContext(); }

    // 0xAARRGGBB of a pixel; a point of the gauge's 1000 x 1000 logical
    // space, mapped onto the pixel that contains it.
    uint32_t pixel(int x, int y) const { return surface_->pixel(x, y); }
    uint32_t pixelAtLogical(double logicalX, double logicalY) const;
    // Every pixel, row by row.
    std::vector<uint32_t> pixels() const;
    void savePng(const std::string& path) const { surface_->savePng(path); }

    // NewSurface keeps the old surface alive (the module may still hold a
    // graphics object on it) until the host unloads the module.
    // KeepDeviceContext throws std::invalid_argument beyond the capacity.
    void resize(int width, int height, ResizeMode mode = ResizeMode::NewSurface);

    // The host's copies, as the gauge sees them.
    host::GaugeHeader& header() { return header_; }
    const host::GaugeHeader& header() const { return header_; }
    // The element list's first entry, and the first entry of its next list.
    host::ImageElement& backgroundElement();
    host::ImageElement& drawingElement();
    const host::ImageElement& drawingElement() const;
    // The gauge's static header in the module.
    const host::GaugeHeader* moduleHeader() const { return moduleHeader_; }
    // The child mouse areas, scaled to pixels.
    std::vector<host::MouseArea*> clickAreas();

private:
    friend class Host;
    Window(const host::GaugeHeader& moduleHeader, int width, int height, int capacityWidth, int capacityHeight);

    void copyElements();
    host::ImageElement** copyList(host::ImageElement* const* list, int depth);
    void copyMouseAreas();
    void applySize();

    std::string gaugeName_;
    const host::GaugeHeader* moduleHeader_;
    host::GaugeHeader header_;
    std::deque<host::ImageElement> elements_;
    std::deque<std::vector<host::ImageElement*>> lists_;
    host::ImageRecord image_{};
    std::vector<host::MouseArea> mouseAreas_;
    std::vector<host::MouseArea> designAreas_;
    std::unique_ptr<Surface> surface_;
    std::vector<std::unique_ptr<Surface>> retired_;
    bool open_ = true;
};

}  // namespace sim
