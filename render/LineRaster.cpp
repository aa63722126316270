#include "render/LineRaster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/PixelBlend.h"

namespace render {
namespace {

// One row of pixels being covered: each cell holds the change of coverage
// from the pixel before it, so that the running sum along the row is each
// pixel's covered share (signed by the edges' direction around the shape).
struct RowCoverage {
    float change[kWidestRasterisedLine + 3];
    int first;  // the cells written, inclusive
    int last;

    void add(int cell, float amount) {
        change[cell] += amount;
        if (cell < first) first = cell;
        if (cell > last) last = cell;
    }
};

// The part of an edge inside one pixel row, from (xTop, top) to (xBottom,
// bottom), both within the row, x counted from the shape's leftmost cell.
// `sign` is +1 for an edge going down, -1 for one going up.
void addEdgePiece(RowCoverage& row, double xTop, double xBottom, double height, float sign) {
    double xLeft = xTop < xBottom ? xTop : xBottom;
    const double xRight = xTop < xBottom ? xBottom : xTop;
    int cell = static_cast<int>(xLeft);
    const int lastCell = static_cast<int>(xRight);
    if (cell == lastCell) {
        // Within one pixel: its share right of the edge's middle, the rest
        // to the next pixel.
        const double inside = (xLeft + xRight) * 0.5 - cell;
        row.add(cell, sign * static_cast<float>(height * (1.0 - inside)));
        row.add(cell + 1, sign * static_cast<float>(height * inside));
        return;
    }
    // Across pixels: the edge in pieces, one per pixel it crosses, each
    // taking its share of the height.
    const double heightPerX = height / (xRight - xLeft);
    while (cell <= lastCell) {
        const double boundary = cell + 1 < xRight ? static_cast<double>(cell + 1) : xRight;
        const double pieceHeight = (boundary - xLeft) * heightPerX;
        const double inside = (xLeft + boundary) * 0.5 - cell;
        row.add(cell, sign * static_cast<float>(pieceHeight * (1.0 - inside)));
        row.add(cell + 1, sign * static_cast<float>(pieceHeight * inside));
        xLeft = boundary;
        ++cell;
    }
}

// An edge of the shape, from corner a to corner b, with what every row
// needs of it worked out once.
struct Edge {
    double upperY = 0.0;  // where it starts and ends, down the rows
    double lowerY = 0.0;
    double xAtUpper = 0.0;  // counted from the shape's leftmost cell
    double xPerY = 0.0;
    float sign = 0.0f;  // +1 going down, -1 going up, 0 along a row (covers nothing)

    Edge() = default;
    Edge(double ax, double ay, double bx, double by, double left) {
        if (ay == by) return;
        sign = by > ay ? 1.0f : -1.0f;
        const bool down = by > ay;
        upperY = down ? ay : by;
        lowerY = down ? by : ay;
        xAtUpper = (down ? ax : bx) - left;
        xPerY = (bx - ax) / (by - ay);
    }

    // Its part in the row from `top` to top + 1.
    void addTo(RowCoverage& row, double top) const {
        const double from = upperY > top ? upperY : top;
        const double to = lowerY < top + 1 ? lowerY : top + 1;
        if (!(to > from) || sign == 0.0f) return;
        addEdgePiece(row, xAtUpper + (from - upperY) * xPerY, xAtUpper + (to - upperY) * xPerY, to - from, sign);
    }
};

uint8_t alphaOf(float coverage) {
    const int alpha = static_cast<int>(std::fabs(coverage) * 255.0f + 0.5f);
    return static_cast<uint8_t>(alpha < 255 ? alpha : 255);
}

}  // namespace

bool blendConvexQuad(const PixelRows& rows, const QuadCorners& quad, uint32_t premultipliedColour,
                     BlendedBox& blended) {
    blended = BlendedBox{};
    double minX = quad.x[0], maxX = quad.x[0], minY = quad.y[0], maxY = quad.y[0];
    for (int i = 0; i < 4; ++i) {
        if (!(std::fabs(quad.x[i]) < kFarthestPixels) || !(std::fabs(quad.y[i]) < kFarthestPixels)) return false;
        minX = std::fmin(minX, quad.x[i]);
        maxX = std::fmax(maxX, quad.x[i]);
        minY = std::fmin(minY, quad.y[i]);
        maxY = std::fmax(maxY, quad.y[i]);
    }
    const int left = static_cast<int>(std::floor(minX));
    const int cells = static_cast<int>(std::floor(maxX)) - left + 1;
    if (cells > kWidestRasterisedLine) return false;
    const int firstRow = std::max(static_cast<int>(std::floor(minY)), 0);
    const int lastRow = std::min(static_cast<int>(std::ceil(maxY)) - 1, rows.height - 1);
    if (rows.top == nullptr || firstRow > lastRow || left >= rows.width || left + cells <= 0) return true;

    RowCoverage row;
    for (int cell = 0; cell < cells + 3; ++cell) row.change[cell] = 0.0f;
    Edge edges[4];
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) & 3;
        edges[i] = Edge(quad.x[i], quad.y[i], quad.x[j], quad.y[j], left);
    }
    uint8_t alphas[kWidestRasterisedLine + 2];
    // Columns of the frame the shape's cells reach.
    const int firstColumn = std::max(left, 0);
    const int lastColumn = std::min(left + cells - 1, rows.width - 1);
    for (int y = firstRow; y <= lastRow; ++y) {
        row.first = cells + 2;
        row.last = -1;
        for (const Edge& edge : edges) edge.addTo(row, y);
        if (row.last < row.first) continue;
        // The running sum from the first cell written; cells before it are
        // uncovered, and the sum is back to nothing after the last.
        const int from = std::max(row.first, firstColumn - left);
        const int to = std::min(row.last, lastColumn - left);
        float sum = 0.0f;
        for (int cell = row.first; cell < from; ++cell) sum += row.change[cell];
        for (int cell = from; cell <= to; ++cell) {
            sum += row.change[cell];
            alphas[cell - from] = alphaOf(sum);
        }
        for (int cell = row.first; cell <= row.last; ++cell) row.change[cell] = 0.0f;
        if (to < from) continue;
        uint32_t* pixels = reinterpret_cast<uint32_t*>(rows.top + int64_t{y} * rows.rowBytes) + left + from;
        blendSolidRow(premultipliedColour, alphas, pixels, to - from + 1);
        if (blended.right < blended.left) blended = BlendedBox{left + from, y, left + to, y};
        blended.left = std::min(blended.left, left + from);
        blended.right = std::max(blended.right, left + to);
        blended.bottom = y;
    }
    return true;
}

bool lineQuad(double x1, double y1, double x2, double y2, double width, QuadCorners& quad) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (!(length > 0.0) || !std::isfinite(length)) return false;
    // Half the width across the line, turned a quarter from its direction.
    const double acrossX = -dy / length * (width / 2);
    const double acrossY = dx / length * (width / 2);
    quad = QuadCorners{{x1 + acrossX, x2 + acrossX, x2 - acrossX, x1 - acrossX},
                       {y1 + acrossY, y2 + acrossY, y2 - acrossY, y1 - acrossY}};
    return true;
}

bool blendDisc(const PixelRows& rows, double x, double y, double radius, uint32_t premultipliedColour,
               BlendedBox& blended) {
    if (!(std::fabs(x) < kFarthestPixels) || !(std::fabs(y) < kFarthestPixels)) return false;
    if (!(radius > 0.0) || !(radius <= kWidestRasterisedLine / 2)) return false;
    blended = BlendedBox{};
    // A pixel whose centre lies half a pixel inside the circle is covered,
    // one half a pixel outside it is not; between, its share falls off with
    // the square of the distance (no root per pixel: a dot of a few pixels
    // is mostly edge).
    const double whole = radius > 0.5 ? (radius - 0.5) * (radius - 0.5) : 0.0;
    const double none = (radius + 0.5) * (radius + 0.5);
    const double sharePerSquare = 255.0 / (none - whole);
    const int32_t top = std::max<int32_t>(0, static_cast<int32_t>(std::floor(y - radius)));
    const int32_t bottom = std::min<int32_t>(rows.height - 1, static_cast<int32_t>(std::floor(y + radius)));
    uint8_t coverage[kWidestRasterisedLine + 3];
    for (int32_t row = top; row <= bottom; ++row) {
        const double dy = row + 0.5 - y;
        const double across = none - dy * dy;
        if (across <= 0.0) continue;
        // The pixels whose centres lie within the outer circle on this row.
        const double half = std::sqrt(across);
        const int32_t left = std::max<int32_t>(0, static_cast<int32_t>(std::ceil(x - half - 0.5)));
        const int32_t right = std::min<int32_t>(rows.width - 1, static_cast<int32_t>(std::floor(x + half - 0.5)));
        if (right < left) continue;
        for (int32_t column = left; column <= right; ++column) {
            const double dx = column + 0.5 - x;
            const double squared = dx * dx + dy * dy;
            coverage[column - left] =
                squared <= whole ? 255 : static_cast<uint8_t>(std::min(255.0, (none - squared) * sharePerSquare + 0.5));
        }
        uint32_t* pixels = reinterpret_cast<uint32_t*>(rows.top + row * rows.rowBytes);
        blendSolidRow(premultipliedColour, coverage, pixels + left, right - left + 1);
        if (blended.right < blended.left) blended = BlendedBox{left, row, right, row};
        blended.left = std::min(blended.left, left);
        blended.right = std::max(blended.right, right);
        blended.bottom = row;
    }
    return true;
}

bool makeDiscStamp(double radius, DiscStamp& stamp) {
    if (!(radius > 0.0) || !std::isfinite(radius)) return false;
    const int32_t reach = static_cast<int32_t>(std::ceil(radius + 0.5));
    if (2 * reach + 1 > DiscStamp::kLargestSide) return false;
    stamp.reach = reach;
    std::memset(stamp.coverage, 0, sizeof stamp.coverage);
    const int32_t side = 2 * reach + 1;
    const double whole = radius > 0.5 ? (radius - 0.5) * (radius - 0.5) : 0.0;
    const double none = (radius + 0.5) * (radius + 0.5);
    const double sharePerSquare = 255.0 / (none - whole);
    for (int py = 0; py < DiscStamp::kPhases; ++py)
        for (int px = 0; px < DiscStamp::kPhases; ++px) {
            stamp.firstRow[py][px] = static_cast<int8_t>(side);
            stamp.lastRow[py][px] = -1;
            for (int32_t row = 0; row < side; ++row) {
                stamp.first[py][px][row] = static_cast<int8_t>(side);
                stamp.last[py][px][row] = -1;
                for (int32_t column = 0; column < side; ++column) {
                    // The centre at the middle of its quarter of the pixel.
                    const double dx = column - reach + 0.5 - (px + 0.5) / DiscStamp::kPhases;
                    const double dy = row - reach + 0.5 - (py + 0.5) / DiscStamp::kPhases;
                    const double squared = dx * dx + dy * dy;
                    uint8_t covered = 0;
                    if (squared <= whole)
                        covered = 255;
                    else if (squared < none)
                        covered = static_cast<uint8_t>(std::min(255.0, (none - squared) * sharePerSquare + 0.5));
                    stamp.coverage[py][px][row][column] = covered;
                    if (covered == 0) continue;
                    if (column < stamp.first[py][px][row]) stamp.first[py][px][row] = static_cast<int8_t>(column);
                    stamp.last[py][px][row] = static_cast<int8_t>(column);
                }
                if (stamp.last[py][px][row] < 0) continue;
                if (row < stamp.firstRow[py][px]) stamp.firstRow[py][px] = static_cast<int8_t>(row);
                stamp.lastRow[py][px] = static_cast<int8_t>(row);
            }
        }
    return true;
}

bool blendDiscStamp(const PixelRows& rows, const DiscStamp& stamp, double x, double y, uint32_t premultipliedColour,
                    BlendedBox& blended) {
    if (!(std::fabs(x) < kFarthestPixels) || !(std::fabs(y) < kFarthestPixels)) return false;
    blended = BlendedBox{};
    // Floors without a call: both lie within kFarthestPixels of 0.
    const int32_t pixelX = static_cast<int32_t>(x + kFarthestPixels) - static_cast<int32_t>(kFarthestPixels);
    const int32_t pixelY = static_cast<int32_t>(y + kFarthestPixels) - static_cast<int32_t>(kFarthestPixels);
    const int px = std::min(DiscStamp::kPhases - 1, static_cast<int>((x - pixelX) * DiscStamp::kPhases));
    const int py = std::min(DiscStamp::kPhases - 1, static_cast<int>((y - pixelY) * DiscStamp::kPhases));
    const int32_t stampLeft = pixelX - stamp.reach;
    const int32_t stampTop = pixelY - stamp.reach;
    const int32_t side = 2 * stamp.reach + 1;
    const int32_t left = std::max<int32_t>(0, stampLeft);
    const int32_t right = std::min<int32_t>(rows.width - 1, stampLeft + side - 1);
    const int32_t firstRow = stamp.firstRow[py][px];
    const int32_t lastRow = stamp.lastRow[py][px];
    if (lastRow < firstRow) return true;
    // Nearly every dot lies inside the surface with room for its last four:
    // its rows go to the blend in one call, unclipped.
    if (stampLeft >= 0 && stampLeft + side + 3 <= rows.width && stampTop + firstRow >= 0 &&
        stampTop + lastRow < rows.height) {
        const StampRows stamped{stamp.coverage[py][px][firstRow], DiscStamp::kRowStride,
                                &stamp.first[py][px][firstRow], &stamp.last[py][px][firstRow],
                                lastRow - firstRow + 1};
        blendSolidStamp(premultipliedColour, stamped,
                        rows.top + static_cast<int64_t>(stampTop + firstRow) * rows.rowBytes +
                            static_cast<int64_t>(stampLeft) * 4,
                        rows.rowBytes);
        blended = BlendedBox{stampLeft, stampTop + firstRow, stampLeft + side - 1, stampTop + lastRow};
        return true;
    }
    // Only the rows the phase covers: a small dot's corner rows are empty.
    const int32_t top = std::max<int32_t>(0, stampTop + firstRow);
    const int32_t bottom = std::min<int32_t>(rows.height - 1, stampTop + lastRow);
    if (right < left || bottom < top) return true;
    for (int32_t row = top; row <= bottom; ++row) {
        const int32_t inStamp = row - stampTop;
        const int32_t from = std::max<int32_t>(left, stampLeft + stamp.first[py][px][inStamp]);
        const int32_t to = std::min<int32_t>(right, stampLeft + stamp.last[py][px][inStamp]);
        if (to < from) continue;
        uint32_t* pixels = reinterpret_cast<uint32_t*>(rows.top + row * rows.rowBytes);
        const uint8_t* coverage = &stamp.coverage[py][px][inStamp][from - stampLeft];
        // Whole fours where they stay on the row: the pixels past the dot's
        // last get no coverage, and the stored row reaches that far.
        const int32_t fours = (to - from + 4) / 4;
        if (from + 4 * fours <= rows.width)
            blendSolidFours(premultipliedColour, coverage, pixels + from, fours);
        else
            blendSolidRow(premultipliedColour, coverage, pixels + from, to - from + 1);
    }
    blended = BlendedBox{left, top, right, bottom};
    return true;
}

}  // namespace render
