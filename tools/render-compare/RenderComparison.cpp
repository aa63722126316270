#include "tools/render-compare/RenderComparison.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace quillon::compare {

namespace {

constexpr uint32_t kRgb = 0x00ffffff;

int channelDistance(uint32_t a, uint32_t b) {
    int largest = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff));
        largest = std::max(largest, d);
    }
    return largest;
}

Mask emptyMask(int width, int height) {
    Mask mask;
    mask.width = width;
    mask.height = height;
    mask.bits.assign(static_cast<size_t>(width) * height, 0);
    return mask;
}

// Ink of `mask` that has no ink of `other` within the tolerance, given the
// other's dilated mask.
Mask unmatched(const Mask& mask, const Mask& otherDilated) {
    Mask rest = emptyMask(mask.width, mask.height);
    for (size_t i = 0; i < mask.bits.size(); ++i) {
        rest.bits[i] = mask.bits[i] && !otherDilated.bits[i];
    }
    return rest;
}

double share(int part, int whole) { return whole == 0 ? 1.0 : static_cast<double>(part) / whole; }

std::vector<int> rowCounts(const Mask& mask) {
    std::vector<int> counts(mask.height, 0);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) counts[y] += mask.at(x, y);
    }
    return counts;
}

std::vector<int> columnCounts(const Mask& mask) {
    std::vector<int> counts(mask.width, 0);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) counts[x] += mask.at(x, y);
    }
    return counts;
}

// Middles of the runs of entries that reach `minimum`.
std::vector<int> runMiddles(const std::vector<int>& counts, double minimum) {
    std::vector<int> middles;
    size_t i = 0;
    while (i < counts.size()) {
        if (counts[i] < minimum) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < counts.size() && counts[i] >= minimum) ++i;
        middles.push_back(static_cast<int>((start + i - 1) / 2));
    }
    return middles;
}

// Lines of one picture whose row (or column) in the other picture, give or
// take the tolerance, does not hold at least half a line's worth of ink.
int countUnmatchedLines(const std::vector<int>& lines, const std::vector<int>& otherCounts, double lineMinimum,
                        int tolerance) {
    int missing = 0;
    for (int line : lines) {
        int best = 0;
        for (int d = -tolerance; d <= tolerance; ++d) {
            const int at = line + d;
            if (at >= 0 && at < static_cast<int>(otherCounts.size())) best = std::max(best, otherCounts[at]);
        }
        if (best < lineMinimum / 2) ++missing;
    }
    return missing;
}

}  // namespace

int Mask::count() const {
    int n = 0;
    for (uint8_t bit : bits) n += bit != 0;
    return n;
}

uint32_t dominantColour(const Picture& picture) {
    std::unordered_map<uint32_t, int> counts;
    uint32_t best = 0;
    int bestCount = 0;
    for (uint32_t pixel : picture.pixels) {
        const int n = ++counts[pixel & kRgb];
        if (n > bestCount) {
            bestCount = n;
            best = pixel & kRgb;
        }
    }
    return best;
}

Mask inkMask(const Picture& picture, uint32_t background, int threshold) {
    Mask mask = emptyMask(picture.width, picture.height);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        mask.bits[i] = channelDistance(picture.pixels[i], background) > threshold;
    }
    return mask;
}

Mask dilate(const Mask& mask, int radius) {
    // Separable: first along rows, then along columns.
    Mask across = emptyMask(mask.width, mask.height);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            if (!mask.at(x, y)) continue;
            for (int d = std::max(0, x - radius); d <= std::min(mask.width - 1, x + radius); ++d) {
                across.bits[static_cast<size_t>(y) * mask.width + d] = 1;
            }
        }
    }
    Mask result = emptyMask(mask.width, mask.height);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            if (!across.at(x, y)) continue;
            for (int d = std::max(0, y - radius); d <= std::min(mask.height - 1, y + radius); ++d) {
                result.bits[static_cast<size_t>(d) * mask.width + x] = 1;
            }
        }
    }
    return result;
}

std::vector<int> componentLabels(const Mask& mask, int& count) {
    std::vector<int> labels(mask.bits.size(), 0);
    std::vector<int> stack;
    count = 0;
    for (size_t start = 0; start < mask.bits.size(); ++start) {
        if (!mask.bits[start] || labels[start] != 0) continue;
        labels[start] = ++count;
        stack.push_back(static_cast<int>(start));
        while (!stack.empty()) {
            const int index = stack.back();
            stack.pop_back();
            const int x = index % mask.width;
            const int y = index / mask.width;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= mask.width || ny >= mask.height) continue;
                    const size_t n = static_cast<size_t>(ny) * mask.width + nx;
                    if (mask.bits[n] && labels[n] == 0) {
                        labels[n] = count;
                        stack.push_back(static_cast<int>(n));
                    }
                }
            }
        }
    }
    return labels;
}

std::vector<int> componentSizes(const Mask& mask) {
    int count = 0;
    const std::vector<int> labels = componentLabels(mask, count);
    std::vector<int> sizes(count, 0);
    for (int label : labels) {
        if (label != 0) ++sizes[label - 1];
    }
    std::sort(sizes.begin(), sizes.end(), std::greater<int>());
    return sizes;
}

double worstElementShare(const Mask& ink, const Mask& stray, int joinPixels, int minimumInk) {
    int count = 0;
    const std::vector<int> labels = componentLabels(dilate(ink, joinPixels), count);
    std::vector<int> inkOf(count + 1, 0);
    std::vector<int> strayOf(count + 1, 0);
    for (size_t i = 0; i < labels.size(); ++i) {
        inkOf[labels[i]] += ink.bits[i];
        strayOf[labels[i]] += stray.bits[i];
    }
    double worst = 0.0;
    for (int label = 1; label <= count; ++label) {
        if (inkOf[label] >= minimumInk) worst = std::max(worst, static_cast<double>(strayOf[label]) / inkOf[label]);
    }
    return worst;
}

std::vector<int> lineRows(const Mask& mask, double share) { return runMiddles(rowCounts(mask), share * mask.width); }

std::vector<int> lineColumns(const Mask& mask, double share) {
    return runMiddles(columnCounts(mask), share * mask.height);
}

ComparisonFigures compare(const Picture& a, const Picture& b, const ComparisonSettings& settings) {
    ComparisonFigures figures;
    figures.backgroundA = dominantColour(a);
    figures.backgroundB = dominantColour(b);
    figures.sameSize = a.width == b.width && a.height == b.height;
    if (!figures.sameSize) return figures;

    // Each picture's ink is judged against its own background, so that a
    // wrong clear colour shows as a background mismatch, not as ink.
    const Mask inkA = inkMask(a, figures.backgroundA, settings.inkThreshold);
    const Mask inkB = inkMask(b, figures.backgroundB, settings.inkThreshold);
    const Mask wideA = dilate(inkA, settings.tolerancePixels);
    const Mask wideB = dilate(inkB, settings.tolerancePixels);
    figures.inkA = inkA.count();
    figures.inkB = inkB.count();

    int both = 0;
    int either = 0;
    for (size_t i = 0; i < wideA.bits.size(); ++i) {
        both += wideA.bits[i] && wideB.bits[i];
        either += wideA.bits[i] || wideB.bits[i];
    }
    figures.dilatedIoU = share(both, either);

    figures.coverageAinB = share(figures.inkA - unmatched(inkA, wideB).count(), figures.inkA);
    figures.coverageBinA = share(figures.inkB - unmatched(inkB, wideA).count(), figures.inkB);
    const Mask strayA = unmatched(inkA, dilate(inkB, settings.strayTolerancePixels));
    const Mask strayB = unmatched(inkB, dilate(inkA, settings.strayTolerancePixels));
    const std::vector<int> groupsA = componentSizes(strayA);
    const std::vector<int> groupsB = componentSizes(strayB);
    figures.largestStrayA = groupsA.empty() ? 0 : groupsA.front();
    figures.largestStrayB = groupsB.empty() ? 0 : groupsB.front();
    figures.worstElementA =
        worstElementShare(inkA, strayA, settings.elementJoinPixels, settings.minimumElementInk);
    figures.worstElementB =
        worstElementShare(inkB, strayB, settings.elementJoinPixels, settings.minimumElementInk);

    const std::vector<int> rowsA = lineRows(inkA, settings.lineShare);
    const std::vector<int> rowsB = lineRows(inkB, settings.lineShare);
    const std::vector<int> columnsA = lineColumns(inkA, settings.lineShare);
    const std::vector<int> columnsB = lineColumns(inkB, settings.lineShare);
    figures.linesA = static_cast<int>(rowsA.size() + columnsA.size());
    figures.linesB = static_cast<int>(rowsB.size() + columnsB.size());
    const double rowLine = settings.lineShare * a.width;
    const double columnLine = settings.lineShare * a.height;
    const int tolerance = settings.tolerancePixels;
    figures.unmatchedLines = countUnmatchedLines(rowsA, rowCounts(inkB), rowLine, tolerance) +
                             countUnmatchedLines(rowsB, rowCounts(inkA), rowLine, tolerance) +
                             countUnmatchedLines(columnsA, columnCounts(inkB), columnLine, tolerance) +
                             countUnmatchedLines(columnsB, columnCounts(inkA), columnLine, tolerance);
    return figures;
}

Picture differencePicture(const Picture& a, const Picture& b, const ComparisonSettings& settings, int zoom) {
    Picture picture;
    if (a.width != b.width || a.height != b.height || zoom < 1) return picture;
    const Mask inkA = inkMask(a, dominantColour(a), settings.inkThreshold);
    const Mask inkB = inkMask(b, dominantColour(b), settings.inkThreshold);
    const Mask wideA = dilate(inkA, settings.tolerancePixels);
    const Mask wideB = dilate(inkB, settings.tolerancePixels);
    picture.width = a.width * zoom;
    picture.height = a.height * zoom;
    picture.pixels.assign(static_cast<size_t>(picture.width) * picture.height, 0xff000000u);
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            uint32_t colour = 0xff000000u;
            if (inkA.at(x, y) && inkB.at(x, y))
                colour = 0xffe0e0e0u;
            else if (inkA.at(x, y))
                colour = wideB.at(x, y) ? 0xff803030u : 0xffff4040u;
            else if (inkB.at(x, y))
                colour = wideA.at(x, y) ? 0xff303080u : 0xff4060ffu;
            for (int dy = 0; dy < zoom; ++dy) {
                for (int dx = 0; dx < zoom; ++dx) {
                    picture.pixels[static_cast<size_t>(y * zoom + dy) * picture.width + x * zoom + dx] = colour;
                }
            }
        }
    }
    return picture;
}

std::string verdict(const ComparisonFigures& figures, uint32_t expectedBackground, const Acceptance& acceptance) {
    std::string faults;
    char line[160];
    auto add = [&faults](const char* text) {
        if (!faults.empty()) faults += "; ";
        faults += text;
    };
    if (!figures.sameSize) {
        add("sizes differ");
        return faults;
    }
    expectedBackground &= kRgb;
    if (figures.backgroundA != expectedBackground || figures.backgroundB != expectedBackground) {
        std::snprintf(line, sizeof line, "background %06x / %06x, expected %06x",
                      static_cast<unsigned>(figures.backgroundA), static_cast<unsigned>(figures.backgroundB),
                      static_cast<unsigned>(expectedBackground));
        add(line);
    }
    if (figures.dilatedIoU < acceptance.minDilatedIoU) {
        std::snprintf(line, sizeof line, "dilated IoU %.3f below %.3f", figures.dilatedIoU, acceptance.minDilatedIoU);
        add(line);
    }
    if (std::min(figures.coverageAinB, figures.coverageBinA) < acceptance.minCoverage) {
        std::snprintf(line, sizeof line, "coverage %.3f / %.3f below %.3f", figures.coverageAinB,
                      figures.coverageBinA, acceptance.minCoverage);
        add(line);
    }
    if (std::max(figures.largestStrayA, figures.largestStrayB) > acceptance.maxStray) {
        std::snprintf(line, sizeof line, "unmatched ink group of %d / %d pixels, more than %d",
                      figures.largestStrayA, figures.largestStrayB, acceptance.maxStray);
        add(line);
    }
    if (std::max(figures.worstElementA, figures.worstElementB) > acceptance.maxElementShare) {
        std::snprintf(line, sizeof line, "an element is %.0f%% / %.0f%% unmatched, more than %.0f%%",
                      100.0 * figures.worstElementA, 100.0 * figures.worstElementB,
                      100.0 * acceptance.maxElementShare);
        add(line);
    }
    if (figures.unmatchedLines > acceptance.maxUnmatchedLines) {
        std::snprintf(line, sizeof line, "%d straight lines without counterpart", figures.unmatchedLines);
        add(line);
    }
    return faults;
}

}  // namespace quillon::compare
