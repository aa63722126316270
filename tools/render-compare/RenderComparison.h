// Compares two renders of the same frame made by two GDI+ implementations
// (Wine's gdiplus and libgdiplus). They never agree pixel for pixel: lines
// without anti-aliasing land a row apart and glyphs differ by about a pixel.
// So the comparison works on "ink" (pixels that differ clearly from the
// background colour), forgives one pixel of displacement, and checks that
// the background and the long straight lines are where they should be.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::compare {

// A picture as 0xAARRGGBB pixels, rows top to bottom. Alpha is ignored.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// One bit per pixel of a picture.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bits;

    bool at(int x, int y) const { return bits[static_cast<size_t>(y) * width + x] != 0; }
    int count() const;
};

struct ComparisonSettings {
    // A pixel is ink when one of its colour channels differs from the
    // background by more than this.
    int inkThreshold = 40;
    // Ink of one picture counts as matched when ink of the other lies within
    // this many pixels (square neighbourhood).
    int tolerancePixels = 1;
    // Stray ink (an element one picture has and the other lacks) is ink with
    // no ink of the other picture within this many pixels: wide enough that
    // two fonts' glyphs of the same text do not count, narrow enough that a
    // missing label, target or line does.
    int strayTolerancePixels = 3;
    // Ink within this many pixels of each other forms one element (the
    // glyphs of a word, a target's cross and vector).
    int elementJoinPixels = 2;
    // Elements with less ink than this are specks, not elements.
    int minimumElementInk = 6;
    // A straight line is a row or column with at least this share of ink.
    double lineShare = 0.25;
};

struct ComparisonFigures {
    bool sameSize = false;
    uint32_t backgroundA = 0;  // most frequent colour, RGB only
    uint32_t backgroundB = 0;
    int inkA = 0;
    int inkB = 0;
    // Intersection over union of the two ink masks, each dilated by the
    // tolerance; 1.0 when neither has ink.
    double dilatedIoU = 0.0;
    // Share of A's ink within the tolerance of B's ink, and the reverse.
    double coverageAinB = 0.0;
    double coverageBinA = 0.0;
    // The largest connected group of ink pixels of one picture that has no
    // ink of the other within the stray tolerance: a missing label or target
    // shows here even when the overall figures are high.
    int largestStrayA = 0;
    int largestStrayB = 0;
    // The largest share of an element's ink that is stray: near 1 when an
    // element (a target, a label, a box) has no counterpart, small when a
    // text is merely drawn a little wider by the other implementation.
    double worstElementA = 0.0;
    double worstElementB = 0.0;
    // Straight lines (rows and columns) found in A and in B, and how many of
    // them have no counterpart within the tolerance in the other picture.
    int linesA = 0;
    int linesB = 0;
    int unmatchedLines = 0;
};

// The background is the most frequent colour (alpha ignored).
uint32_t dominantColour(const Picture& picture);

Mask inkMask(const Picture& picture, uint32_t background, int threshold);

// Every pixel within `radius` (square neighbourhood) of a set pixel.
Mask dilate(const Mask& mask, int radius);

// Sizes of the 8-connected groups of set pixels, largest first.
std::vector<int> componentSizes(const Mask& mask);

// Each pixel's 8-connected group as a number from 1 (0 where unset); the
// number of groups in `count`.
std::vector<int> componentLabels(const Mask& mask, int& count);

// The largest share of stray ink in any element of `ink` (groups of ink
// joined within `joinPixels`) that holds at least `minimumInk` pixels.
double worstElementShare(const Mask& ink, const Mask& stray, int joinPixels, int minimumInk);

// Rows (or columns) whose ink count reaches `share` of the picture's width
// (or height); a run of adjacent ones is reported once, at its middle.
std::vector<int> lineRows(const Mask& mask, double share);
std::vector<int> lineColumns(const Mask& mask, double share);

ComparisonFigures compare(const Picture& a, const Picture& b, const ComparisonSettings& settings);

// A picture for people: ink of both in white, ink only in A in red, ink only
// in B in blue (beyond the tolerance: bright; within it: dark), enlarged by
// `zoom` so that single pixels can be seen.
Picture differencePicture(const Picture& a, const Picture& b, const ComparisonSettings& settings, int zoom);

// Limits a comparison must meet. The defaults are argued in
// docs/windows-checks.md from the figures measured on real renders.
struct Acceptance {
    double minDilatedIoU = 0.55;
    double minCoverage = 0.70;
    int maxStray = 150;
    double maxElementShare = 0.5;
    int maxUnmatchedLines = 0;
};

// Empty when the figures meet the limits; otherwise what fails, in words.
std::string verdict(const ComparisonFigures& figures, uint32_t expectedBackground, const Acceptance& acceptance);

}  // namespace quillon::compare
