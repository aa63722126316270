// The full-circle view of the four gauges through the stand-in host: a known
// scene with one aircraft selected by a click, checked on the saved pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "sim/Geodesy.h"
#include "sim/Host.h"
#include "sim/ScenarioLoader.h"
#include "tests/e2e/GaugePictures.h"

namespace {

using pictures::aircraftAt;
using pictures::countColour;
using pictures::kVariants;
using pictures::near;
using pictures::pictureDir;
using pictures::SchemeColours;
using pictures::Variant;

constexpr int kSize = 1000;
constexpr double kOwnHeading = 250.0;
constexpr double kScale = 475.0 / 40.0;  // logical units per nautical mile at the start-up range

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
        scene.traffic.push_back(aircraftAt(scene.own, kOwnHeading, "SEL1", 20.0, 45.0, kOwnHeading, 250.0));
        scene.traffic.push_back(aircraftAt(scene.own, kOwnHeading, "B2", 30.0, 200.0, kOwnHeading + 90.0, 300.0));
        scene.traffic.push_back(aircraftAt(scene.own, kOwnHeading, "C3", 10.0, 300.0, kOwnHeading + 180.0, 150.0));
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
        window.savePng(dir + "full-circle-" + variant.slug + ".png");
        SCOPED_TRACE(variant.name);
        const SchemeColours& c = variant.colours;

        // Cleared to the scheme's background outside the scope.
        EXPECT_TRUE(near(window.pixelAtLogical(8.0, 500.0), c.background, 4));
        // The solid outer ring in the dim colour, left and right.
        EXPECT_GT(countColour(window, 20.0, 495.0, 30.0, 505.0, c.dim), 0);
        EXPECT_GT(countColour(window, 970.0, 495.0, 980.0, 505.0, c.dim), 0);
        // Ring labels hang under the top of each ring, beside the spoke.
        for (double top : {381.25, 262.5, 143.75, 25.0}) pictures::expectRingLabelAt(window, top, c);
        // Every aircraft's cross where its distance and bearing put it.
        for (auto [distance, relative] : {std::pair{20.0, 45.0}, {30.0, 200.0}, {10.0, 300.0}}) {
            EXPECT_TRUE(pictures::crossAt(window, plotX(distance, relative), plotY(distance, relative), c))
                << "cross at " << distance << " NM, " << relative;
        }
        // The selected one is boxed: its left and bottom edges.
        EXPECT_TRUE(pictures::boxAround(window, selectedX, selectedY, c));
        // Its data block in the bright colour.
        pictures::expectDataBlockShown(window, variant);
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
        windows[i]->savePng(dir + "default-full-circle-" + kVariants[i].slug + ".png");
        EXPECT_TRUE(near(windows[i]->pixelAtLogical(8.0, 500.0), kVariants[i].colours.background, 4));
    }
}

}  // namespace
