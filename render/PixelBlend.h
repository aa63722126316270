// The loop over a picture's pixels that blends them into a frame: compiled
// optimised in every build (CMakeLists.txt), since a debug build's preview
// of a busy panel would otherwise spend a sixth of its time in it.
#pragma once

#include <cstdint>

namespace render {

// Pixels further off than this lie off any surface GDI can make: what would
// be blended there is left to the drawing library (and the far position
// kept clear of integer conversions).
constexpr double kFarthestPixels = 1 << 20;

// `count` premultiplied pixels of `source` over those of `destination`,
// source over, each channel rounded to nearest and at most 255.
void blendRow(const uint32_t* source, uint32_t* destination, int32_t count);
// The colour with its channels scaled by its alpha, rounded to nearest.
uint32_t premultiplied(uint32_t argb);
// A solid premultiplied colour over `count` pixels, each at its coverage
// (0 to 255), as `blendRow` blends the colour scaled by the coverage.
void blendSolidRow(uint32_t colour, const uint8_t* coverage, uint32_t* destination, int32_t count);
// The same over `fours` times four pixels, four at a time without a branch
// on the coverage: for the short rows of small dots, whose pixels are mostly
// partly covered. Pixels to leave alone get coverage 0.
void blendSolidFours(uint32_t colour, const uint8_t* coverage, uint32_t* destination, int32_t fours);

// The rows of a small stamp, each blended as by blendSolidFours from its
// first covered column, the colour set up once for them all: row r's
// coverage starts at coverage + r * coverageStride (0 past its last covered
// column), its pixels at destination + r * rowBytes, and it covers columns
// first[r] to last[r] (none while last < first). Every four blended must
// lie on the surface.
struct StampRows {
    const uint8_t* coverage;
    int32_t coverageStride;
    const int8_t* first;
    const int8_t* last;
    int32_t count;
};
void blendSolidStamp(uint32_t colour, const StampRows& stamp, uint8_t* destination, int64_t rowBytes);

// The columns of a picture's row from its first pixel that is not 0 to its
// last: outside them every pixel is 0 (alpha and colour), which leaves a
// destination as it is. Empty while last < first.
struct InkSpan {
    int16_t first = 0;
    int16_t last = -1;

    bool empty() const { return last < first; }
};

// The span of the `count` pixels' ink, counted from `first`, the column of
// pixels[0]; columns must fit 16 bits.
InkSpan inkSpanOf(const uint32_t* pixels, int32_t first, int32_t count);

}  // namespace render
