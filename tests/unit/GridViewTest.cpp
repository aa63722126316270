#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/TestSurface.h"
#include "tests/support/ViewBench.h"
#include "views/GridGeometry.h"

namespace quillon {
namespace {

using testing::BenchHost;
using testing::TestSurface;
using testing::ViewBench;

constexpr float kUntouched = 12345.0f;
constexpr uint32_t kBackground = 0xff001400u;
constexpr uint32_t kDim = 0xff008200u;
constexpr uint32_t kBright = 0xff00ff00u;

// The module-wide sweep is shared by every gauge; each test starts it from
// a state of its own so that no test depends on another's calls.
void startSweep(float position, float direction, double lastTime) {
    gridSweep() = GridSweep{position, direction, lastTime};
}

class GridView : public ::testing::Test {
protected:
    GridView() : host(4) {}
    void SetUp() override {
        gauge = std::make_unique<ViewBench>();
        ASSERT_EQ(gauge->count(), 5);
        for (int i = 1; i <= 4; ++i) {
            gauge->placeNorth(i, 10.0, 0.0);
            gauge->setPlotEntry(i, kUntouched, kUntouched);
        }
        startSweep(-300.0f, 1.0f, 1.0);  // far from the targets unless moved
    }
    void TearDown() override { gauge.reset(); }
    void draw() { gauge->gauge.drawGridView(); }

    BenchHost host;
    std::unique_ptr<ViewBench> gauge;
};

TEST_F(GridView, PlotsBearingAcrossAndAltitudeDifferenceUpAndDown) {
    gauge->placeAt(2, 10.0, 10.0, 1000.0 + 1000.0 * 3.2808);  // right, 1,000 ft above
    gauge->placeAt(3, -10.0, 5.0, 1000.0 * 3.2808 - 1500.0);  // left, 1,500 ft below
    gauge->placeAt(4, 0.0, 5.0, 1000.0 * 3.2808 + 9000.0);    // far above: on the top edge
    gauge->target(1).setPosition(10.0 / 60.0, 0.0, 1000.0 * 3.2808);
    host.set(1.0, 0.0, 1000.0);  // own altitude 1,000 m
    draw();

    EXPECT_NEAR(gauge->plotEntry(1).x, 0.0f, 1e-3f);
    EXPECT_NEAR(gauge->plotEntry(1).y, 0.0f, 1e-3f);
    EXPECT_NEAR(gauge->plotEntry(2).x, 200.0f, 0.05f);
    EXPECT_NEAR(gauge->plotEntry(2).y, -200.0f, 1e-3f);
    EXPECT_NEAR(gauge->plotEntry(3).x, -200.0f, 0.05f);
    EXPECT_NEAR(gauge->plotEntry(3).y, 300.0f, 1e-3f);
    EXPECT_FLOAT_EQ(gauge->plotEntry(4).y, -500.0f);
}

TEST_F(GridView, SectorEdgesAreDrawnAndBeyondIsStoredButNotDrawn) {
    // The target lies due north: the own heading alone sets its bearing.
    gauge->target(1).setAtcId("EDGE");
    gauge->select(1, "EDGE");
    struct Case { double heading; float x; bool drawn; };
    for (const Case& c : {Case{-20.0, 400.0f, true}, Case{20.0, -400.0f, true}, Case{-20.5, 410.0f, false},
                          Case{20.5, -410.0f, false}}) {
        host.set(1.0, c.heading);
        draw();
        EXPECT_FLOAT_EQ(gauge->plotEntry(1).x, c.x) << c.heading;
        EXPECT_EQ(gauge->gauge.selectedDrawn(), c.drawn ? 1 : 0) << c.heading;
    }
}

TEST_F(GridView, SelectionOutsideTheSectorLeavesTheBlockEmptyAndTheFieldsAlone) {
    gauge->target(3).setAtcId("QL42");
    gauge->placeNorth(3, 12.0, 0.0);
    gauge->select(9, "QL42");
    host.set(1.0, 0.0);
    draw();
    EXPECT_EQ(gauge->gauge.selectedDrawn(), 1);
    EXPECT_EQ(gauge->gauge.selectedIndex(), 3);
    const float distance = gauge->gauge.selectedDistanceNm();
    EXPECT_NEAR(distance, 12.0f, 0.1f);
    EXPECT_FLOAT_EQ(gauge->gauge.selectedBearingDeg(), 0.0f);

    host.set(2.0, 45.0);
    draw();
    EXPECT_EQ(gauge->gauge.selectedDrawn(), 0);
    EXPECT_EQ(gauge->gauge.selectedIndex(), 3);
    EXPECT_FLOAT_EQ(gauge->gauge.selectedDistanceNm(), distance);

    // Without a selection a matching id is not enough.
    gauge->select(kNoSelection, "QL42");
    host.set(3.0, 0.0);
    draw();
    EXPECT_EQ(gauge->gauge.selectedDrawn(), 0);
}

TEST_F(GridView, AircraftAt100FeetAboveGroundAreLeftOutEntirely) {
    gauge->placeNorth(1, 10.0, 0.0, 100);
    gauge->placeNorth(2, 10.0, 0.0, 101);
    gauge->target(1).setPaintTime(0.5);
    gauge->target(2).setPaintTime(0.5);
    host.set(5.0, 0.0);
    draw();
    EXPECT_EQ(gauge->plotEntry(1).x, kUntouched);
    EXPECT_DOUBLE_EQ(gauge->target(1).paintTime(), 0.5);
    EXPECT_FLOAT_EQ(gauge->plotEntry(2).x, 0.0f);
    EXPECT_DOUBLE_EQ(gauge->target(2).paintTime(), 0.0);
}

TEST_F(GridView, SweepRestsAtTheRightEndAndKeepsStampingThere) {
    startSweep(0.0f, 1.0f, 0.0);  // as loaded
    host.set(0.0, -20.0);         // the target due north sits on the right edge, x = 400
    draw();
    EXPECT_FLOAT_EQ(gridSweep().position, 0.0f);
    for (int step = 1; step <= 19; ++step) {
        host.set(step * 0.1, -20.0);
        draw();
    }
    EXPECT_DOUBLE_EQ(gauge->target(1).paintTime(), 0.0) << "not reached yet";
    host.set(2.0, -20.0);
    draw();
    EXPECT_FLOAT_EQ(gridSweep().position, 400.0f);
    EXPECT_DOUBLE_EQ(gauge->target(1).paintTime(), 2.0);
    host.set(2.1, -20.0);
    draw();
    EXPECT_FLOAT_EQ(gridSweep().position, 400.0f);
    EXPECT_FLOAT_EQ(gridSweep().direction, -1.0f);
    EXPECT_DOUBLE_EQ(gauge->target(1).paintTime(), 2.1) << "window [400, 420] at the turn";
    host.set(2.2, -20.0);
    draw();
    EXPECT_FLOAT_EQ(gridSweep().position, 380.0f);
    EXPECT_DOUBLE_EQ(gauge->target(1).paintTime(), 2.2) << "window [380, 400] on the way back";
    host.set(2.3, -20.0);
    draw();
    EXPECT_DOUBLE_EQ(gauge->target(1).paintTime(), 2.2);
}

TEST_F(GridView, FrozenClockKeepsTheSweptTargetBrightAndFadesTheRest) {
    startSweep(-20.0f, 1.0f, 0.0);
    host.set(3.0, 0.0);  // steps to 0: window [-20, 0] holds the target ahead
    gauge->placeNorth(2, 10.0, 0.0);
    gauge->target(2).setPosition(10.0 / 60.0, 1.0 / 60.0, 0.0);  // some degrees right
    gauge->target(2).setPaintTime(2.5);
    draw();
    EXPECT_DOUBLE_EQ(gauge->target(1).paintTime(), 3.0);
    EXPECT_DOUBLE_EQ(gauge->target(2).paintTime(), 2.5);
    host.set(3.0, 0.0);
    draw();
    EXPECT_FLOAT_EQ(gridSweep().position, 0.0f);
    host.set(3.0, 0.0);
    gauge->target(2).setPaintTime(2.1);
    draw();
    EXPECT_DOUBLE_EQ(gauge->target(1).paintTime(), 3.0);
    EXPECT_DOUBLE_EQ(gauge->target(2).paintTime(), 0.0);
}

TEST_F(GridView, LooksUpHeadingAltitudeAndClockInThatOrder) {
    host.panel.clearCalls();
    host.set(1.0, 0.0);
    draw();
    // The own position follows, once per target.
    const std::vector<int32_t> tokens = host.panel.lookedUpTokens();
    ASSERT_GE(tokens.size(), 3u);
    EXPECT_EQ(std::vector<int32_t>(tokens.begin(), tokens.begin() + 3), (std::vector<int32_t>{86, 73, 604}));
    EXPECT_EQ(std::count(tokens.begin(), tokens.end(), 604), 1);
}

// What a user sees: the grid, the sweep line, crosses and trend lines.
TEST_F(GridView, PictureShowsGridSweepCrossesAndTrendLines) {
    TestSurface surface;
    surface.clear(kBackground);
    gauge->drawOn(surface.graphics());
    startSweep(-320.0f, 1.0f, 0.0);  // steps to -300
    gauge->placeAt(1, -5.0, 10.0, 500.0);   // (-100, -100), climbing
    gauge->target(1).setVerticalSpeed(1000.0);
    gauge->placeAt(2, 5.0, 10.0, -500.0);   // (100, 100), descending
    gauge->target(2).setVerticalSpeed(-1000.0);
    gauge->placeAt(3, 15.0, 10.0, 1500.0);  // (300, -300), level
    gauge->target(3).setVerticalSpeed(0.0);
    gauge->placeAt(4, -22.0, 10.0, 1500.0);  // (-440, -300): beyond the sector
    host.set(1.0, 0.0);
    draw();

    // Outer verticals solid over the full height; horizontals only across the grid.
    EXPECT_TRUE(surface.colourNear(100.0f, 20.0f, 1.5f, kDim));
    EXPECT_TRUE(surface.colourNear(900.0f, 980.0f, 1.5f, kDim));
    EXPECT_TRUE(surface.colourNear(150.0f, 500.0f, 1.5f, kDim));
    EXPECT_FALSE(surface.colourNear(60.0f, 500.0f, 3.0f, kDim));
    EXPECT_TRUE(surface.colourNear(300.0f, 20.0f, 4.0f, kDim)) << "inner dashed vertical";
    EXPECT_TRUE(surface.colourNear(150.0f, 700.0f, 4.0f, kDim)) << "dashed horizontal";

    // The sweep line at x = -300 from top to bottom.
    EXPECT_TRUE(surface.colourNear(200.0f, 30.0f, 1.5f, kBright));
    EXPECT_TRUE(surface.colourNear(200.0f, 970.0f, 1.5f, kBright));

    // Crosses (dim: not swept) with their trend lines: up 50, down 50, none.
    EXPECT_TRUE(surface.colourNear(400.0f, 392.0f, 1.5f, kDim));
    EXPECT_TRUE(surface.colourNear(400.0f, 360.0f, 1.5f, kDim)) << "climbing: line upwards";
    EXPECT_FALSE(surface.colourNear(400.0f, 440.0f, 3.0f, kDim));
    EXPECT_TRUE(surface.colourNear(600.0f, 640.0f, 1.5f, kDim)) << "descending: line downwards";
    EXPECT_FALSE(surface.colourNear(600.0f, 560.0f, 3.0f, kDim));
    EXPECT_TRUE(surface.colourNear(808.0f, 200.0f, 1.5f, kDim));
    EXPECT_FALSE(surface.colourNear(800.0f, 170.0f, 3.0f, kDim)) << "level: no line beyond the cross";
    EXPECT_FALSE(surface.colourNear(800.0f, 230.0f, 3.0f, kDim));
    EXPECT_FALSE(surface.colourNear(60.0f, 200.0f, 12.0f, kDim)) << "beyond 20 degrees nothing is drawn";
}

}  // namespace
}  // namespace quillon
