// A short flight through every path a panel takes: four gauges drawn over
// the default scene, each view in turn, an aircraft selected on every gauge
// (both data blocks), a window resized and another closed and reopened, the
// module unloaded. It is an ordinary end-to-end test, small enough to run
// under valgrind as well (make valgrind-check), where any invalid access or
// memory the module loses fails it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sim/Geodesy.h"
#include "sim/Host.h"
#include "sim/ScenarioLoader.h"

namespace {

constexpr int kSize = 120;
const char* const kGauges[] = {"Rectangular Green", "Rectangular Amber", "Circular Green", "Circular Amber"};
const uint32_t kBackgrounds[] = {0xff001400u, 0xff1e0f00u, 0xff001400u, 0xff1e0f00u};

int inkPixels(const sim::Window& window, uint32_t background) {
    int ink = 0;
    for (uint32_t pixel : window.pixels()) ink += pixel != background ? 1 : 0;
    return ink;
}

// Clicks on the full-circle plot of the nearest aircraft within range.
void selectNearest(sim::Host& host, sim::Window& window) {
    const sim::Aircraft& own = host.traffic().own();
    const sim::Aircraft* nearest = nullptr;
    double nearestNm = 40.0;
    for (const sim::Aircraft& aircraft : host.traffic().scenario().traffic) {
        const double nm = host.traffic().distanceFromOwnMetres(aircraft) / sim::kMetresPerNauticalMile;
        if (nm < nearestNm) {
            nearestNm = nm;
            nearest = &aircraft;
        }
    }
    if (nearest == nullptr) return;
    const double course =
        sim::initialCourseDeg({own.latitudeDeg, own.longitudeDeg}, {nearest->latitudeDeg, nearest->longitudeDeg});
    const double relative = (course - host.moduleVariable(host::kVarOwnHeading)) * M_PI / 180.0;
    const double radius = nearestNm * 475.0 / 40.0;
    const double x = 500.0 + radius * std::sin(relative);
    const double y = 500.0 - radius * std::cos(relative);
    host.click(window, static_cast<int>(x * window.width() / 1000.0), static_cast<int>(y * window.height() / 1000.0));
}

TEST(FlightUnderValgrind, FourGaugesThroughEveryViewSelectionResizeAndReopen) {
    sim::Host host(QUILLON_MODULE_PATH);
    ASSERT_TRUE(host.loaded()) << host.error();
    host.setScenario(sim::defaultScenario());

    sim::Window* windows[4] = {};
    for (int i = 0; i < 4; ++i) windows[i] = &host.openWindow(kGauges[i], kSize, kSize);
    host.frames(30);
    for (sim::Window* window : windows) selectNearest(host, *window);

    for (double mode : {2.0, 3.0, 4.0, 7.0, 2.0}) {
        host.setNamed("Radar Mode", mode);
        host.frames(12);
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(std::string(kGauges[i]) + ", mode " + std::to_string(mode));
            // Every picture starts from the scheme's background; every view
            // draws on it, mode 7 draws nothing.
            EXPECT_EQ(windows[i]->pixelAtLogical(2.0, 500.0), kBackgrounds[i]);
            if (mode == 7.0) {
                EXPECT_EQ(inkPixels(*windows[i], kBackgrounds[i]), 0);
            } else {
                EXPECT_GT(inkPixels(*windows[i], kBackgrounds[i]), kSize);
            }
        }
    }

    host.setNamed("Radar Range", 10.0);
    windows[0]->resize(kSize + 40, kSize - 20);
    host.closeWindow(*windows[3]);
    host.frames(10);
    windows[3] = &host.openWindow(kGauges[3], kSize, kSize);
    host.frames(10);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(kGauges[i]);
        EXPECT_GT(inkPixels(*windows[i], kBackgrounds[i]), kSize);
    }

    host.unload();
    EXPECT_FALSE(host.loaded());
}

}  // namespace
