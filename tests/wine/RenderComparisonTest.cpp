// The measure that judges Wine renders against Linux renders: it must
// forgive the one-pixel differences of the two GDI+ implementations and
// still catch a shifted line, a missing label or a wrong clear colour.
#include <gtest/gtest.h>

#include "tools/render-compare/RenderComparison.h"

namespace quillon::compare {
namespace {

constexpr uint32_t kBackground = 0xff001400;
constexpr uint32_t kInk = 0xff00ff00;

Picture blank(int width, int height, uint32_t colour = kBackground) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<size_t>(width) * height, colour);
    return picture;
}

void put(Picture& picture, int x, int y, uint32_t colour = kInk) {
    picture.pixels[static_cast<size_t>(y) * picture.width + x] = colour;
}

void horizontal(Picture& picture, int y, int x0, int x1) {
    for (int x = x0; x <= x1; ++x) put(picture, x, y);
}

void vertical(Picture& picture, int x, int y0, int y1) {
    for (int y = y0; y <= y1; ++y) put(picture, x, y);
}

void cross(Picture& picture, int cx, int cy, int arm) {
    horizontal(picture, cy, cx - arm, cx + arm);
    vertical(picture, cx, cy - arm, cy + arm);
}

// A small radar-like picture: a frame of long lines, a centre line and a
// few target crosses.
Picture scene(int shiftY = 0) {
    Picture picture = blank(100, 100);
    horizontal(picture, 10 + shiftY, 5, 94);
    horizontal(picture, 50 + shiftY, 5, 94);
    vertical(picture, 20, 5 + shiftY, 94 + shiftY);
    vertical(picture, 80, 5 + shiftY, 94 + shiftY);
    cross(picture, 40, 30 + shiftY, 4);
    cross(picture, 60, 70 + shiftY, 4);
    return picture;
}

Mask maskOf(const Picture& picture) { return inkMask(picture, kBackground, 40); }

// Limits for these small synthetic pictures, whose 1-pixel lines lose half
// their dilated overlap when shifted by a pixel; the limits for real renders
// are chosen from measured figures.
const Acceptance kLimits{0.5, 0.9, 20, 0.5, 0};

TEST(RenderComparisonPieces, DilationGrowsEachInkPixelIntoASquareClippedAtTheEdges) {
    Picture picture = blank(6, 6);
    put(picture, 0, 0);
    put(picture, 3, 3);
    const Mask wide = dilate(maskOf(picture), 1);
    EXPECT_EQ(wide.count(), 4 + 9);
    EXPECT_TRUE(wide.at(1, 1));
    EXPECT_TRUE(wide.at(2, 4));
    EXPECT_FALSE(wide.at(5, 5));
    EXPECT_FALSE(wide.at(2, 0));
}

TEST(RenderComparisonPieces, InkIsWhatDiffersClearlyFromTheBackground) {
    Picture picture = blank(3, 1);
    put(picture, 0, 0, 0xff002a00);  // faint fringe: 22 above the background
    put(picture, 1, 0, 0xff008200);  // dim ink
    put(picture, 2, 0, 0xff001400);
    const Mask ink = maskOf(picture);
    EXPECT_FALSE(ink.at(0, 0));
    EXPECT_TRUE(ink.at(1, 0));
    EXPECT_FALSE(ink.at(2, 0));
}

TEST(RenderComparisonPieces, DiagonalNeighboursFormOneGroupAndGroupsComeLargestFirst) {
    Picture picture = blank(10, 10);
    put(picture, 0, 0);
    put(picture, 1, 1);
    put(picture, 2, 2);
    horizontal(picture, 8, 2, 8);
    put(picture, 9, 0);
    const std::vector<int> sizes = componentSizes(maskOf(picture));
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_EQ(sizes[0], 7);
    EXPECT_EQ(sizes[1], 3);
    EXPECT_EQ(sizes[2], 1);
}

TEST(RenderComparisonPieces, AThickLineIsOneLineAtItsMiddleAndShortStrokesAreNone) {
    Picture picture = blank(40, 40);
    horizontal(picture, 11, 0, 39);
    horizontal(picture, 12, 0, 39);
    horizontal(picture, 13, 0, 39);
    horizontal(picture, 30, 0, 5);
    vertical(picture, 25, 0, 39);
    const Mask ink = maskOf(picture);
    EXPECT_EQ(lineRows(ink, 0.25), std::vector<int>{12});
    EXPECT_EQ(lineColumns(ink, 0.25), std::vector<int>{25});
}

TEST(RenderComparison, IdenticalPicturesAgreeCompletely) {
    const ComparisonFigures figures = compare(scene(), scene(), ComparisonSettings{});
    EXPECT_TRUE(figures.sameSize);
    EXPECT_EQ(figures.backgroundA, kBackground & 0xffffff);
    EXPECT_DOUBLE_EQ(figures.dilatedIoU, 1.0);
    EXPECT_DOUBLE_EQ(figures.coverageAinB, 1.0);
    EXPECT_DOUBLE_EQ(figures.coverageBinA, 1.0);
    EXPECT_EQ(figures.largestStrayA, 0);
    EXPECT_EQ(figures.linesA, 4);
    EXPECT_EQ(figures.unmatchedLines, 0);
    EXPECT_EQ(verdict(figures, kBackground, kLimits), "");
}

TEST(RenderComparison, AOnePixelShiftIsForgiven) {
    const ComparisonFigures figures = compare(scene(), scene(1), ComparisonSettings{});
    EXPECT_DOUBLE_EQ(figures.coverageAinB, 1.0);
    EXPECT_DOUBLE_EQ(figures.coverageBinA, 1.0);
    EXPECT_EQ(figures.unmatchedLines, 0);
    EXPECT_GT(figures.dilatedIoU, 0.5);
    EXPECT_EQ(verdict(figures, kBackground, kLimits), "");
}

TEST(RenderComparison, AThreePixelShiftMovesTheLinesOutOfTolerance) {
    const ComparisonFigures figures = compare(scene(), scene(3), ComparisonSettings{});
    EXPECT_EQ(figures.unmatchedLines, 4);  // two rows each way
    EXPECT_LT(figures.coverageAinB, 0.9);
    EXPECT_NE(verdict(figures, kBackground, kLimits), "");
}

TEST(RenderComparison, AMissingSymbolFailsEvenThoughTheOverallOverlapIsHigh) {
    Picture withTarget = scene();
    cross(withTarget, 40, 80, 6);
    const ComparisonFigures figures = compare(withTarget, scene(), ComparisonSettings{});
    EXPECT_EQ(figures.largestStrayA, 25);
    EXPECT_EQ(figures.largestStrayB, 0);
    EXPECT_GT(figures.dilatedIoU, 0.8);
    EXPECT_NE(verdict(figures, kBackground, kLimits).find("unmatched ink group of 25"), std::string::npos);
}

TEST(RenderComparison, AnElementWithoutCounterpartIsWhollyStrayWhileAWiderWordIsNot) {
    // A "word": five glyph-like blocks 2 pixels apart; the other picture
    // draws it with each advance one pixel wider, as grid-fitted text does.
    Picture narrow = blank(120, 60);
    Picture wide = blank(120, 60);
    for (int glyph = 0; glyph < 5; ++glyph) {
        for (int row = 10; row < 20; ++row) {
            horizontal(narrow, row, 10 + glyph * 8, 14 + glyph * 8);
            horizontal(wide, row, 10 + glyph * 9, 14 + glyph * 9);
        }
    }
    cross(narrow, 90, 45, 5);  // a target only one picture has
    const ComparisonFigures figures = compare(narrow, wide, ComparisonSettings{});
    EXPECT_DOUBLE_EQ(figures.worstElementA, 1.0);
    EXPECT_LT(figures.worstElementB, 0.5);
    EXPECT_NE(verdict(figures, kBackground, kLimits).find("an element is 100%"), std::string::npos);

    Picture withoutTarget = narrow;
    for (int y = 40; y <= 50; ++y) {
        for (int x = 85; x <= 95; ++x) put(withoutTarget, x, y, kBackground);
    }
    const ComparisonFigures wordsOnly = compare(withoutTarget, wide, ComparisonSettings{});
    EXPECT_LT(std::max(wordsOnly.worstElementA, wordsOnly.worstElementB), 0.5);
}

TEST(RenderComparison, AWrongClearColourIsReportedEvenWithMatchingInk) {
    Picture amber = blank(100, 100, 0xff1e0f00);
    horizontal(amber, 10, 5, 94);
    Picture green = blank(100, 100);
    horizontal(green, 10, 5, 94);
    const ComparisonFigures figures = compare(green, amber, ComparisonSettings{});
    EXPECT_DOUBLE_EQ(figures.dilatedIoU, 1.0);
    EXPECT_NE(verdict(figures, kBackground, kLimits).find("background"), std::string::npos);
}

TEST(RenderComparison, EmptyPicturesAgreeAndPicturesOfDifferentSizesDoNot) {
    const ComparisonFigures empty = compare(blank(20, 20), blank(20, 20), ComparisonSettings{});
    EXPECT_DOUBLE_EQ(empty.dilatedIoU, 1.0);
    EXPECT_EQ(verdict(empty, kBackground, kLimits), "");

    const ComparisonFigures sizes = compare(blank(20, 20), blank(20, 21), ComparisonSettings{});
    EXPECT_FALSE(sizes.sameSize);
    EXPECT_EQ(verdict(sizes, kBackground, kLimits), "sizes differ");
}

}  // namespace
}  // namespace quillon::compare
