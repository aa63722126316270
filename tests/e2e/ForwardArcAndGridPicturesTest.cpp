// The forward-arc and grid views of the four gauges through the stand-in
// host, on a freshly loaded module: a known scene with one aircraft selected
// by a click, checked on the saved pixels; and the default scene in both
// views, for looking at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "sim/Geodesy.h"
#include "sim/Host.h"
#include "sim/ScenarioLoader.h"
#include "tests/e2e/GaugePictures.h"

namespace {

using pictures::countColour;
using pictures::countTargetInk;
using pictures::crossAt;
using pictures::kVariants;
using pictures::SchemeColours;

constexpr int kSize = 1000;
constexpr double kOwnHeading = 250.0;
constexpr double kOwnAltitudeFt = 9000.0;
constexpr double kArcScale = 950.0 / 40.0;  // logical units per nautical mile at the start-up range

double radians(double degrees) { return degrees * sim::kPi / 180.0; }

// Where each view plots an aircraft, in the logical space.
struct Point {
    double x;
    double y;
};
Point arcPoint(double distanceNm, double relativeDeg) {
    return {500.0 + distanceNm * kArcScale * std::sin(radians(relativeDeg)),
            975.0 - distanceNm * kArcScale * std::cos(radians(relativeDeg))};
}
// The host hands the own altitude over in metres; the view turns it back
// into feet with its own factor.
Point gridPoint(double relativeDeg, double ownAltitudeFt, double altitudeFt) {
    const double ownFeet = ownAltitudeFt * sim::kMetresPerFoot * 3.2808;
    const double y = std::clamp((ownFeet - altitudeFt) * 0.2, -500.0, 500.0);
    return {500.0 + 20.0 * relativeDeg, 500.0 + y};
}

// Both views start from their load state, so a test needs a module of its
// own; every step of a sweep is one frame drawn in that view.
class ForwardArcAndGridPictures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host_.loaded()) << host_.error();
        sim::Scenario scene;
        scene.name = "forward arc and grid check";
        scene.own.atcId = "OWN";
        scene.own.latitudeDeg = 50.0;
        scene.own.longitudeDeg = 8.5;
        scene.own.altitudeFt = kOwnAltitudeFt;
        scene.own.headingTrueDeg = kOwnHeading;
        // The own aircraft stands still; the others move less than two
        // logical units in the few seconds of the test.
        add(scene, "SEL1", 18.0, 15.0, 10500.0, 1000.0);   // ahead right, 1,500 ft above, climbing
        add(scene, "B2", 28.0, -7.5, 8500.0, -1000.0);     // ahead left, 500 ft below, descending
        add(scene, "C3", 10.0, -50.0, 9000.0, 0.0);        // in the arc, beyond the grid
        add(scene, "D4", 15.0, 90.0, 9000.0, 0.0);         // abeam: in neither
        add(scene, "LOW", 15.0, -12.0, 8950.0, 0.0);       // 50 ft above a mountain: in neither
        scene.traffic.back().groundElevationFt = 8900.0;
        host_.setScenario(scene);
    }

    static void add(sim::Scenario& scene, const std::string& atcId, double distanceNm, double relativeDeg,
                    double altitudeFt, double verticalSpeedFpm) {
        sim::Aircraft aircraft =
            pictures::aircraftAt(scene.own, kOwnHeading, atcId, distanceNm, relativeDeg, kOwnHeading, 20.0);
        aircraft.altitudeFt = altitudeFt;
        aircraft.verticalSpeedFpm = verticalSpeedFpm;
        scene.traffic.push_back(aircraft);
    }

    // Opens the four gauges, switches them to the mode after the first
    // frame (which writes the start-up mode), draws `frames` frames in it,
    // clicks at the point and draws three more.
    void showAndSelect(double mode, int frames, double clickX, double clickY) {
        for (int i = 0; i < 4; ++i) windows_[i] = &host_.openWindow(kVariants[i].name, kSize, kSize);
        host_.frame();
        host_.setNamed("Radar Mode", mode);
        host_.frames(frames);
        for (sim::Window* window : windows_) EXPECT_EQ(pictures::clickAt(host_, *window, clickX, clickY), 1);
        host_.frames(3);
    }

    double altitudeOf(const std::string& atcId) {
        for (const sim::Aircraft& aircraft : host_.traffic().scenario().traffic)
            if (aircraft.atcId == atcId) return aircraft.altitudeFt;
        ADD_FAILURE() << "no aircraft " << atcId;
        return 0.0;
    }

    sim::Host host_{QUILLON_MODULE_PATH};
    sim::Window* windows_[4] = {};
};

TEST_F(ForwardArcAndGridPictures, ForwardArcShowsTheSectorAheadWithTheSelectedAircraft) {
    const Point selected = arcPoint(18.0, 15.0);
    showAndSelect(3.0, 20, selected.x, selected.y);

    const std::string dir = pictures::pictureDir();
    for (int i = 0; i < 4; ++i) {
        const sim::Window& window = *windows_[i];
        window.savePng(dir + "forward-arc-" + kVariants[i].slug + ".png");
        SCOPED_TRACE(kVariants[i].name);
        const SchemeColours& c = kVariants[i].colours;

        // Nothing below the own aircraft; the outer arc over the top.
        EXPECT_TRUE(pictures::near(window.pixelAtLogical(250.0, 990.0), c.background, 4));
        EXPECT_GT(countColour(window, 495.0, 22.0, 505.0, 28.0, c.dim), 0);
        for (double top : {737.5, 500.0, 262.5, 25.0}) pictures::expectRingLabelAt(window, top, c);
        // The edges of the sector 200 units up, and nothing beyond them.
        const double edge = 200.0 * std::tan(radians(60.0));
        EXPECT_GT(countColour(window, 500.0 + edge - 3.0, 773.0, 500.0 + edge + 3.0, 777.0, c.dim), 0);
        EXPECT_GT(countColour(window, 500.0 - edge - 3.0, 773.0, 500.0 - edge + 3.0, 777.0, c.dim), 0);
        EXPECT_EQ(countTargetInk(window, 900.0, 800.0, 1000.0, 940.0, c), 0);  // below the right edge

        // 23 steps from the right edge, 5 degrees each: the line at -140.
        const Point sweep{500.0 + 500.0 * std::cos(radians(-140.0)), 975.0 + 500.0 * std::sin(radians(-140.0))};
        EXPECT_GT(countColour(window, sweep.x - 2.0, sweep.y - 2.0, sweep.x + 2.0, sweep.y + 2.0, c.bright), 0);

        for (auto [distance, relative] : {std::pair{18.0, 15.0}, {28.0, -7.5}, {10.0, -50.0}}) {
            const Point at = arcPoint(distance, relative);
            EXPECT_TRUE(crossAt(window, at.x, at.y, c)) << distance << " NM at " << relative;
        }
        const Point low = arcPoint(15.0, -12.0);
        EXPECT_EQ(countTargetInk(window, low.x - 12.0, low.y - 12.0, low.x + 12.0, low.y + 12.0, c), 0);
        EXPECT_TRUE(pictures::boxAround(window, selected.x, selected.y, c));
        pictures::expectDataBlockShown(window, kVariants[i]);
    }
}

TEST_F(ForwardArcAndGridPictures, GridShowsTheProfileAheadWithTrendLinesAndTheSelectedAircraft) {
    const Point selected = gridPoint(15.0, kOwnAltitudeFt, 10500.0);
    showAndSelect(4.0, 20, selected.x, selected.y);

    const std::string dir = pictures::pictureDir();
    for (int i = 0; i < 4; ++i) {
        const sim::Window& window = *windows_[i];
        window.savePng(dir + "grid-" + kVariants[i].slug + ".png");
        SCOPED_TRACE(kVariants[i].name);
        const SchemeColours& c = kVariants[i].colours;

        // Outer verticals over the full height, the own-altitude line only
        // across the grid.
        EXPECT_GT(countColour(window, 98.0, 140.0, 102.0, 160.0, c.dim), 0);
        EXPECT_GT(countColour(window, 898.0, 840.0, 902.0, 860.0, c.dim), 0);
        EXPECT_GT(countColour(window, 140.0, 498.0, 160.0, 502.0, c.dim), 0);
        EXPECT_TRUE(pictures::near(window.pixelAtLogical(50.0, 500.0), c.background, 4));

        // 20 steps to the right end, a turn resting there, two steps back:
        // the line at x = 360.
        EXPECT_GT(countColour(window, 858.0, 440.0, 862.0, 460.0, c.bright), 0);

        // The two have climbed and descended a little since the scene began;
        // the gauge's list may be up to a second older than the host's state.
        const Point climbing = gridPoint(15.0, kOwnAltitudeFt, altitudeOf("SEL1"));
        const Point descending = gridPoint(-7.5, kOwnAltitudeFt, altitudeOf("B2"));
        EXPECT_TRUE(crossAt(window, climbing.x, climbing.y, c, 5.0));
        EXPECT_TRUE(crossAt(window, descending.x, descending.y, c, 5.0));
        // Trend lines: 50 units up for the climb, 50 down for the descent.
        EXPECT_GT(countTargetInk(window, climbing.x - 2.0, climbing.y - 45.0, climbing.x + 2.0, climbing.y - 30.0, c), 0);
        EXPECT_EQ(countTargetInk(window, climbing.x - 2.0, climbing.y + 30.0, climbing.x + 2.0, climbing.y + 45.0, c), 0);
        EXPECT_GT(countTargetInk(window, descending.x - 2.0, descending.y + 30.0, descending.x + 2.0,
                                 descending.y + 45.0, c),
                  0);
        EXPECT_EQ(countTargetInk(window, descending.x - 2.0, descending.y - 45.0, descending.x + 2.0,
                                 descending.y - 30.0, c),
                  0);
        // Too low to show, though inside the sector.
        const Point low = gridPoint(-12.0, kOwnAltitudeFt, 8950.0);
        EXPECT_FALSE(crossAt(window, low.x, low.y, c));
        EXPECT_TRUE(pictures::boxAround(window, selected.x, selected.y, c));
        pictures::expectDataBlockShown(window, kVariants[i]);
    }
}

// The built-in scene as a user first sees it in the two views, with the
// nearest aircraft that each view shows selected.
TEST_F(ForwardArcAndGridPictures, DefaultScenarioPictures) {
    host_.setScenario(sim::defaultScenario());
    for (int i = 0; i < 4; ++i) windows_[i] = &host_.openWindow(kVariants[i].name, kSize, kSize);
    host_.frame();

    const std::string dir = pictures::pictureDir();
    for (auto [mode, name] : {std::pair{3.0, "forward-arc"}, {4.0, "grid"}}) {
        host_.setNamed("Radar Mode", mode);
        host_.frames(30);
        const sim::Aircraft& own = host_.traffic().own();
        const double heading = host_.moduleVariable(host::kVarOwnHeading);
        double nearestNm = 40.0;
        Point nearest{-1.0, -1.0};
        for (const sim::Aircraft& aircraft : host_.traffic().scenario().traffic) {
            const double nm = host_.traffic().distanceFromOwnMetres(aircraft) / sim::kMetresPerNauticalMile;
            double relative = sim::initialCourseDeg({own.latitudeDeg, own.longitudeDeg},
                                                    {aircraft.latitudeDeg, aircraft.longitudeDeg}) -
                              heading;
            relative = std::remainder(relative, 360.0);
            const bool shown = aircraft.heightAboveGroundFt() > 100.0 &&
                               (mode == 3.0 ? std::abs(relative) <= 60.0 : std::abs(relative) <= 20.0);
            if (!shown || nm >= nearestNm) continue;
            nearestNm = nm;
            nearest = mode == 3.0 ? arcPoint(nm, relative) : gridPoint(relative, own.altitudeFt, aircraft.altitudeFt);
        }
        if (nearest.x >= 0.0) {
            for (sim::Window* window : windows_) pictures::clickAt(host_, *window, nearest.x, nearest.y);
            host_.frames(3);
        }
        for (int i = 0; i < 4; ++i) {
            windows_[i]->savePng(dir + "default-" + name + "-" + kVariants[i].slug + ".png");
            EXPECT_TRUE(pictures::near(windows_[i]->pixelAtLogical(50.0, 500.0), kVariants[i].colours.background, 4))
                << name;
        }
    }
}

}  // namespace
