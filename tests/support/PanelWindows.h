// An in-process host for the module linked statically: panel windows of the
// four gauges, each with its own copy of the gauge's header and elements and
// a libgdiplus bitmap surface whose device context the drawing element
// carries, driven through the gauge callbacks and mouse functions exactly as
// the simulator calls them. Used where the stand-in host library cannot be:
// fuzz targets (which need the module's code in the same binary) and long
// soak runs.
//
// The surface a window reports may be any size, also zero, negative or huge;
// the bitmap behind it is capped so that a huge size costs no memory.
#pragma once

#include <cstdint>

#include "host/GaugeRecords.h"

namespace quillon::testing {

// A libgdiplus bitmap and the device context the host hands to the gauge.
class HostSurface {
public:
    static constexpr int kMaxPixels = 256;  // per side, whatever size the window reports

    HostSurface(int width, int height);
    ~HostSurface();
    HostSurface(const HostSurface&) = delete;
    HostSurface& operator=(const HostSurface&) = delete;

    host::DeviceContext deviceContext() const { return deviceContext_; }
    int pixelWidth() const { return width_; }
    int pixelHeight() const { return height_; }
    uint32_t pixel(int x, int y) const;
    bool savePng(const char* path) const;

private:
    void* bitmap_ = nullptr;
    void* imageGraphics_ = nullptr;
    host::DeviceContext deviceContext_ = nullptr;
    int width_ = 1;
    int height_ = 1;
};

// Starts the host's own GDI+ session once, apart from the module's sessions;
// it lasts until the program ends.
void ensureHostGdiplus();

// One panel window showing one of the module's gauges.
class PanelWindow {
public:
    // variant: index into the module's gauge list (0..3).
    explicit PanelWindow(int variant);
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    int variant() const { return variant_; }
    host::GaugeHeader* header() { return &header_; }
    host::ImageElement& drawingElement() { return drawing_; }

    // What the drawing element reports: a device context and a pixel size.
    void attach(host::DeviceContext deviceContext, int32_t width, int32_t height);
    // The element lists broken the ways a confused host might leave them.
    void detachDrawingElement() { drawingList_[0] = nullptr; }
    void dropImageRecord() { drawing_.image = nullptr; }

    // Gauge callback with any service code (14 connect, 15 disconnect, 10 draw).
    void service(int32_t code);
    void serviceWithoutHeader(int32_t code);
    // A click at a pixel of an area of the given size (the host's click record).
    int32_t click(int32_t x, int32_t y, int32_t areaWidth, int32_t areaHeight);
    int32_t clickWithoutArea(int32_t x, int32_t y);
    int32_t clickWithoutRecord();

private:
    int variant_;
    host::GaugeHeader header_{};
    host::ImageElement* elementList_[2] = {};
    host::ImageElement* drawingList_[2] = {};
    host::ImageElement background_{};
    host::ImageElement drawing_{};
    host::ImageRecord image_{};
    host::MouseArea area_{};
    host::GaugeCallback callback_ = nullptr;
    host::MouseFunction mouse_ = nullptr;
};

// Brings every variant's reference count back to zero with connects and
// disconnects, so that no gauge is left alive (the module's state between
// two independent runs).
void disconnectEveryGauge();

}  // namespace quillon::testing
