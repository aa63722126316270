// Stills, contact sheets and animations: the gauges drawn off screen.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "tools/preview/Arguments.h"
#include "tools/preview/Commands.h"
#include "tools/preview/ContactSheet.h"
#include "tools/preview/ExitCodes.h"
#include "tools/preview/GifWriter.h"

namespace preview {
namespace {

constexpr double kMaxAnimationMegabytes = 2048;
constexpr size_t kKeptColours = 128;  // of the GIF's 255, for the colours the gauge drew most

std::unique_ptr<PreviewHost> startHost(const PreviewOptions& options, int& exitCode) {
    std::string error;
    auto host = PreviewHost::create(options, error, exitCode);
    if (!host) std::cerr << "quillon-preview: " << error << "\n";
    return host;
}

int savePicture(const Image& picture, const std::string& path) {
    std::string error;
    const auto png = [&](const std::string& file, std::string& why) { return writePng(picture, file, why); };
    if (!writeWhole(path, png, error)) {
        std::cerr << "quillon-preview: " << error << "\n";
        return kExitOutput;
    }
    std::cout << path << "\n";
    return kExitOk;
}

// Progress on stderr in steps of a tenth, so that logs stay short.
void reportProgress(const std::string& what, int done, int total) {
    if (total < 90) return;  // a few seconds of frames need no report
    const int step = total / 10;
    if (done % step == 0 || done == total) {
        std::cerr << what << ": " << (done * 100 / total) << "% (" << done << "/" << total << " frames)\n";
    }
}

std::string rangeText(double rangeNm) {
    char text[32];
    std::snprintf(text, sizeof text, "%g NM", rangeNm);
    return text;
}

// With alerts on, each aircraft's class and seconds to its closest approach
// ("-" while it has no rate yet) come before the id.
std::string alertText(const PreviewHost& host, const Sighting& s) {
    if (!host.alerts()) return "";
    char text[64];
    if (s.alert.hasRate)
        std::snprintf(text, sizeof text, "%s %.1f ", alertClassName(s.alert.alertClass), s.alert.closestSeconds);
    else
        std::snprintf(text, sizeof text, "%s - ", alertClassName(s.alert.alertClass));
    return text;
}

void listSightings(const PreviewHost& host, const sim::Window& window) {
    for (const Sighting& s : host.sightings(window)) {
        if (!s.plot.shown) {
            // Not drawn: by the view, the range or the pilot's filter.
            std::printf("hidden %s: %s", s.aircraft.atcId.c_str(), s.plot.whyHidden.c_str());
            if (host.alerts()) std::printf(" (%s)", alertText(host, s).c_str());
            std::printf("\n");
            continue;
        }
        // The id last: in limited mode it is a label and may hold spaces.
        std::printf("%d %d %.1f %.1f %.1f %s%s\n", s.pixelX, s.pixelY, s.plot.x, s.plot.y, s.plot.distanceNm,
                    alertText(host, s).c_str(), s.aircraft.atcId.c_str());
    }
    // With alerts on: when the advisories' voice sounded.
    if (!host.alerts()) return;
    std::printf("voice:");
    if (host.voices().empty()) std::printf(" not sounded");
    for (double at : host.voices()) std::printf(" %.1f s", at);
    std::printf("\n");
}

}  // namespace

int renderStill(const PreviewOptions& options, const StillRequest& request) {
    int exitCode = kExitOk;
    auto host = startHost(options, exitCode);
    if (!host) return exitCode;
    sim::Window& window = host->addGauge(request.gauge, request.size.width, request.size.height);
    host->setView(request.view);
    host->setRange(request.rangeNm);
    host->runUntil(request.seconds, [](int done, int total) { reportProgress("rendering", done, total); });

    if (request.clickAtPixel || request.clickAtLogical) {
        const PixelSize size = host->shownSize(window);
        int x = static_cast<int>(request.click.x), y = static_cast<int>(request.click.y);
        if (request.clickAtLogical) {
            x = logicalToPixel(request.click.x, size.width);
            y = logicalToPixel(request.click.y, size.height);
        }
        if (x < 0 || y < 0 || x >= size.width || y >= size.height) {
            std::cerr << "quillon-preview: click point " << x << "," << y << " lies outside the " << size.width
                      << "x" << size.height << " gauge\n";
            return kExitUsage;
        }
        host->clickPixel(window, x, y);
        host->frame();  // the gauge shows the click's outcome from the next frame on
    }
    if (!request.selectAtcId.empty()) {
        const SelectOutcome outcome = host->select(window, request.selectAtcId);
        if (!outcome.ok) {
            std::cerr << "quillon-preview: cannot select: " << outcome.message << "\n";
            return kExitSelection;
        }
        std::cerr << outcome.message << "\n";
    }
    if (request.listTargets) listSightings(*host, window);
    return savePicture(host->capture(window), request.output);
}

int renderSheet(const PreviewOptions& options, const SheetRequest& request) {
    SheetLayout layout;
    layout.cellWidth = request.cellSize.width;
    layout.cellHeight = request.cellSize.height;
    for (const char* name : kGaugeNames) layout.columnLabels.push_back(name);
    std::vector<std::vector<Image>> cells;
    double clockShown = 0;
    for (View view : kViews) {
        // A fresh host per view: every row shows the traffic at the same moment.
        int exitCode = kExitOk;
        auto host = startHost(options, exitCode);
        if (!host) return exitCode;
        std::vector<sim::Window*> windows;
        for (const char* name : kGaugeNames) {
            windows.push_back(&host->addGauge(name, request.cellSize.width, request.cellSize.height));
        }
        host->setView(view);
        host->setRange(request.rangeNm);
        std::cerr << "rendering the " << viewTitle(view) << " view of the four gauges\n";
        host->runUntil(request.seconds);
        clockShown = host->clock();
        std::vector<Image> row;
        for (sim::Window* window : windows) row.push_back(host->capture(*window));
        cells.push_back(std::move(row));
        layout.rowLabels.push_back(std::string(viewTitle(view)) + " (" +
                                   std::to_string(static_cast<int>(radarModeValue(view))) + ")");
    }
    char title[160];
    std::snprintf(title, sizeof title, "Quillon - %s - clock %.1f s%s", rangeText(request.rangeNm).c_str(), clockShown,
                  options.limited ? " - limited mode" : "");
    layout.title = title;
    return savePicture(composeSheet(layout, cells), request.output);
}

int renderAnimation(const PreviewOptions& options, const AnimationRequest& request) {
    // Every frame is kept until the palette is known: refuse what cannot fit.
    const double frameCount = std::max(1.0, std::round(request.seconds * options.fps));
    const double megabytes = frameCount * request.size.width * request.size.height * 4.0 / (1024 * 1024);
    if (megabytes > kMaxAnimationMegabytes) {
        std::cerr << "quillon-preview: an animation of " << frameCount << " frames of " << request.size.width << "x"
                  << request.size.height << " needs " << static_cast<long>(megabytes) << " MB; the limit is "
                  << kMaxAnimationMegabytes << " MB: shorten --seconds or lower --fps or --size\n";
        return kExitUsage;
    }
    int exitCode = kExitOk;
    auto host = startHost(options, exitCode);
    if (!host) return exitCode;
    sim::Window& window = host->addGauge(request.gauge, request.size.width, request.size.height);
    host->setView(request.view);
    host->setRange(request.rangeNm);
    if (request.startSeconds > 0) host->runUntil(request.startSeconds);
    const int count = std::max(1, static_cast<int>(std::lround(request.seconds * options.fps)));
    std::vector<Image> frames;
    frames.reserve(count);
    ColourCounts drawnColours;
    const PixelSize shown = host->shownSize(window);
    for (int n = 0; n < count; ++n) {
        host->frame();
        const Image drawn = host->captureSurface(window);
        countColours(drawn, drawnColours);
        frames.push_back(resampled(drawn, shown.width, shown.height));
        reportProgress("animating", n + 1, count);
    }
    const std::vector<uint32_t> mainColours = mostUsedColours(drawnColours, kKeptColours);
    std::string error;
    const auto gif = [&](const std::string& file, std::string& why) {
        return writeAnimatedGif(frames, options.fps, file, why, mainColours);
    };
    if (!writeWhole(request.output, gif, error)) {
        std::cerr << "quillon-preview: " << error << "\n";
        return kExitOutput;
    }
    std::cout << request.output << "\n";
    return kExitOk;
}

}  // namespace preview
