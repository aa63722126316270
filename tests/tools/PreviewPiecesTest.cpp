// The preview tool's own pieces: command-line names, where a view plots an
// aircraft, the click mapping, pictures and animations written and read back.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/preview/BitmapFont.h"
#include "tools/preview/ContactSheet.h"
#include "tools/preview/GaugeNames.h"
#include "tools/preview/GifWriter.h"
#include "tools/preview/Image.h"
#include "tools/preview/PanelConfig.h"
#include "tools/preview/ViewGeometry.h"

using namespace preview;

namespace {

std::string tempPath(const std::string& name) {
    return testing::TempDir() + "quillon-preview-" + std::to_string(getpid()) + "-" + name;
}

// One degree of latitude or longitude at the equator, in nautical miles as
// the gauge's geometry counts them.
constexpr double kNmPerDegree = 60.0;

AircraftFix aircraftAt(double northNm, double eastNm, double altitudeFeet = 5000, double aboveGround = 5000) {
    return {northNm / kNmPerDegree, eastNm / kNmPerDegree, altitudeFeet, aboveGround};
}

}  // namespace

TEST(GaugeNames, AcceptsTheGaugeNamesInEveryUsualSpelling) {
    std::string name, error;
    for (const char* text : {"Circular Green", "circular-green", "CIRCULAR_GREEN", "CircularGreen", "cg",
                             "Quillon!Circular Green", "quillon.dll!circular green"}) {
        ASSERT_TRUE(parseGaugeName(text, name, error)) << text;
        EXPECT_EQ(name, "Circular Green") << text;
    }
    ASSERT_TRUE(parseGaugeName("ra", name, error));
    EXPECT_EQ(name, "Rectangular Amber");
    ASSERT_TRUE(parseGaugeName("rectangular green", name, error));
    EXPECT_EQ(name, "Rectangular Green");
    for (const char* text : {"circular", "green", "", "cga", "Circular Blue"}) {
        EXPECT_FALSE(parseGaugeName(text, name, error)) << text;
        EXPECT_NE(error.find("unknown gauge"), std::string::npos);
    }
    // Another module's gauge of the same name is not ours.
    EXPECT_FALSE(parseGaugeName("Radar!Circular Green", name, error));
    EXPECT_NE(error.find("'Radar'"), std::string::npos) << error;
    EXPECT_EQ(fileStem("Rectangular Amber"), "rectangular-amber");
}

TEST(GaugeNames, ViewsSizesAndPoints) {
    View view{};
    std::string error;
    ASSERT_TRUE(parseView("arc", view, error));
    EXPECT_EQ(view, View::ForwardArc);
    ASSERT_TRUE(parseView("4", view, error));
    EXPECT_EQ(view, View::Grid);
    ASSERT_TRUE(parseView("Full-Circle", view, error));
    EXPECT_EQ(view, View::FullCircle);
    EXPECT_EQ(radarModeValue(View::ForwardArc), 3.0);
    EXPECT_FALSE(parseView("5", view, error));
    EXPECT_FALSE(parseView("radar", view, error));

    PixelSize size;
    ASSERT_TRUE(parseSize("640x480", size, error));
    EXPECT_EQ(size.width, 640);
    EXPECT_EQ(size.height, 480);
    ASSERT_TRUE(parseSize("16X16", size, error));
    for (const char* bad : {"640", "x480", "640x", "15x100", "100x4097", "-5x10", "1e3x100", "640x480x2", "99999999x1"}) {
        EXPECT_FALSE(parseSize(bad, size, error)) << bad;
    }

    Point2 point;
    ASSERT_TRUE(parsePoint("510,490.5", point, error));
    EXPECT_EQ(point.x, 510);
    EXPECT_EQ(point.y, 490.5);
    for (const char* bad : {"510", "510,", ",4", "a,b", "1,2,3", "nan,1", "inf,2"}) {
        EXPECT_FALSE(parsePoint(bad, point, error)) << bad;
    }
}

// A zero byte ends what the parser sees of its line, and only of its line.
TEST(PanelFile, AZeroByteCutsItsLineAndNotTheNext) {
    const std::string path = tempPath("zero-byte.cfg");
    const char text[] = "[Window00]\nsize_mm=100,100\ngauge00=Quillon!Circular Green, 10, 10, 50\0junk\n"
                        "gauge01=Quillon!Circular Amber, 40, 40, 50\n";
    std::ofstream(path, std::ios::binary).write(text, sizeof text - 1);
    PanelWindow window;
    std::string error;
    ASSERT_TRUE(readPanelWindow(path, "0", window, error)) << error;
    ASSERT_EQ(window.gauges.size(), 2u);
    EXPECT_EQ(window.gauges[1].line, 4);
    EXPECT_EQ(window.warnings.size(), 1u);
    std::remove(path.c_str());
}

TEST(ViewGeometry, DistanceAndBearingOnTheSphere) {
    double distance = 0, bearing = 0;
    distanceAndBearing(0, 0, 0, 1, distance, bearing);
    EXPECT_NEAR(distance, 60.0, 0.01);
    EXPECT_NEAR(bearing, 90.0, 1e-6);
    distanceAndBearing(0, 0, -1, 0, distance, bearing);
    EXPECT_NEAR(bearing, 180.0, 1e-6);
    distanceAndBearing(10, 20, 10, 19, distance, bearing);
    EXPECT_NEAR(bearing, 270.0 + 0.09, 0.05);  // a hair north of west on the great circle
    distanceAndBearing(0, 179.5, 0, -179.5, distance, bearing);
    EXPECT_NEAR(distance, 60.0, 0.01);
    EXPECT_NEAR(bearing, 90.0, 1e-6);
    distanceAndBearing(45, 7, 45, 7, distance, bearing);  // coincident: no NaN from acos
    EXPECT_EQ(distance, 0.0);
}

TEST(ViewGeometry, FullCircleIsHeadingUpAroundTheCentre) {
    const OwnShipFix north{0, 0, 0, 5000};
    Plot p = plotInView(View::FullCircle, north, aircraftAt(20, 0), 40);
    ASSERT_TRUE(p.shown);
    EXPECT_NEAR(p.x, 500, 0.5);
    EXPECT_NEAR(p.y, 262.5, 0.5);

    // Flying east, the same aircraft (due north) is on the left at half range.
    const OwnShipFix east{0, 0, 90, 5000};
    p = plotInView(View::FullCircle, east, aircraftAt(20, 0), 40);
    ASSERT_TRUE(p.shown);
    EXPECT_NEAR(p.x, 262.5, 0.5);
    EXPECT_NEAR(p.y, 500, 0.5);
    EXPECT_NEAR(p.relativeBearingDeg, 270, 1e-6);

    // Range scales the picture; beyond the gauge's edge the aircraft cannot be clicked.
    p = plotInView(View::FullCircle, north, aircraftAt(20, 0), 80);
    EXPECT_NEAR(p.y, 500 - 118.75, 0.5);
    p = plotInView(View::FullCircle, north, aircraftAt(0, 45), 40);
    EXPECT_FALSE(p.shown);
    EXPECT_NE(p.whyHidden.find("outside the gauge"), std::string::npos);
}

TEST(ViewGeometry, ForwardArcShowsOnlyAirborneAircraftAhead) {
    const OwnShipFix own{0, 0, 0, 5000};
    Plot p = plotInView(View::ForwardArc, own, aircraftAt(20, 0), 40);
    ASSERT_TRUE(p.shown);
    EXPECT_NEAR(p.x, 500, 0.5);
    EXPECT_NEAR(p.y, 500, 0.5);

    // 60 degrees right at a quarter range is still in; 61 is out.
    const double r = 10.0;
    auto atBearing = [&](double deg) {
        return aircraftAt(r * std::cos(deg * M_PI / 180), r * std::sin(deg * M_PI / 180));
    };
    EXPECT_TRUE(plotInView(View::ForwardArc, own, atBearing(59.9), 40).shown);
    EXPECT_TRUE(plotInView(View::ForwardArc, own, atBearing(-59.9), 40).shown);
    p = plotInView(View::ForwardArc, own, atBearing(61), 40);
    EXPECT_FALSE(p.shown);
    EXPECT_NE(p.whyHidden.find("outside the forward arc"), std::string::npos);
    EXPECT_FALSE(plotInView(View::ForwardArc, own, atBearing(180), 40).shown);

    p = plotInView(View::ForwardArc, own, aircraftAt(20, 0, 100, 100), 40);
    EXPECT_FALSE(p.shown);
    EXPECT_NE(p.whyHidden.find("above ground"), std::string::npos);
    EXPECT_TRUE(plotInView(View::ForwardArc, own, aircraftAt(20, 0, 101, 101), 40).shown);
}

TEST(ViewGeometry, GridPlotsBearingAcrossAndAltitudeUpAndDown) {
    const double ownFeet = 3048 * 3.2808;  // own altitude as the host gives it in metres
    const OwnShipFix own{0, 0, 0, ownFeet};
    const double right10 = 10.0 * M_PI / 180;
    Plot p = plotInView(View::Grid, own, aircraftAt(10 * std::cos(right10), 10 * std::sin(right10), ownFeet + 1000), 40);
    ASSERT_TRUE(p.shown);
    EXPECT_NEAR(p.x, 700, 0.5);
    EXPECT_NEAR(p.y, 300, 0.5);

    p = plotInView(View::Grid, own, aircraftAt(10, 0, ownFeet - 4000), 40);
    ASSERT_TRUE(p.shown);
    EXPECT_NEAR(p.y, 1000, 0.5);  // clamped to the bottom edge, outside the clickable space
    // ...which a click can still reach: the logical space ends at 1000.
    p = plotInView(View::Grid, own, aircraftAt(10, 0, ownFeet + 4000), 40);
    ASSERT_TRUE(p.shown);
    EXPECT_NEAR(p.y, 0, 0.5);

    const double left25 = -25.0 * M_PI / 180;
    p = plotInView(View::Grid, own, aircraftAt(10 * std::cos(left25), 10 * std::sin(left25)), 40);
    EXPECT_FALSE(p.shown);
    EXPECT_NE(p.whyHidden.find("-25"), std::string::npos);
}

TEST(ViewGeometry, PixelChosenForALogicalPointClicksWithinTheHitTolerance) {
    for (int pixels : {50, 99, 100, 240, 333, 400, 1000, 1500}) {
        for (double logical : {0.0, 12.5, 262.5, 500.0, 737.4, 999.0}) {
            const int px = logicalToPixel(logical, pixels);
            ASSERT_GE(px, 0);
            ASSERT_LT(px, pixels);
            // The host's mapping: pixel / size * 1000, truncated.
            const int reached = static_cast<int>(static_cast<double>(px) / pixels * 1000.0);
            EXPECT_LT(std::fabs(reached - logical), 20.0) << pixels << " " << logical;
        }
    }
}

TEST(Pictures, PngKeepsEveryPixelAndReportsBadFiles) {
    Image image(37, 21, 0xff001400u);
    image.setPixel(0, 0, 0xffffa046u);
    image.setPixel(36, 20, 0xff00ff00u);
    image.fillRect(10, 5, 4, 4, 0xff783c0au);
    const std::string path = tempPath("roundtrip.png");
    std::string error;
    ASSERT_TRUE(writePng(image, path, error)) << error;
    Image back;
    ASSERT_TRUE(readPng(path, back, error)) << error;
    ASSERT_EQ(back.width(), 37);
    ASSERT_EQ(back.height(), 21);
    EXPECT_EQ(back.pixels(), image.pixels());

    EXPECT_FALSE(writePng(image, "/nonexistent-dir/x.png", error));
    EXPECT_NE(error.find("/nonexistent-dir/x.png"), std::string::npos);
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("not a png", f);
    std::fclose(f);
    EXPECT_FALSE(readPng(path, back, error));
    std::remove(path.c_str());
}

// A panel file may place a gauge anywhere: copies and fills clip to the
// canvas without overflowing their sums (as -fsanitize=undefined showed).
TEST(Pictures, CopiesAndFillsClipWhereverTheyLie) {
    Image canvas(8, 6, 0xff000000u);
    const Image gauge(4, 4, 0xffffffffu);
    for (const int far : {INT_MAX - 2, INT_MIN + 1}) {
        canvas.blit(gauge, far, far);
        canvas.fillRect(far, far, 5, 5, 0xffffffffu);
    }
    canvas.blit(gauge, -2, 4);  // the top half of its right half shows
    EXPECT_EQ(std::count(canvas.pixels().begin(), canvas.pixels().end(), 0xffffffffu), 4);
    EXPECT_EQ(canvas.pixel(1, 5), 0xffffffffu);
}

TEST(Pictures, TextStaysInsideItsMeasuredBox) {
    for (int scale : {1, 3}) {
        Image image(200, 40, 0xff000000u);
        drawText(image, 4, 5, "Grid 40 NM", 0xffffffffu, scale);
        const int w = textWidth("Grid 40 NM", scale), h = textHeight(scale);
        int inside = 0, outside = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == 0xff000000u) continue;
                (x >= 4 && x < 4 + w && y >= 5 && y < 5 + h ? inside : outside)++;
            }
        }
        EXPECT_GT(inside, 20 * scale * scale);
        EXPECT_EQ(outside, 0);
    }
    Image upper(40, 10), lower(40, 10);
    drawText(upper, 0, 0, "ARC", 0xffffffffu, 1);
    drawText(lower, 0, 0, "arc", 0xffffffffu, 1);
    EXPECT_EQ(upper.pixels(), lower.pixels());
}

TEST(Pictures, ContactSheetPlacesEachCellUnderItsLabels) {
    SheetLayout layout{"Title", {"A", "B"}, {"Row one", "Row two", "Row three"}, 30, 20};
    std::vector<std::vector<Image>> cells(3);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 2; ++c) cells[r].push_back(Image(30, 20, 0xff000000u | (r * 16 + c + 1)));
    }
    const Image sheet = composeSheet(layout, cells);
    const SheetGeometry g = sheetGeometry(layout);
    ASSERT_EQ(sheet.width(), g.width);
    ASSERT_EQ(sheet.height(), g.height);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 2; ++c) {
            const uint32_t expected = 0xff000000u | (r * 16 + c + 1);
            EXPECT_EQ(sheet.pixel(g.cellX(c), g.cellY(r)), expected);
            EXPECT_EQ(sheet.pixel(g.cellX(c) + 29, g.cellY(r) + 19), expected);
            EXPECT_NE(sheet.pixel(g.cellX(c) - 1, g.cellY(r)), expected);
        }
    }
    // Labels sit left of and above the cells, never on them.
    EXPECT_GE(g.cellsLeft, textWidth("Row three", 1));
    EXPECT_GE(g.cellsTop, textHeight(2) + textHeight(1));
}

TEST(Animation, FrameDelaysKeepTheFrameRate) {
    for (double fps : {18.0, 10.0, 30.0, 7.0}) {
        const int count = static_cast<int>(fps * 4);
        const std::vector<int> delays = frameDelays(count, fps);
        ASSERT_EQ(static_cast<int>(delays.size()), count);
        int total = 0;
        for (int d : delays) {
            EXPECT_GE(d, 1);
            total += d;
        }
        EXPECT_NEAR(total, 400, 1) << fps;
    }
    EXPECT_TRUE(frameDelays(0, 18).empty());
    EXPECT_TRUE(frameDelays(5, 0).empty());
}

TEST(Animation, PaletteKeepsTheDominantColoursExact) {
    // Three scheme colours on most pixels, then 400 rare blends.
    Image frame(100, 100, 0xff001400u);
    frame.fillRect(0, 0, 100, 30, 0xff008200u);
    frame.fillRect(0, 30, 100, 20, 0xff00ff00u);
    for (int i = 0; i < 400; ++i) frame.setPixel(i % 100, 60 + i / 100, 0xff000000u | (i * 97 % 0xffffff));
    const Palette palette = buildPalette({frame});
    EXPECT_FALSE(palette.exact);
    ASSERT_EQ(palette.colours.size(), 256u);
    EXPECT_EQ(buildPalette({frame}, 255).colours.size(), 255u);
    for (uint32_t colour : {0xff001400u, 0xff008200u, 0xff00ff00u}) {
        EXPECT_EQ(palette.colours[nearestIndex(palette, colour)], colour & 0xffffffu);
    }
    const Palette small = buildPalette({Image(4, 4, 0xff123456u)});
    EXPECT_TRUE(small.exact);
    EXPECT_EQ(small.colours.size(), 1u);
}

TEST(Animation, GifReadsBackFrameForFrame) {
    // A moving bright square on a dark background: each frame after the first
    // is stored as the changed rectangle only, so read it back by compositing.
    std::vector<Image> frames;
    for (int n = 0; n < 7; ++n) {
        Image f(64, 48, 0xff1e0f00u);
        f.fillRect(4 + n * 6, 10, 8, 8, 0xffffa046u);
        f.setPixel(63, 47, 0xff783c0au);
        frames.push_back(f);
    }
    frames.push_back(frames.back());  // an unchanged frame still counts
    const std::string path = tempPath("anim.gif");
    std::string error;
    ASSERT_TRUE(writeAnimatedGif(frames, 18, path, error)) << error;

    int code = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &code);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->SWidth, 64);
    EXPECT_EQ(gif->SHeight, 48);
    ASSERT_EQ(gif->ImageCount, 8);
    Image canvas(64, 48, 0);
    int totalDelay = 0;
    for (int n = 0; n < gif->ImageCount; ++n) {
        const SavedImage& saved = gif->SavedImages[n];
        GraphicsControlBlock gcb;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, n, &gcb), GIF_OK);
        totalDelay += gcb.DelayTime;
        const ColorMapObject* map = saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : gif->SColorMap;
        for (int y = 0; y < saved.ImageDesc.Height; ++y) {
            for (int x = 0; x < saved.ImageDesc.Width; ++x) {
                const int index = saved.RasterBits[y * saved.ImageDesc.Width + x];
                if (index == gcb.TransparentColor) continue;  // unchanged since the last frame
                const GifColorType c = map->Colors[index];
                canvas.setPixel(saved.ImageDesc.Left + x, saved.ImageDesc.Top + y,
                                0xff000000u | (c.Red << 16) | (c.Green << 8) | c.Blue);
            }
        }
        EXPECT_EQ(canvas.pixels(), frames[n].pixels()) << "frame " << n;
    }
    EXPECT_NEAR(totalDelay, 8 * 100 / 18.0, 1);
    DGifCloseFile(gif, &code);
    std::remove(path.c_str());

    EXPECT_FALSE(writeAnimatedGif({}, 18, path, error));
    EXPECT_FALSE(writeAnimatedGif(frames, 18, "/nonexistent-dir/a.gif", error));
    EXPECT_FALSE(error.empty());
}
