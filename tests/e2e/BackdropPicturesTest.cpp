// Redrawing from a backdrop must not change the picture: the same frames
// drawn by Quillon.so and by Quillon-direct.so (the same sources drawing
// every frame directly) give the same pixels, for every gauge and view, at
// square, odd and non-square sizes, across a range change, resizes in place
// and onto a new surface, with an aircraft selected.
//
// One difference is the module's own: where the frame is composed as memory
// the targets' crosses are blended from an atlas, each the pen's cross at
// the nearest eighth of a pixel, and their lines are filled by the module.
// Along a cross's edges a pixel's coverage differs by at most a sixteenth
// across and a sixteenth down: an eighth of the full level where two edges
// meet, and a level of rounding; along a line's edges and ends, by what two
// anti-aliasing rasterisers differ by (under 24 levels); together at most a
// cross's cell of pixels per aircraft (CrossAtlas.* holds each blended cross
// to the pen's at its place to within a level, and each filled line to the
// pen's within 24).
//
// Two differences are libgdiplus's, and bounded here:
// - It sets a pen up for the world transform of the moment only when a
//   graphics object draws with another pen than its last one. In the first
//   grid frame after a resize, the direct drawing's first line (the left
//   edge, dim pen) finds the dim pen still set up for the old size when the
//   frame before ended with a dim target: that line keeps its old width. The
//   backdrop draws it at the new size.
// - A surface resized in place keeps its larger bitmap: arcs that run past
//   the picture's edge are clipped at the bitmap's edge on the surface and at
//   the picture's edge on the backdrop, and the anti-aliased pixels just
//   inside the edge differ by a few levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim/Host.h"
#include "sim/ScenarioLoader.h"
#include "tests/e2e/GaugePictures.h"

namespace {

struct Picture {
    std::string what;
    int width;
    int height;
    bool inPlaceResized;   // the surface's bitmap is larger than the picture
    bool gridAfterResize;  // the grid's first frame at a new size
    std::vector<uint32_t> pixels;
};

// The first window's surface takes the in-place resizes.
constexpr int kCapacity = 640;

int largestChannelDifference(uint32_t a, uint32_t b) {
    int largest = 0;
    for (int shift = 0; shift <= 24; shift += 8)
        largest = std::max(largest, std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)));
    return largest;
}

// The crosses' difference: levels, and the pixels of a cross's cell.
constexpr int kCrossEdgeLevels = 255 / 8 + 1;
int crossCellPixels(const Picture& picture) {
    constexpr double kCrossReach = 10.0 + 1.0;  // arm and half the pen, in logical units
    const double scale = std::max(picture.width, picture.height) / 1000.0;
    const int side = 2 * static_cast<int>(std::ceil(kCrossReach * scale)) + 3;
    return side * side;
}

// Whether a differing pixel is one of libgdiplus's two explained above.
bool explained(const Picture& picture, int x, int y, int difference) {
    constexpr int kEdgePixels = 6;
    constexpr int kEdgeLevels = 8;
    constexpr double kGridLeftEdge = 100.0;  // logical x of the grid's left edge line
    const bool nearEdge = x >= picture.width - kEdgePixels || y >= picture.height - kEdgePixels;
    if (picture.inPlaceResized && nearEdge && difference <= kEdgeLevels) return true;
    const double edgeLineX = kGridLeftEdge * picture.width / 1000.0;
    return picture.gridAfterResize && std::abs(x - edgeLineX) <= 2.0;
}

struct Frames {
    void keep(const sim::Window& window, const std::string& what, int mode, bool resized) {
        pictures.push_back(Picture{what, window.width(), window.height(),
                                   window.width() < kCapacity || window.height() < kCapacity,
                                   mode == 4 && resized, window.pixels()});
    }

    std::vector<Picture> pictures;
};

sim::Scenario scenarioWithPickedAircraft() {
    sim::Scenario scenario = sim::defaultScenario();
    // Dead ahead at half the default range and the own altitude.
    sim::Aircraft picked = pictures::aircraftAt(scenario.own, scenario.own.headingTrueDeg, "PICKED", 20.0, 0.0,
                                                scenario.own.headingTrueDeg + 40.0, 180.0);
    picked.altitudeFt = scenario.own.altitudeFt;
    picked.verticalSpeedFpm = 0.0;
    scenario.traffic.push_back(picked);
    return scenario;
}

// The frames every module draws: per gauge and view, a selection, a range
// change, resizes between frames (in place and onto a new surface).
std::vector<Picture> drawFrames(const char* modulePath) {
    sim::Host host(modulePath);
    EXPECT_TRUE(host.loaded()) << host.error();
    Frames frames;
    if (!host.loaded()) return frames.pictures;
    host.setScenario(scenarioWithPickedAircraft());

    for (const pictures::Variant& variant : pictures::kVariants) {
        sim::Window& window = host.openWindow(variant.name, kCapacity, kCapacity);
        host.frame();  // registers the named variables
        for (int mode : {2, 3, 4}) {
            const std::string at = std::string(variant.slug) + " mode " + std::to_string(mode);
            host.setNamed("Radar Range", 40.0);
            host.setNamed("Radar Mode", mode);
            window.resize(kCapacity, kCapacity, sim::ResizeMode::KeepDeviceContext);
            host.frames(25);  // traffic read and painted
            pictures::clickAt(host, window, 500.0, mode == 2 ? 262.5 : 500.0);  // on PICKED
            host.frame();
            frames.keep(window, at + " full size", mode, false);
            host.setNamed("Radar Range", 12.5);
            host.frame();
            frames.keep(window, at + " range 12.5", mode, false);
            window.resize(333, 211, sim::ResizeMode::KeepDeviceContext);
            host.frame();
            frames.keep(window, at + " 333 x 211", mode, true);
            window.resize(211, 333, sim::ResizeMode::KeepDeviceContext);
            host.frame();
            frames.keep(window, at + " 211 x 333", mode, true);
            host.frames(3);
            frames.keep(window, at + " 211 x 333, three frames on", mode, false);
            window.resize(97, 150, sim::ResizeMode::NewSurface);
            host.frame();
            frames.keep(window, at + " new surface 97 x 150", mode, true);
            window.resize(kCapacity, kCapacity, sim::ResizeMode::NewSurface);
        }
        host.closeWindow(window);
    }
    return frames.pictures;
}

TEST(BackdropPictures, FramesDrawnFromBackdropsEqualFramesDrawnDirectly) {
    const int aircraft = static_cast<int>(scenarioWithPickedAircraft().traffic.size());
    const std::vector<Picture> fromBackdrops = drawFrames(QUILLON_MODULE_PATH);
    const std::vector<Picture> direct = drawFrames(QUILLON_DIRECT_MODULE_PATH);
    ASSERT_EQ(fromBackdrops.size(), direct.size());
    ASSERT_FALSE(direct.empty());
    for (size_t i = 0; i < direct.size(); ++i) {
        const Picture& a = fromBackdrops[i];
        const Picture& b = direct[i];
        ASSERT_EQ(a.what, b.what);
        ASSERT_EQ(a.width, b.width) << a.what;
        ASSERT_EQ(a.height, b.height) << a.what;
        int unexplained = 0;
        int explainedCount = 0;
        int crossPixels = 0;
        int firstAt = -1;
        for (size_t p = 0; p < a.pixels.size(); ++p) {
            if (a.pixels[p] == b.pixels[p]) continue;
            const int x = static_cast<int>(p) % a.width;
            const int y = static_cast<int>(p) / a.width;
            const int difference = largestChannelDifference(a.pixels[p], b.pixels[p]);
            if (explained(a, x, y, difference)) {
                ++explainedCount;
                continue;
            }
            if (difference <= kCrossEdgeLevels) {
                ++crossPixels;
                continue;
            }
            if (firstAt < 0) firstAt = static_cast<int>(p);
            ++unexplained;
        }
        EXPECT_EQ(unexplained, 0) << a.what << ": first at (" << firstAt % a.width << ", " << firstAt / a.width << ")";
        // At most a line three pixels wide down the whole picture.
        EXPECT_LE(explainedCount, 3 * a.height) << a.what;
        EXPECT_LE(crossPixels, aircraft * crossCellPixels(a)) << a.what;
    }
}

}  // namespace
