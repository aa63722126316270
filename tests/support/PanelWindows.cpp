#include "tests/support/PanelWindows.h"

#include <algorithm>
#include <string>

#include "module/GaugeCallbacks.h"
#include "host/ExportedRecords.h"
#include "render/GdiPlusTypes.h"
#include "sim/GdiPlusSessionLayer.h"
#include "tests/support/GdiPlusImaging.h"

// The session start as the host calls it, output record unused.
extern "C" gdip::GpStatus WINGDIPAPI GdiplusStartup(gdip::ULONG_PTR* token, const gdip::GdiplusStartupInput* input,
                                                    void* output);

namespace quillon::testing {
namespace {

using imaging::kPixelFormat32bppArgb;
using imaging::kPngEncoder;
// The host's surfaces and its session are its own, not the module's.
using sim::gdiplus_layer::HostGdiPlusCalls;

int cappedSide(int side) { return std::clamp(side, 1, HostSurface::kMaxPixels); }

}  // namespace

void ensureHostGdiplus() {
    static bool started = false;
    if (started) return;
    HostGdiPlusCalls hostCalls;
    gdip::ULONG_PTR token = 0;
    const gdip::GdiplusStartupInput input{1, nullptr, 0, 0};
    started = GdiplusStartup(&token, &input, nullptr) == gdip::kOk;
}

HostSurface::HostSurface(int width, int height) : width_(cappedSide(width)), height_(cappedSide(height)) {
    HostGdiPlusCalls hostCalls;
    ensureHostGdiplus();
    GdipCreateBitmapFromScan0(width_, height_, 0, kPixelFormat32bppArgb, nullptr, &bitmap_);
    if (bitmap_ != nullptr) GdipGetImageGraphicsContext(bitmap_, &imageGraphics_);
    if (imageGraphics_ != nullptr) GdipGetDC(imageGraphics_, &deviceContext_);
}

HostSurface::~HostSurface() {
    HostGdiPlusCalls hostCalls;
    if (deviceContext_ != nullptr) GdipReleaseDC(imageGraphics_, deviceContext_);
    if (imageGraphics_ != nullptr) GdipDeleteGraphics(imageGraphics_);
    if (bitmap_ != nullptr) GdipDisposeImage(bitmap_);
}

uint32_t HostSurface::pixel(int x, int y) const {
    gdip::ARGB colour = 0;
    if (bitmap_ != nullptr) GdipBitmapGetPixel(bitmap_, x, y, &colour);
    return colour;
}

bool HostSurface::savePng(const char* path) const {
    const std::string narrow(path);
    const std::u16string wide(narrow.begin(), narrow.end());
    HostGdiPlusCalls hostCalls;
    return GdipSaveImageToFile(bitmap_, wide.c_str(), &kPngEncoder, nullptr) == gdip::kOk;
}

PanelWindow::PanelWindow(int variant) : variant_(variant) {
    // The host copies the gauge's description for every window it opens.
    const host::GaugeHeader& original = *Linkage.gauges[variant];
    header_ = original;
    const host::ImageElement& originalBackground = *original.elementList[0];
    const host::ImageElement& originalDrawing = *originalBackground.nextElements[0];
    background_ = originalBackground;
    drawing_ = originalDrawing;

    elementList_[0] = &background_;
    drawingList_[0] = &drawing_;
    header_.elementList = elementList_;
    background_.header = &header_;
    background_.nextElements = drawingList_;
    drawing_.header = &header_;
    drawing_.image = &image_;

    area_ = original.mouseAreas[1];
    callback_ = original.gaugeCallback;
    mouse_ = area_.function;
}

void PanelWindow::attach(host::DeviceContext deviceContext, int32_t width, int32_t height) {
    drawing_.deviceContext = deviceContext;
    image_.width = width;
    image_.height = height;
}

void PanelWindow::service(int32_t code) { callback_(&header_, code, 0); }

void PanelWindow::serviceWithoutHeader(int32_t code) { callback_(nullptr, code, 0); }

int32_t PanelWindow::click(int32_t x, int32_t y, int32_t areaWidth, int32_t areaHeight) {
    host::MouseArea area = area_;
    area.boxWidth = areaWidth;
    area.boxHeight = areaHeight;
    host::ClickRecord record{x, y, 0, &area};
    return mouse_(&record, host::kMouseLeftSingle);
}

int32_t PanelWindow::clickWithoutArea(int32_t x, int32_t y) {
    host::ClickRecord record{x, y, 0, nullptr};
    return mouse_(&record, host::kMouseLeftSingle);
}

int32_t PanelWindow::clickWithoutRecord() { return mouse_(nullptr, host::kMouseLeftSingle); }

void disconnectEveryGauge() {
    for (int variant = 0; variant < kVariantCount; ++variant) {
        host::GaugeCallback callback = Linkage.gauges[variant]->gaugeCallback;
        host::GaugeHeader* header = Linkage.gauges[variant];
        const auto which = static_cast<GaugeVariant>(variant);
        // Below zero: connects bring the count up (the first one creates a
        // gauge, which the final disconnect below then destroys).
        while (variantReferenceCount(which) < 0) callback(header, host::kServiceCreate, 0);
        if (variantReferenceCount(which) == 0 && variantGauge(which) != nullptr) {
            callback(header, host::kServiceCreate, 0);
        }
        while (variantReferenceCount(which) > 0) callback(header, host::kServiceDestroy, 0);
    }
}

}  // namespace quillon::testing
