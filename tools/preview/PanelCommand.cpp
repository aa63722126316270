// One panel.cfg window drawn as the simulator lays it out: Quillon's gauges
// by the module itself, every other gauge as a labelled grey box.
#include <algorithm>
#include <cmath>
#include <iostream>

#include "numeric/SaturatingConversion.h"
#include "tools/preview/Arguments.h"
#include "tools/preview/BitmapFont.h"
#include "tools/preview/Commands.h"
#include "tools/preview/ExitCodes.h"
#include "tools/preview/PanelConfig.h"

namespace preview {
namespace {

constexpr int kLargestSide = 4096;  // pixels of the canvas and of any gauge
constexpr uint32_t kWindowBackground = 0xff2a2a2au;
constexpr uint32_t kForeignFill = 0xff8c8c8cu;
constexpr uint32_t kForeignFrame = 0xff5a5a5au;
constexpr uint32_t kForeignLabel = 0xff141414u;

struct PixelBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// Design units to pixels; positions far off the canvas stay far off.
int toPixels(double units, double scale) { return quillon::truncateToInt32(std::round(units * scale)); }

PixelBox boxOf(const PanelGauge& gauge, double scale) {
    return {toPixels(gauge.x, scale), toPixels(gauge.y, scale), std::max(1, toPixels(gauge.width, scale)),
            std::max(1, toPixels(gauge.height, scale))};
}

// A gauge of another module: a grey box with its reference written inside.
Image foreignGauge(const PanelGauge& gauge, const PixelBox& box) {
    Image picture(box.width, box.height, kForeignFrame);
    picture.fillRect(1, 1, box.width - 2, box.height - 2, kForeignFill);
    const int scale = textWidth(gauge.reference, 2) <= box.width - 8 ? 2 : 1;
    const int x = std::max(4, (box.width - textWidth(gauge.reference, scale)) / 2);
    drawText(picture, x, (box.height - textHeight(scale)) / 2, gauge.reference, kForeignLabel, scale);
    return picture;
}

}  // namespace

int renderPanel(const PreviewOptions& options, const PanelRequest& request) {
    PanelWindow window;
    std::string error;
    if (!readPanelWindow(request.panelPath, request.window, window, error)) {
        std::cerr << "quillon-preview: " << error << "\n";
        return kExitPanel;
    }
    for (const std::string& warning : window.warnings) std::cerr << "quillon-preview: warning: " << warning << "\n";

    // One size_mm unit is one pixel unless the window would not fit.
    const double scale = std::min(1.0, kLargestSide / std::max(window.widthMm, window.heightMm));
    const int canvasWidth = std::max(1, toPixels(window.widthMm, scale));
    const int canvasHeight = std::max(1, toPixels(window.heightMm, scale));
    struct Placed {
        const PanelGauge* gauge;
        PixelBox box;
        std::string quillonName;  // canonical; empty for another module's gauge
    };
    std::vector<Placed> placed;
    for (const PanelGauge& gauge : window.gauges) {
        Placed p{&gauge, boxOf(gauge, scale), ""};
        const std::string at = request.panelPath + ":" + std::to_string(gauge.line) + ": ";
        if (p.box.width > kLargestSide || p.box.height > kLargestSide) {
            std::cerr << "quillon-preview: " << at << gauge.key << " is larger than " << kLargestSide
                      << " pixels on a side\n";
            return kExitPanel;
        }
        if (isQuillonGauge(gauge) && !parseGaugeName(gauge.name, p.quillonName, error)) {
            std::cerr << "quillon-preview: " << at << gauge.key << ": " << error << "\n";
            return kExitPanel;
        }
        placed.push_back(p);
    }

    int exitCode = kExitOk;
    auto host = PreviewHost::create(options, error, exitCode);
    if (!host) {
        std::cerr << "quillon-preview: " << error << "\n";
        return exitCode;
    }
    std::vector<sim::Window*> surfaces;
    for (const Placed& p : placed) {
        surfaces.push_back(p.quillonName.empty() ? nullptr
                                                 : &host->addGauge(p.quillonName, p.box.width, p.box.height));
    }
    host->setView(request.view);
    host->setRange(request.rangeNm);
    host->runUntil(request.seconds);

    // Later gauges are drawn over earlier ones, as in the simulator.
    Image canvas(canvasWidth, canvasHeight, window.backgroundGiven ? window.background : kWindowBackground);
    for (size_t i = 0; i < placed.size(); ++i) {
        const PixelBox& box = placed[i].box;
        canvas.blit(surfaces[i] ? host->capture(*surfaces[i]) : foreignGauge(*placed[i].gauge, box), box.x, box.y);
    }
    const auto png = [&](const std::string& file, std::string& why) { return writePng(canvas, file, why); };
    if (!writeWhole(request.output, png, error)) {
        std::cerr << "quillon-preview: " << error << "\n";
        return kExitOutput;
    }
    std::cout << request.output << "\n";
    return kExitOk;
}

}  // namespace preview
