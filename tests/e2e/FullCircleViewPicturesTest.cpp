// The full-circle view of the four gauges through the stand-in host: a known
// scene with one aircraft selected by a click, checked on the saved pixels.
// The pictures go to $QUILLON_PICTURE_DIR (or the test's temporary folder).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "sim/Geodesy.h"
#include "sim/Host.h"
#include "sim/ScenarioLoader.h"

namespace {

struct SchemeColours {
    uint32_t background;
    uint32_t dim;
    uint32_t bright;
};
constexpr SchemeColours kGreen{0xff001400u, 0xff008200u, 0xff00ff00u};
constexpr SchemeColours kAmber{0xff1e0f00u, 0xff783c0au, 0xffffa046u};

struct Variant {
    const char* name;
    const char* file;
    SchemeColours colours;
    bool compactBlock;
};
constexpr Variant kVariants[] = {
    {"Circular Green", "full-circle-circular-green.png", kGreen, true},
    {"Circular Amber", "full-circle-circular-amber.png", kAmber, true},
    {"Rectangular Green", "full-circle-rectangular-green.png", kGreen, false},
    {"Rectangular Amber", "full-circle-rectangular-amber.png", kAmber, false},
};

constexpr int kSize = 1000;
constexpr double kOwnHeading = 250.0;
constexpr double kScale = 475.0 / 40.0;  // logical units per nautical mile at the start-up range

std::string pictureDir() {
    const char* dir = std::getenv("QUILLON_PICTURE_DIR");
    std::string path = dir != nullptr && *dir != '\0' ? dir : ::testing::TempDir() + "quillon-pictures";
    ::mkdir(path.c_str(), 0755);
    return path + "/";
}

bool near(uint32_t argb, uint32_t wanted, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = static_cast<int>((argb >> shift) & 0xff);
        const int b = static_cast<int>((wanted >> shift) & 0xff);
        if (std::abs(a - b) > tolerance) return false;
    }
    return true;
}

// Pixels of the colour inside a logical rectangle of the window.
int countColour(const sim::Window& window, double left, double top, double right, double bottom, uint32_t colour,
                int tolerance = 40) {
    const double toPixels = window.width() / 1000.0;
    int count = 0;
    for (int y = static_cast<int>(top * toPixels); y < static_cast<int>(bottom * toPixels); ++y)
        for (int x = static_cast<int>(left * toPixels); x < static_cast<int>(right * toPixels); ++x)
            count += near(window.pixel(x, y), colour, tolerance) ? 1 : 0;
    return count;
}

// An aircraft at a distance and relative bearing from the own aircraft.
sim::Aircraft aircraftAt(const sim::Aircraft& own, const std::string& atcId, double distanceNm, double relativeDeg,
                         double headingTrueDeg, double groundSpeedKt) {
    sim::Aircraft aircraft;
    aircraft.atcId = atcId;
    aircraft.label = atcId;
    aircraft.airline = "Lufthansa";
    aircraft.flightNumber = "456";
    const sim::LatLon at = sim::destination({own.latitudeDeg, own.longitudeDeg}, kOwnHeading + relativeDeg,
                                            distanceNm * sim::kMetresPerNauticalMile);
    aircraft.latitudeDeg = at.latitudeDeg;
    aircraft.longitudeDeg = at.longitudeDeg;
    aircraft.altitudeFt = 11000.0;
    aircraft.headingTrueDeg = headingTrueDeg;
    aircraft.groundSpeedKt = groundSpeedKt;
    aircraft.verticalSpeedFpm = 1500.0;
    return aircraft;
}

// Logical point of a target at a distance and relative bearing.
double plotX(double distanceNm, double relativeDeg) {
    return 500.0 + distanceNm * kScale * std::sin(relativeDeg * sim::kPi / 180.0);
}
double plotY(double distanceNm, double relativeDeg) {
    return 500.0 - distanceNm * kScale * std::cos(relativeDeg * sim::kPi / 180.0);
}

class FullCircleViewPictures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host_.loaded()) << host_.error();
        sim::Scenario scene;
        scene.name = "full-circle check";
        scene.own.atcId = "OWN";
        scene.own.latitudeDeg = 50.0;
        scene.own.longitudeDeg = 8.5;
        scene.own.altitudeFt = 9000.0;
        scene.own.headingTrueDeg = kOwnHeading;
        // The own aircraft stands still; the others move less than two
        // logical units in the few seconds of the test.
        scene.traffic.push_back(aircraftAt(scene.own, "SEL1", 20.0, 45.0, kOwnHeading, 250.0));
        scene.traffic.push_back(aircraftAt(scene.own, "B2", 30.0, 200.0, kOwnHeading + 90.0, 300.0));
        scene.traffic.push_back(aircraftAt(scene.own, "C3", 10.0, 300.0, kOwnHeading + 180.0, 150.0));
        host_.setScenario(scene);
    }

    sim::Host host_{QUILLON_MODULE_PATH};
};

TEST_F(FullCircleViewPictures, FourGaugesShowTheSceneWithTheSelectedAircraft) {
    sim::Window* windows[4] = {};
    for (int i = 0; i < 4; ++i) windows[i] = &host_.openWindow(kVariants[i].name, kSize, kSize);
    host_.frames(30);

    const double selectedX = plotX(20.0, 45.0);
    const double selectedY = plotY(20.0, 45.0);
    for (sim::Window* window : windows) {
        EXPECT_EQ(host_.click(*window, static_cast<int>(selectedX * kSize / 1000.0),
                              static_cast<int>(selectedY * kSize / 1000.0)),
                  1);
    }
    host_.frames(3);

    const std::string dir = pictureDir();
    for (int i = 0; i < 4; ++i) {
        const Variant& variant = kVariants[i];
        const sim::Window& window = *windows[i];
        window.savePng(dir + variant.file);
        SCOPED_TRACE(variant.name);
        const SchemeColours& c = variant.colours;

        // Cleared to the scheme's background outside the scope.
        EXPECT_TRUE(near(window.pixelAtLogical(8.0, 500.0), c.background, 4));
        // The solid outer ring in the dim colour, left and right.
        EXPECT_GT(countColour(window, 20.0, 495.0, 30.0, 505.0, c.dim), 0);
        EXPECT_GT(countColour(window, 970.0, 495.0, 980.0, 505.0, c.dim), 0);
        // Ring labels hang under the top of each ring, beside the spoke.
        for (double top : {381.25, 262.5, 143.75, 25.0}) {
            EXPECT_GT(countColour(window, 470.0, top + 6.0, 496.0, top + 34.0, c.dim), 4) << "label at " << top;
            EXPECT_EQ(countColour(window, 470.0, top - 24.0, 496.0, top - 8.0, c.dim, 20), 0)
                << "above label at " << top;
        }
        // Every aircraft's cross where its distance and bearing put it.
        for (auto [distance, relative] : {std::pair{20.0, 45.0}, {30.0, 200.0}, {10.0, 300.0}}) {
            const double x = plotX(distance, relative) + 7.0;
            const double y = plotY(distance, relative);
            EXPECT_GT(countColour(window, x - 2, y - 2, x + 2, y + 2, c.dim, 60) +
                          countColour(window, x - 2, y - 2, x + 2, y + 2, c.bright, 60),
                      0)
                << "cross at " << distance << " NM, " << relative;
        }
        // The selected one is boxed: its left and bottom edges.
        EXPECT_GT(countColour(window, selectedX - 27, selectedY + 10, selectedX - 23, selectedY + 20, c.dim, 60) +
                      countColour(window, selectedX - 27, selectedY + 10, selectedX - 23, selectedY + 20, c.bright, 60),
                  0);
        // Its data block in the bright colour.
        if (variant.compactBlock) {
            EXPECT_GT(countColour(window, 380.0, 40.0, 620.0, 100.0, c.bright), 20);   // distance
            EXPECT_GT(countColour(window, 380.0, 900.0, 620.0, 960.0, c.bright), 20);  // altitude
            EXPECT_EQ(countColour(window, 0.0, 0.0, 200.0, 40.0, c.bright), 0);
        } else {
            EXPECT_GT(countColour(window, 0.0, 0.0, 250.0, 96.0, c.bright), 20);      // vertical speed, altitude
            EXPECT_GT(countColour(window, 750.0, 0.0, 1000.0, 96.0, c.bright), 20);   // bearing, distance
            EXPECT_GT(countColour(window, 0.0, 904.0, 350.0, 1000.0, c.bright), 20);  // ids, airline, flight
            EXPECT_GT(countColour(window, 750.0, 952.0, 1000.0, 1000.0, c.bright), 20);  // ground speed
            EXPECT_EQ(countColour(window, 400.0, 20.0, 600.0, 40.0, c.bright), 0);
        }
    }
}

TEST_F(FullCircleViewPictures, DefaultScenarioPictures) {
    // The built-in scene as a user first sees it, for looking at.
    sim::Host& defaultHost = host_;
    defaultHost.setScenario(sim::defaultScenario());
    const std::string dir = pictureDir();
    sim::Window* windows[4] = {};
    for (int i = 0; i < 4; ++i) windows[i] = &defaultHost.openWindow(kVariants[i].name, kSize, kSize);
    defaultHost.frames(40);

    // Select the nearest aircraft within range, if the scene has one.
    const sim::Aircraft& own = defaultHost.traffic().own();
    const sim::Aircraft* nearest = nullptr;
    double nearestNm = 40.0;
    for (const sim::Aircraft& aircraft : defaultHost.traffic().scenario().traffic) {
        const double nm = defaultHost.traffic().distanceFromOwnMetres(aircraft) / sim::kMetresPerNauticalMile;
        if (nm < nearestNm) {
            nearestNm = nm;
            nearest = &aircraft;
        }
    }
    if (nearest != nullptr) {
        const double course = sim::initialCourseDeg({own.latitudeDeg, own.longitudeDeg},
                                                    {nearest->latitudeDeg, nearest->longitudeDeg});
        const double relative = course - defaultHost.moduleVariable(host::kVarOwnHeading);
        for (sim::Window* window : windows) {
            defaultHost.click(*window, static_cast<int>(plotX(nearestNm, relative) * kSize / 1000.0),
                              static_cast<int>(plotY(nearestNm, relative) * kSize / 1000.0));
        }
        defaultHost.frames(3);
    }
    for (int i = 0; i < 4; ++i) {
        windows[i]->savePng(dir + "default-" + kVariants[i].file);
        EXPECT_TRUE(near(windows[i]->pixelAtLogical(8.0, 500.0), kVariants[i].colours.background, 4));
    }
}

}  // namespace
