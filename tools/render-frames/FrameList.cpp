#include "tools/render-frames/FrameList.h"

#include <cstring>
#include <deque>
#include <string>

namespace quillon::frames {

namespace {

constexpr uint32_t kGreenBackground = 0xff001400;
constexpr uint32_t kAmberBackground = 0xff1e0f00;

struct ViewTiming {
    const char* suffix;
    int mode;
    int framesBeforeClick;
};

// Clock steps chosen so that each sweep stands somewhere telling (the full
// circle's after 45 steps points down-left, the arc's swings back from its
// left edge, the grid's is on its way back from the right edge) and the
// traffic list has been refreshed a few times.
constexpr ViewTiming kViews[] = {
    {"full-circle", 2, 45},
    {"forward-arc", 3, 40},
    {"grid", 4, 28},
};

struct GaugeSurface {
    const char* stem;
    const char* gauge;
    int width;
    int height;
};

// Square surfaces of two sizes. On a surface that is not square the world
// transform scales x and y differently, and libgdiplus then draws text
// scaled by the vertical factor alone while GDI+ stretches it: texts cannot
// be compared there, so the one uneven frame below shows no text.
constexpr GaugeSurface kGauges[] = {
    {"circular-amber", "Circular Amber", 400, 400},
    {"circular-green", "Circular Green", 400, 400},
    {"rectangular-amber", "Rectangular Amber", 480, 480},
    {"rectangular-green", "Rectangular Green", 480, 480},
};
constexpr GaugeSurface kWideSurface = {"rectangular-amber", "Rectangular Amber", 512, 384};
// A larger gauge, whose pens are over a pixel wide: the targets' lines
// are then filled by the module where it found them to match the pen's.
constexpr GaugeSurface kLargeSurface = {"circular-green", "Circular Green", 512, 512};

std::vector<FrameSpec> buildList() {
    // Names are kept alive, and in place, for the program's life.
    static std::deque<std::string> names;
    std::vector<FrameSpec> list;
    auto add = [&list](const std::string& name, const GaugeSurface& gauge, const ViewTiming& view, double range,
                       int bits, bool select = true) {
        names.push_back(name);
        list.push_back(FrameSpec{names.back().c_str(), gauge.gauge, view.mode, range, gauge.width, gauge.height,
                                 view.framesBeforeClick, 3, select, bits});
    };
    for (const GaugeSurface& gauge : kGauges) {
        for (const ViewTiming& view : kViews) add(std::string(gauge.stem) + "-" + view.suffix, gauge, view, 40.0, 32);
    }
    // Fractional ring labels at a short range.
    add("circular-green-full-circle-range-10", kGauges[1], kViews[0], 10.0, 32);
    add("rectangular-amber-forward-arc-range-25", kGauges[2], kViews[1], 25.0, 32);
    // 16-bit surfaces as FS2004 may give them.
    add("circular-amber-full-circle-16bit", kGauges[0], kViews[0], 40.0, 16);
    add("rectangular-green-grid-16bit", kGauges[3], kViews[2], 40.0, 16);
    // Uneven scaling of the geometry; no selection, so no text.
    add("rectangular-amber-grid-wide", kWideSurface, kViews[2], 40.0, 32, false);
    add("circular-green-full-circle-512", kLargeSurface, kViews[0], 40.0, 32);
    return list;
}

}  // namespace

const std::vector<FrameSpec>& frameList() {
    static const std::vector<FrameSpec> list = buildList();
    return list;
}

uint32_t schemeBackground(const FrameSpec& frame) {
    return std::strstr(frame.gauge, "Green") != nullptr ? kGreenBackground : kAmberBackground;
}

uint32_t quantizeTo555(uint32_t colour) {
    uint32_t result = colour & 0xff000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t five = ((colour >> shift) & 0xff) >> 3;
        result |= ((five << 3) | (five >> 2)) << shift;
    }
    return result;
}

}  // namespace quillon::frames
