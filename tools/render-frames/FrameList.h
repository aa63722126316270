// The fixed list of frames that the Windows build renders under Wine and the
// Linux build renders through libgdiplus, so that the two can be compared
// picture by picture: every gauge in every view over the default scenario,
// at fixed clocks, with a target selected.
#pragma once

#include <cstdint>
#include <vector>

namespace quillon::frames {

struct FrameSpec {
    const char* name;       // file stem of the picture
    const char* gauge;      // gauge name as the module lists it
    int radarMode;          // 2 full circle, 3 forward arc, 4 grid
    double rangeNm;
    int width;              // surface size in pixels
    int height;
    int framesBeforeClick;  // host frames (clock steps) before the selection click
    int framesAfterClick;   // host frames after it, the last one being the picture
    bool selectTarget;
    // 16 for a 5-5-5 DIB section (Windows only; Linux renders 32 bits).
    int windowsBitsPerPixel;
};

const std::vector<FrameSpec>& frameList();

// The colour a frame is cleared with, as the scheme of its gauge gives it.
uint32_t schemeBackground(const FrameSpec& frame);

// A colour as a 5-5-5 surface stores it and reads it back.
uint32_t quantizeTo555(uint32_t colour);

}  // namespace quillon::frames
