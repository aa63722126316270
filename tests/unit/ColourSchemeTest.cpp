// The two colour schemes as they come out on a surface: pen colours, the
// dashed pen's pattern, the fonts and their fallback, the line height.
#include <gtest/gtest.h>

#include <vector>

#include "render/ColourScheme.h"
#include "tests/support/TestSurface.h"

namespace render {
namespace {

using quillon::testing::TestSurface;

class ColourSchemes : public ::testing::Test {
protected:
    void SetUp() override { quillon::testing::ensureGdiplusStarted(); }
};

// Lengths of the runs of ink along a pixel row between two columns.
std::vector<int> inkRuns(const TestSurface& surface, int row, int from, int to, uint32_t background) {
    std::vector<int> runs;
    int run = 0;
    for (int x = from; x < to; ++x) {
        if (surface.pixel(x, row) != background) {
            ++run;
        } else if (run > 0) {
            runs.push_back(run);
            run = 0;
        }
    }
    if (run > 0) runs.push_back(run);
    return runs;
}

TEST_F(ColourSchemes, PensDrawInTheirBrushColours) {
    for (const SchemeColours& colours : {kGreenColours, kAmberColours}) {
        ColourScheme scheme;
        createScheme(scheme, colours);
        EXPECT_EQ(scheme.backgroundColour, colours.background);
        ASSERT_TRUE(scheme.dimPen && scheme.brightPen && scheme.dashedPen);
        EXPECT_TRUE(scheme.dimPen->valid() && scheme.brightPen->valid() && scheme.dashedPen->valid());

        TestSurface surface(1000, 1000);
        surface.clear(scheme.backgroundColour);
        surface.graphics().drawLine(*scheme.dimPen, 100.0f, 100.5f, 300.0f, 100.5f);
        surface.graphics().drawLine(*scheme.brightPen, 100.0f, 200.5f, 300.0f, 200.5f);
        EXPECT_EQ(surface.pixel(200, 100), colours.dim);
        EXPECT_EQ(surface.pixel(200, 200), colours.bright);
        EXPECT_EQ(surface.pixel(200, 150), colours.background);
        // Two world units wide: the scaling carries over to the pens.
        EXPECT_EQ(surface.pixel(200, 101), colours.dim);
        EXPECT_EQ(surface.pixel(200, 103), colours.background);
        EXPECT_EQ(surface.pixel(200, 98), colours.background);
        scheme.release();
        EXPECT_FALSE(scheme.created());
        EXPECT_EQ(scheme.dimPen, nullptr);
        EXPECT_EQ(scheme.smallFont, nullptr);
    }
}

TEST_F(ColourSchemes, DashedPenAlternatesFourUnitDashesAndGaps) {
    ColourScheme scheme;
    createScheme(scheme, kGreenColours);
    for (int size : {1000, 500}) {
        TestSurface surface(size, size);
        surface.clear(scheme.backgroundColour);
        surface.graphics().drawLine(*scheme.dashedPen, 100.0f, 400.5f, 500.0f, 400.5f);
        const float pixelsPerUnit = size / 1000.0f;
        const int row = static_cast<int>(400.5f * pixelsPerUnit);
        const std::vector<int> runs =
            inkRuns(surface, row, static_cast<int>(110 * pixelsPerUnit), static_cast<int>(490 * pixelsPerUnit),
                    scheme.backgroundColour);
        // 380 units of line: 47 or 48 dashes of 4 units with 4-unit gaps.
        ASSERT_GE(runs.size(), 44u) << size;
        ASSERT_LE(runs.size(), 49u) << size;
        for (size_t i = 1; i + 1 < runs.size(); ++i) {
            EXPECT_NEAR(runs[i], 4.0f * pixelsPerUnit, 1.0f) << size << " run " << i;
        }
        EXPECT_EQ(surface.pixel(static_cast<int>(300 * pixelsPerUnit), row + 4), scheme.backgroundColour);
    }
    scheme.release();
}

TEST_F(ColourSchemes, FontsHaveTheirSizesAndLineHeightFollowsTheLargeOne) {
    ColourScheme scheme;
    createScheme(scheme, kAmberColours);
    ASSERT_TRUE(scheme.smallFont && scheme.largeFont);
    EXPECT_TRUE(scheme.smallFont->valid());
    EXPECT_TRUE(scheme.largeFont->valid());
    EXPECT_FLOAT_EQ(scheme.smallFont->size(), 30.0f);
    EXPECT_FLOAT_EQ(scheme.largeFont->size(), 40.0f);
    EXPECT_EQ(scheme.lineHeight, 40.0f * 1.2f);
    EXPECT_FLOAT_EQ(scheme.lineHeight, 48.0f);
    scheme.release();
}

TEST_F(ColourSchemes, UnknownFamilyFallsBackToAUsableFont) {
    auto font = createFontWithFallback(u"No Such Family Anywhere", 30.0f, gdip::kFontStyleBold);
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(font->valid());
    EXPECT_FLOAT_EQ(font->size(), 30.0f);

    TestSurface surface(400, 200);
    surface.clear(0xff000000u);
    SolidBrush ink(0xffffffffu);
    surface.graphics().drawText(u"WWW", -1, *font, 100.0f, 300.0f, nullptr, &ink);
    EXPECT_GT(surface.countColour(0, 0, 1000, 1000, 0xffffffffu, 100), 20);
}

TEST_F(ColourSchemes, GreenAndAmberDifferOnlyInColour) {
    ColourScheme green;
    ColourScheme amber;
    createScheme(green, kGreenColours);
    createScheme(amber, kAmberColours);
    EXPECT_NE(green.backgroundColour, amber.backgroundColour);
    EXPECT_EQ(green.lineHeight, amber.lineHeight);
    EXPECT_EQ(green.smallFont->size(), amber.smallFont->size());
    TestSurface surface(1000, 1000);
    surface.clear(0xff000000u);
    surface.graphics().drawLine(*green.dimPen, 100.0f, 100.5f, 300.0f, 100.5f);
    surface.graphics().drawLine(*amber.dimPen, 100.0f, 200.5f, 300.0f, 200.5f);
    EXPECT_EQ(surface.pixel(200, 100), 0xff008200u);
    EXPECT_EQ(surface.pixel(200, 200), 0xff783c0au);
    green.release();
    amber.release();
}

}  // namespace
}  // namespace render
