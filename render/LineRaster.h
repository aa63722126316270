// Straight lines of a solid pen rasterised by the module itself, into a
// frame composed as memory. The drawing library spends several
// microseconds setting up every anti-aliased stroke, however short, and a
// busy sky has a vector on each of hundreds of targets: a short line here
// costs what its few dozen pixels cost.
//
// A line is the quadrilateral its pen covers (flat ends); each pixel is
// blended with the exact share of its square that the quadrilateral covers,
// as an anti-aliasing rasteriser's coverage converges to.
#pragma once

#include <cstdint>

namespace render {

// Pixels of 32 bits (premultiplied ARGB), row after row `rowBytes` apart
// (negative for a picture stored bottom-up).
struct PixelRows {
    uint8_t* top = nullptr;
    int64_t rowBytes = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Pixel (i, j) is the square from (i, j) to (i + 1, j + 1).
struct QuadCorners {
    double x[4];
    double y[4];
};

// The pixels a blend touched, inclusive; empty when right < left.
struct BlendedBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = -1;
    int32_t bottom = -1;
};

// The widest quadrilateral, in pixels across, that is rasterised here.
constexpr int kWidestRasterisedLine = 1024;

// The covered share of every pixel of the convex quadrilateral (corners in
// order around it), blended source over in the premultiplied colour; pixels
// off the rows are left out. False, touching nothing, when a corner is not
// a finite number or the quadrilateral is wider than kWidestRasterisedLine:
// the caller strokes the line instead.
bool blendConvexQuad(const PixelRows& rows, const QuadCorners& quad, uint32_t premultipliedColour,
                     BlendedBox& blended);

// A disc of the radius (at most kWidestRasterisedLine / 2) about (x, y),
// filled as `blendConvexQuad` fills its shape: each pixel at its share
// inside the circle (one pixel's soft edge). False, touching nothing, for a
// centre off any surface, a radius out of bounds, or one that is not finite.
bool blendDisc(const PixelRows& rows, double x, double y, double radius, uint32_t premultipliedColour,
               BlendedBox& blended);

// The coverage of a disc of one radius drawn once at quarter-pixel phases
// of its centre, for many dots of a frame: each dot then costs its pixels'
// blend only. A value, on the caller's stack (a few KB).
struct DiscStamp {
    static constexpr int kPhases = 4;
    static constexpr int kLargestSide = 12;
    // A row's coverage is stored wider than the stamp, 0 past its edge, so
    // that it can be blended in whole fours.
    static constexpr int kRowStride = 16;
    int32_t reach = 0;  // pixels from the centre's pixel to the stamp's edge
    uint8_t coverage[kPhases][kPhases][kLargestSide][kRowStride];
    // Each row's covered columns, first to last (empty while last < first).
    int8_t first[kPhases][kPhases][kLargestSide];
    int8_t last[kPhases][kPhases][kLargestSide];
    // The covered rows, first to last, at each phase.
    int8_t firstRow[kPhases][kPhases];
    int8_t lastRow[kPhases][kPhases];
};
// False for a radius (in pixels) whose disc does not fit the stamp, or that
// is not finite or positive: such discs are blended by blendDisc.
bool makeDiscStamp(double radius, DiscStamp& stamp);
// The stamp at the centre nearest (x, y) in quarter pixels, as blendDisc
// would fill the disc there; false, touching nothing, for a centre off any
// surface.
bool blendDiscStamp(const PixelRows& rows, const DiscStamp& stamp, double x, double y, uint32_t premultipliedColour,
                    BlendedBox& blended);

// The quadrilateral a pen of `width` covers along the line, flat at its
// ends, all in the same units. False for a line of no length.
bool lineQuad(double x1, double y1, double x2, double y2, double width, QuadCorners& quad);

}  // namespace render
