// quillon-compare-renders LINUX_DIR WINE_DIR [DIFFERENCE_DIR]
// Compares every frame of the fixed list as rendered on Linux (libgdiplus)
// and under Wine (Wine's gdiplus), prints the figures of each picture and
// fails when any picture misses the limits (docs/windows-checks.md). With a
// third folder, writes a difference picture of each frame there (Linux-only
// ink red, Wine-only ink blue, enlarged 3 times).
#include <algorithm>
#include <cstdio>
#include <string>

#include "tools/render-compare/PictureFile.h"
#include "tools/render-compare/RenderComparison.h"
#include "tools/render-frames/FrameList.h"

namespace {

using namespace quillon::compare;
using quillon::frames::FrameSpec;

void printHeader() {
    std::printf("%-40s %6s %6s %6s %6s %6s %5s %5s %5s %5s %5s  %s\n", "frame", "inkL", "inkW", "IoU", "covL",
                "covW", "strL", "strW", "elemL", "elemW", "lines", "verdict");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s LINUX_DIR WINE_DIR [DIFFERENCE_DIR]\n", argv[0]);
        return 2;
    }
    const std::string linuxDir = argv[1];
    const std::string wineDir = argv[2];
    const std::string differenceDir = argc == 4 ? argv[3] : "";
    const ComparisonSettings settings;
    const Acceptance acceptance;

    int failures = 0;
    double lowestIoU = 1.0;
    double lowestCoverage = 1.0;
    int largestStray = 0;
    double worstElement = 0.0;
    printHeader();
    for (const FrameSpec& frame : quillon::frames::frameList()) {
        Picture linuxPicture;
        Picture winePicture;
        const std::string file = std::string("/") + frame.name + ".png";
        if (!loadPicture(linuxDir + file, linuxPicture) || !loadPicture(wineDir + file, winePicture)) {
            std::printf("%-40s missing or unreadable picture\n", frame.name);
            ++failures;
            continue;
        }
        const ComparisonFigures figures = compare(linuxPicture, winePicture, settings);
        if (!differenceDir.empty() &&
            !savePicture(differenceDir + file, differencePicture(linuxPicture, winePicture, settings, 3)))
            std::printf("%-40s cannot write its difference picture\n", frame.name);
        // Each side is held to its own surface's clear colour: a 16-bit
        // surface stores the scheme's colour rounded down to 5 bits a channel.
        const uint32_t expected = quillon::frames::schemeBackground(frame);
        std::string faults = verdict(figures, expected, acceptance);
        if (frame.windowsBitsPerPixel == 16) {
            ComparisonFigures adjusted = figures;
            if (figures.backgroundB == (quillon::frames::quantizeTo555(expected) & 0xffffff))
                adjusted.backgroundB = expected & 0xffffff;
            faults = verdict(adjusted, expected, acceptance);
        }
        std::printf("%-40s %6d %6d %6.3f %6.3f %6.3f %5d %5d %5.2f %5.2f %2d/%-2d  %s\n", frame.name, figures.inkA,
                    figures.inkB, figures.dilatedIoU, figures.coverageAinB, figures.coverageBinA,
                    figures.largestStrayA, figures.largestStrayB, figures.worstElementA, figures.worstElementB,
                    figures.linesA + figures.linesB - figures.unmatchedLines, figures.linesA + figures.linesB,
                    faults.empty() ? "ok" : faults.c_str());
        if (!faults.empty()) ++failures;
        lowestIoU = std::min(lowestIoU, figures.dilatedIoU);
        lowestCoverage = std::min({lowestCoverage, figures.coverageAinB, figures.coverageBinA});
        largestStray = std::max({largestStray, figures.largestStrayA, figures.largestStrayB});
        worstElement = std::max({worstElement, figures.worstElementA, figures.worstElementB});
    }
    std::printf(
        "lowest IoU %.3f (limit %.2f), lowest coverage %.3f (limit %.2f), largest stray group %d (limit %d), "
        "worst element %.2f (limit %.2f)\n",
        lowestIoU, acceptance.minDilatedIoU, lowestCoverage, acceptance.minCoverage, largestStray, acceptance.maxStray,
        worstElement, acceptance.maxElementShare);
    if (failures > 0) {
        std::printf("%d of %zu pictures differ beyond the limits\n", failures, quillon::frames::frameList().size());
        return 1;
    }
    return 0;
}
