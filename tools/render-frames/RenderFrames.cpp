// quillon-render-frames MODULE OUT_DIR [FRAME_NAME...]
// Renders the fixed frame list (or the named frames) through the stand-in
// host: for each frame a fresh load of the module, one window of the gauge,
// the view and range set through the named variables, the clock stepped,
// a target clicked, and the picture saved as OUT_DIR/<name>.png. The same
// program runs on Linux and, built for Windows, under Wine; each frame
// depends only on its own list entry, so the two runs are comparable.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>
#include <string>
#include <vector>

#include "sim/Host.h"
#include "tools/render-frames/FrameList.h"
#include "tools/render-frames/TargetPicker.h"
#if defined(_WIN32)
#include "sim/SurfaceDibSection.h"
#endif

namespace {

using quillon::frames::FrameSpec;

bool wanted(const FrameSpec& frame, const std::vector<std::string>& names) {
    if (names.empty()) return true;
    for (const std::string& name : names) {
        if (name == frame.name) return true;
    }
    return false;
}

int pixelOf(double logical, int size) { return static_cast<int>(logical * size / 1000.0); }

// Whether the selection box around a target at a logical point was drawn:
// ink near the middle of its top edge, 25 logical units above the target.
bool selectionBoxDrawn(const sim::Window& window, const FrameSpec& frame, double logicalX, double logicalY) {
    uint32_t background = quillon::frames::schemeBackground(frame);
#if defined(_WIN32)
    if (frame.windowsBitsPerPixel == 16) background = quillon::frames::quantizeTo555(background);
#endif
    const int x = pixelOf(logicalX, frame.width);
    const int y = pixelOf(logicalY - 25.0, frame.height);
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const int px = x + dx;
            const int py = y + dy;
            if (px < 0 || py < 0 || px >= window.width() || py >= window.height()) continue;
            if ((window.pixel(px, py) & 0xffffffu) != (background & 0xffffffu)) return true;
        }
    }
    return false;
}

// Renders one frame; returns false (after saying why) when it could not.
bool renderFrame(const std::string& modulePath, const FrameSpec& frame, const std::string& outDir) {
#if defined(_WIN32)
    sim::setDibSectionBitsPerPixel(frame.windowsBitsPerPixel);
#endif
    sim::Host host(modulePath);
    if (!host.loaded()) {
        std::fprintf(stderr, "%s: %s\n", frame.name, host.error().c_str());
        return false;
    }
    sim::Window& window = host.openWindow(frame.gauge, frame.width, frame.height);
    // The module gives "Radar Mode" and "Radar Range" their start values on
    // its first frame; set them afterwards, as another gauge of the panel would.
    host.frame();
    host.setNamed("Radar Mode", frame.radarMode);
    host.setNamed("Radar Range", frame.rangeNm);
    host.frames(frame.framesBeforeClick - 1);

    std::string selected = "none";
    quillon::frames::PickedTarget target;
    if (frame.selectTarget) {
        target = quillon::frames::pickTarget(host, frame.radarMode, frame.rangeNm);
        if (!target.found) {
            // Without a selection the frame would not show its data block:
            // the scenario no longer suits the frame list.
            std::fprintf(stderr, "%s: no aircraft of the scenario can be clicked clear of others\n", frame.name);
            return false;
        }
        host.click(window, pixelOf(target.logicalX, frame.width), pixelOf(target.logicalY, frame.height));
        selected = target.atcId;
    }
    host.frames(frame.framesAfterClick);
    if (target.found && !selectionBoxDrawn(window, frame, target.logicalX, target.logicalY)) {
        std::fprintf(stderr, "%s: clicked %s but no selection box is drawn around it\n", frame.name,
                     target.atcId.c_str());
        return false;
    }

    const std::string path = outDir + "/" + frame.name + ".png";
    window.savePng(path);
    std::printf("%-40s clock %.4f  selected %s\n", frame.name, host.clock(), selected.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s MODULE OUT_DIR [FRAME_NAME...]\n", argv[0]);
        return 2;
    }
    const std::string modulePath = argv[1];
    const std::string outDir = argv[2];
    const std::vector<std::string> names(argv + 3, argv + argc);
    std::error_code folderError;
    std::filesystem::create_directories(outDir, folderError);
    if (folderError) {
        std::fprintf(stderr, "cannot create %s: %s\n", outDir.c_str(), folderError.message().c_str());
        return 1;
    }

    int failures = 0;
    int rendered = 0;
    for (const FrameSpec& frame : quillon::frames::frameList()) {
        if (!wanted(frame, names)) continue;
        try {
            if (renderFrame(modulePath, frame, outDir))
                ++rendered;
            else
                ++failures;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s: %s\n", frame.name, error.what());
            ++failures;
        }
    }
    if (rendered == 0 && failures == 0) {
        std::fprintf(stderr, "no frame of that name\n");
        return 2;
    }
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
