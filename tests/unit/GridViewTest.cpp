#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/TestSurface.h"
#include "tests/support/FakePanel.h"
#include "tests/support/ScriptedTraffic.h"
#include "tests/support/TargetPlacement.h"
#include "tests/support/ViewHarness.h"
#include "views/GridGeometry.h"
#include "module/PanelTableCalls.h"

namespace quillon {
namespace {

using testing::FakePanel;
using testing::ScriptedTraffic;
using testing::placeNorth;
using testing::placeTarget;
using testing::TestSurface;
using Gauge = testing::ViewHarness<RectangularGreenGauge>;

constexpr float kUntouched = 12345.0f;
constexpr uint32_t kBackground = 0xff001400u;
constexpr uint32_t kDim = 0xff008200u;
constexpr uint32_t kBright = 0xff00ff00u;

// The module-wide sweep is shared by every gauge; each test starts it from
// a state of its own so that no test depends on another's calls.
void startSweep(float position, float direction, double lastTime) {
    gridSweep() = GridSweep{position, direction, lastTime};
}

// The gauge draws on a test surface over 4 scripted aircraft after the own
// one, whose records the tests then set directly.
class GridView : public ::testing::Test {
protected:
    GridView() {
        for (host::ObjectId id = 100; id <= 100 + 4; ++id) traffic.add(id);
        panel.offerTrafficInfo(&traffic);
        panel.setClock(0.5);
        harness = std::make_unique<Gauge>(surface);
        harness->loadTraffic();
    }
    void SetUp() override {
        ASSERT_EQ(count(), 5);
        for (int i = 1; i <= 4; ++i) {
            placeNorth(target(i), 10.0, 0.0);
            harness->setPlotPosition(i, kUntouched, kUntouched);
        }
        startSweep(-300.0f, 1.0f, 1.0);
    }

    void set(double clock, double headingDeg, double ownAltitudeMetres = 0.0) {
        panel.setClock(clock);
        panel.setModuleVariable(host::kVarOwnHeading, headingDeg);
        panel.setModuleVariable(host::kVarOwnAltitudeMetres, ownAltitudeMetres);
    }
    RadarGauge& view() { return harness->gauge(); }
    TrafficTarget& target(int index) { return *harness->list().item(index); }
    const PlotPosition& plotEntry(int index) { return view().plotPosition(index); }
    int count() { return static_cast<int>(harness->list().count()); }
    void draw() { view().drawGridView(); }

    FakePanel panel;
    ScriptedTraffic traffic;
    TestSurface surface;
    std::unique_ptr<Gauge> harness;
};

TEST_F(GridView, PlotsBearingAcrossAndAltitudeDifferenceUpAndDown) {
    placeTarget(target(2), 10.0, 10.0, 1000.0 + 1000.0 * 3.2808);  // right, 1,000 ft above
    placeTarget(target(3), -10.0, 5.0, 1000.0 * 3.2808 - 1500.0);  // left, 1,500 ft below
    placeTarget(target(4), 0.0, 5.0, 1000.0 * 3.2808 + 9000.0);    // far above: on the top edge
    target(1).setPosition(10.0 / 60.0, 0.0, 1000.0 * 3.2808);
    set(1.0, 0.0, 1000.0);  // own altitude 1,000 m
    draw();

    EXPECT_NEAR(plotEntry(1).x, 0.0f, 1e-3f);
    EXPECT_NEAR(plotEntry(1).y, 0.0f, 1e-3f);
    EXPECT_NEAR(plotEntry(2).x, 200.0f, 0.05f);
    EXPECT_NEAR(plotEntry(2).y, -200.0f, 1e-3f);
    EXPECT_NEAR(plotEntry(3).x, -200.0f, 0.05f);
    EXPECT_NEAR(plotEntry(3).y, 300.0f, 1e-3f);
    EXPECT_FLOAT_EQ(plotEntry(4).y, -500.0f);
}

TEST_F(GridView, SectorEdgesAreDrawnAndBeyondIsStoredButNotDrawn) {
    // The target lies due north: the own heading alone sets its bearing.
    target(1).setAtcId("EDGE");
    harness->select(1, "EDGE");
    struct Case { double heading; float x; bool drawn; };
    for (const Case& c : {Case{-20.0, 400.0f, true}, Case{20.0, -400.0f, true}, Case{-20.5, 410.0f, false},
                          Case{20.5, -410.0f, false}}) {
        set(1.0, c.heading);
        draw();
        EXPECT_FLOAT_EQ(plotEntry(1).x, c.x) << c.heading;
        EXPECT_EQ(view().selectedDrawn(), c.drawn ? 1 : 0) << c.heading;
    }
}

TEST_F(GridView, SelectionOutsideTheSectorLeavesTheBlockEmptyAndTheFieldsAlone) {
    target(3).setAtcId("QL42");
    placeNorth(target(3), 12.0, 0.0);
    harness->select(9, "QL42");
    set(1.0, 0.0);
    draw();
    EXPECT_EQ(view().selectedDrawn(), 1);
    EXPECT_EQ(view().selectedIndex(), 3);
    const float distance = view().selectedDistanceNm();
    EXPECT_NEAR(distance, 12.0f, 0.1f);
    EXPECT_FLOAT_EQ(view().selectedBearingDeg(), 0.0f);

    set(2.0, 45.0);
    draw();
    EXPECT_EQ(view().selectedDrawn(), 0);
    EXPECT_EQ(view().selectedIndex(), 3);
    EXPECT_FLOAT_EQ(view().selectedDistanceNm(), distance);

    // Without a selection a matching id is not enough.
    harness->select(kNoSelection, "QL42");
    set(3.0, 0.0);
    draw();
    EXPECT_EQ(view().selectedDrawn(), 0);
}

TEST_F(GridView, AircraftAt100FeetAboveGroundAreLeftOutEntirely) {
    placeNorth(target(1), 10.0, 0.0, 100);
    placeNorth(target(2), 10.0, 0.0, 101);
    target(1).setPaintTime(0.5);
    target(2).setPaintTime(0.5);
    set(5.0, 0.0);
    draw();
    EXPECT_EQ(plotEntry(1).x, kUntouched);
    EXPECT_DOUBLE_EQ(target(1).paintTime(), 0.5);
    EXPECT_FLOAT_EQ(plotEntry(2).x, 0.0f);
    EXPECT_DOUBLE_EQ(target(2).paintTime(), 0.0);
}

TEST_F(GridView, SweepRestsAtTheRightEndAndKeepsStampingThere) {
    startSweep(0.0f, 1.0f, 0.0);  // as loaded
    set(0.0, -20.0);         // the target due north sits on the right edge, x = 400
    draw();
    EXPECT_FLOAT_EQ(gridSweep().position, 0.0f);
    for (int step = 1; step <= 19; ++step) {
        set(step * 0.1, -20.0);
        draw();
    }
    EXPECT_DOUBLE_EQ(target(1).paintTime(), 0.0) << "not reached yet";
    set(2.0, -20.0);
    draw();
    EXPECT_FLOAT_EQ(gridSweep().position, 400.0f);
    EXPECT_DOUBLE_EQ(target(1).paintTime(), 2.0);
    set(2.1, -20.0);
    draw();
    EXPECT_FLOAT_EQ(gridSweep().position, 400.0f);
    EXPECT_FLOAT_EQ(gridSweep().direction, -1.0f);
    EXPECT_DOUBLE_EQ(target(1).paintTime(), 2.1) << "window [400, 420] at the turn";
    set(2.2, -20.0);
    draw();
    EXPECT_FLOAT_EQ(gridSweep().position, 380.0f);
    EXPECT_DOUBLE_EQ(target(1).paintTime(), 2.2) << "window [380, 400] on the way back";
    set(2.3, -20.0);
    draw();
    EXPECT_DOUBLE_EQ(target(1).paintTime(), 2.2);
}

TEST_F(GridView, FrozenClockKeepsTheSweptTargetBrightAndFadesTheRest) {
    startSweep(-20.0f, 1.0f, 0.0);
    set(3.0, 0.0);  // steps to 0: window [-20, 0] holds the target ahead
    placeNorth(target(2), 10.0, 0.0);
    target(2).setPosition(10.0 / 60.0, 1.0 / 60.0, 0.0);  // some degrees right
    target(2).setPaintTime(2.5);
    draw();
    EXPECT_DOUBLE_EQ(target(1).paintTime(), 3.0);
    EXPECT_DOUBLE_EQ(target(2).paintTime(), 2.5);
    set(3.0, 0.0);
    draw();
    EXPECT_FLOAT_EQ(gridSweep().position, 0.0f);
    set(3.0, 0.0);
    target(2).setPaintTime(2.1);
    draw();
    EXPECT_DOUBLE_EQ(target(1).paintTime(), 3.0);
    EXPECT_DOUBLE_EQ(target(2).paintTime(), 0.0);
}

TEST_F(GridView, LooksUpHeadingAltitudeAndClockInThatOrder) {
    panel.clearCalls();
    set(1.0, 0.0);
    draw();
    // The own position follows, once per target.
    const std::vector<int32_t> tokens = panel.lookedUpTokens();
    ASSERT_GE(tokens.size(), 3u);
    EXPECT_EQ(std::vector<int32_t>(tokens.begin(), tokens.begin() + 3), (std::vector<int32_t>{86, 73, 604}));
    EXPECT_EQ(std::count(tokens.begin(), tokens.end(), 604), 1);
}

// What a user sees: the grid, the sweep line, crosses and trend lines.
TEST_F(GridView, PictureShowsGridSweepCrossesAndTrendLines) {
    harness->clearSurface();
    startSweep(-320.0f, 1.0f, 0.0);  // steps to -300
    placeTarget(target(1), -5.0, 10.0, 500.0);   // (-100, -100), climbing
    target(1).setVerticalSpeed(1000.0);
    placeTarget(target(2), 5.0, 10.0, -500.0);   // (100, 100), descending
    target(2).setVerticalSpeed(-1000.0);
    placeTarget(target(3), 15.0, 10.0, 1500.0);  // (300, -300), level
    target(3).setVerticalSpeed(0.0);
    placeTarget(target(4), -22.0, 10.0, 1500.0);  // (-440, -300): beyond the sector
    set(1.0, 0.0);
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
