// Animated GIF output. The gauges paint with a handful of colours plus the
// anti-aliased blends between them, so one global palette made of the most
// used colours keeps every scheme colour exact; the rare blends that do not
// fit map to their nearest palette entry.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/preview/Image.h"

namespace preview {

struct Palette {
    std::vector<uint32_t> colours;  // at most 256, 0xAARRGGBB with alpha ignored
    bool exact = false;             // every colour of the frames has its own entry
};

using ColourCounts = std::unordered_map<uint32_t, uint64_t>;  // RGB -> pixels
void countColours(const Image& frame, ColourCounts& counts);
std::vector<uint32_t> mostUsedColours(const ColourCounts& counts, size_t count);

// The palette for `frames`: all colours when there are at most
// `maxColours`, otherwise the colours of `keep` that the frames use, then
// the most frequent. Frames resampled from the drawn pictures keep the
// drawn pictures' main colours so: blending thins out the pure colours of
// thin lines until their blends outnumber them.
Palette buildPalette(const std::vector<Image>& frames, size_t maxColours = 256, const std::vector<uint32_t>& keep = {});

// Index of the palette entry nearest to `argb` (exact match when present).
uint8_t nearestIndex(const Palette& palette, uint32_t argb);

// Frame delays in hundredths of a second for `count` frames at `fps`,
// spread so that the total stays true to the frame rate.
std::vector<int> frameDelays(int count, double fps);

// Writes all frames (same size) as a looping animation. Each frame after
// the first stores only the rectangle that changed. Returns false and
// fills `error` on failure. Unchanged pixels inside that rectangle are
// transparent, so that the file stays small.
bool writeAnimatedGif(const std::vector<Image>& frames, double fps, const std::string& path, std::string& error,
                      const std::vector<uint32_t>& keep = {});

}  // namespace preview
