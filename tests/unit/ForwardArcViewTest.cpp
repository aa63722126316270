#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/support/TestSurface.h"
#include "tests/support/FakePanel.h"
#include "tests/support/ScriptedTraffic.h"
#include "tests/support/TargetPlacement.h"
#include "tests/support/ViewHarness.h"
#include "traffic/OwnShip.h"
#include "module/PanelTableCalls.h"
#include "views/ForwardArcGeometry.h"

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
void startSweep(float angle, float direction, double lastTime) {
    forwardArcSweep() = ArcSweep{angle, direction, lastTime};
}

float distanceTo(const TrafficTarget& target) {
    float distanceNm = 0.0f;
    float reversed = 0.0f;
    greatCircle(ownPosition(modulePanelCalls()), target.position(), distanceNm, reversed);
    return distanceNm;
}

// The gauge draws on a test surface over 3 scripted aircraft after the own
// one, whose records the tests then set directly.
class ForwardArcView : public ::testing::Test {
protected:
    ForwardArcView() {
        for (host::ObjectId id = 100; id <= 100 + 3; ++id) traffic.add(id);
        panel.offerTrafficInfo(&traffic);
        panel.setClock(0.5);
        harness = std::make_unique<Gauge>(surface);
        harness->loadTraffic();
    }
    void SetUp() override {
        ASSERT_EQ(count(), 4);
        for (int i = 1; i <= 3; ++i) {
            placeNorth(target(i), 10.0, 3000.0);
            harness->setPlotPosition(i, kUntouched, kUntouched);
        }
        startSweep(-60.0f, -1.0f, 1.0);
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

    FakePanel panel;
    ScriptedTraffic traffic;
    TestSurface surface;
    std::unique_ptr<Gauge> harness;
};

TEST_F(ForwardArcView, DeadAheadAtHalfRangePlotsHalfwayUpTheOuterArc) {
    placeNorth(target(1), 20.0, 3000.0);
    set(1.0, 0.0);
    view().drawForwardArcView();

    const float distance = distanceTo(target(1));
    ASSERT_NEAR(distance, 20.0f, 0.1f);
    EXPECT_NEAR(plotEntry(1).x, 0.0f, 1e-3f);
    EXPECT_NEAR(plotEntry(1).y, -distance * 950.0f / 40.0f, 1e-2f);
    EXPECT_NEAR(plotEntry(1).y, -475.0f, 2.5f);
    }

TEST_F(ForwardArcView, SectorEdgesAreDrawnAndBearingsJustBeyondAreLeftAlone) {
    const float distance = distanceTo(target(1));
    const float radius = distance * 950.0f / 40.0f;
    // The target lies due north; the own heading turns it across the sector.
    struct Case { double heading; bool drawn; float x; };
    for (const Case& c : {Case{-60.0, true, radius * std::sin(60.0f * 3.14159265f / 180.0f)},
                          Case{60.0, true, -radius * std::sin(60.0f * 3.14159265f / 180.0f)},
                          Case{-61.0, false, 0.0f}, Case{61.0, false, 0.0f}}) {
        harness->setPlotPosition(1, kUntouched, kUntouched);
        set(1.0, c.heading);
        view().drawForwardArcView();
        if (c.drawn) {
            EXPECT_NEAR(plotEntry(1).x, c.x, 1e-2f) << c.heading;
            EXPECT_NEAR(plotEntry(1).y, -radius * 0.5f, 1e-2f) << c.heading;
        } else {
            EXPECT_EQ(plotEntry(1).x, kUntouched) << c.heading;
            EXPECT_EQ(plotEntry(1).y, kUntouched) << c.heading;
        }
    }
}

TEST_F(ForwardArcView, AircraftAt100FeetAboveGroundAreSkippedEntirely) {
    // Stamps long faded: anything that looks at them clears them.
    placeNorth(target(1), 10.0, 3000.0, 100);
    placeNorth(target(2), 10.0, 3000.0, 101);
    target(1).setPaintTime(2.0);
    target(2).setPaintTime(2.0);
    set(9.0, 0.0);
    view().drawForwardArcView();

    EXPECT_DOUBLE_EQ(target(1).paintTime(), 2.0);
    EXPECT_EQ(plotEntry(1).x, kUntouched);
    EXPECT_DOUBLE_EQ(target(2).paintTime(), 0.0);
    EXPECT_NEAR(plotEntry(2).y, -237.5f, 2.0f);
}

TEST_F(ForwardArcView, StampsInTheSweepWindowAndFadesEveryAircraftAboveTheGround) {
    // The next step goes from -95 to -90: relative bearings 355 to 360.
    startSweep(-95.0f, 1.0f, 4.0);
    set(5.0, 3.0);  // the target due north lies at relative bearing 357
    target(2).setPaintTime(4.1);
    target(2).setPosition(-10.0 / 60.0, 0.0, 3000.0);  // behind: outside the sector
    target(3).setPaintTime(4.5);
    target(3).setPosition(-10.0 / 60.0, 0.0, 3000.0);
    view().drawForwardArcView();

    EXPECT_FLOAT_EQ(forwardArcSweep().angle, -90.0f);
    EXPECT_DOUBLE_EQ(target(1).paintTime(), 5.0);
    EXPECT_DOUBLE_EQ(target(2).paintTime(), 0.0) << "faded even though outside the sector";
    EXPECT_DOUBLE_EQ(target(3).paintTime(), 4.5) << "0.5 old: still bright";
    EXPECT_EQ(plotEntry(2).x, kUntouched);

    // The clock frozen: the sweep stands and keeps restamping the same target.
    target(1).setPaintTime(1.0);
    view().drawForwardArcView();
    EXPECT_FLOAT_EQ(forwardArcSweep().angle, -90.0f);
    EXPECT_DOUBLE_EQ(target(1).paintTime(), 5.0);
}

TEST_F(ForwardArcView, FirstCallFromLoadStateStampsJustBeyondTheRightEdge) {
    startSweep(0.0f, 1.0f, 0.0);
    set(2.0, -62.5);  // due north is now at relative bearing 62.5
    view().drawForwardArcView();

    EXPECT_FLOAT_EQ(forwardArcSweep().angle, -30.0f);
    EXPECT_FLOAT_EQ(forwardArcSweep().direction, -1.0f);
    EXPECT_DOUBLE_EQ(target(1).paintTime(), 2.0);
    EXPECT_EQ(plotEntry(1).x, kUntouched) << "stamped but outside the sector";
}

TEST_F(ForwardArcView, OneSweepStepPerClockChangeWhicheverGaugeDraws) {
    TestSurface otherSurface;
    Gauge second(otherSurface);
    second.loadTraffic();
    set(2.0, 0.0);
    view().drawForwardArcView();
    second.gauge().drawForwardArcView();
    EXPECT_FLOAT_EQ(forwardArcSweep().angle, -65.0f);
    set(3.0, 0.0);
    second.gauge().drawForwardArcView();
    view().drawForwardArcView();
    EXPECT_FLOAT_EQ(forwardArcSweep().angle, -70.0f);
}

TEST_F(ForwardArcView, SelectedAircraftLeavingTheSectorKeepsItsFields) {
    target(2).setAtcId("N123QL");
    placeNorth(target(2), 15.0, 3000.0);
    harness->select(7, "N123QL");  // found again by ATC id, not by the old index
    set(1.0, 0.0);
    view().drawForwardArcView();

    EXPECT_EQ(view().selectedDrawn(), 1);
    EXPECT_EQ(view().selectedIndex(), 2);
    const float distance = view().selectedDistanceNm();
    EXPECT_NEAR(distance, 15.0f, 0.1f);
    EXPECT_FLOAT_EQ(view().selectedBearingDeg(), 0.0f);

    set(1.5, 90.0);  // the aircraft is now off the left wing
    view().drawForwardArcView();
    EXPECT_EQ(view().selectedDrawn(), 0);
    EXPECT_EQ(view().selectedIndex(), 2);
    EXPECT_FLOAT_EQ(view().selectedDistanceNm(), distance);
    EXPECT_FLOAT_EQ(view().selectedBearingDeg(), 0.0f);
}

TEST_F(ForwardArcView, LooksUpHeadingThenClockOncePerCall) {
    panel.clearCalls();
    set(1.0, 0.0);
    view().drawForwardArcView();
    // The own position follows, once per target.
    const std::vector<int32_t> tokens = panel.lookedUpTokens();
    ASSERT_GE(tokens.size(), 2u);
    EXPECT_EQ(std::vector<int32_t>(tokens.begin(), tokens.begin() + 2), (std::vector<int32_t>{86, 604}));
    EXPECT_EQ(std::count(tokens.begin(), tokens.end(), 86), 1);
}

// A call GDI+ refuses while the fixed part is drawn keeps its backdrop from
// being kept: it would be painted again in every frame.
TEST_F(ForwardArcView, FixedPartDrawsWithoutARefusedCall) {
    harness->clearSurface();
    const uint64_t failedBefore = render::failedGdiCalls();
    view().drawForwardArcView();
    EXPECT_EQ(render::failedGdiCalls(), failedBefore);
}

// What a user sees: arcs with their labels hanging inside their tops, the
// spokes, the sweep and a swept target dead ahead at half range.
TEST_F(ForwardArcView, PictureShowsLabelledArcsSweepAndTarget) {
    harness->clearSurface();
    placeNorth(target(1), 20.0, 3000.0);
    startSweep(-90.0f, 1.0f, 0.0);  // steps to -85: relative bearings 0 to 5
    set(1.0, 0.0);
    view().drawForwardArcView();

    // Labels 10, 20, 30, 40 centred on x = 500 with their tops at the arcs.
    for (float top : {737.5f, 500.0f, 262.5f, 25.0f}) {
        TestSurface::Bounds ink{};
        ASSERT_TRUE(surface.inkBounds(470.0f, top + 6.0f, 530.0f, top + 45.0f, kDim, ink)) << top;
        EXPECT_LT(ink.left, 492.0f) << top;
        EXPECT_GT(ink.right, 508.0f) << top;
        EXPECT_NEAR((ink.left + ink.right) / 2, 500.0f, 6.0f) << top;
        EXPECT_EQ(surface.countColour(470.0f, top - 30.0f, 497.0f, top - 4.0f, kDim), 0) << "nothing above " << top;
    }
    // The outer arc and the sector's edges: relative bearing 60 at full range
    // leaves the picture on the right; 200 units up the edge spokes run at
    // x = 500 +- 200 tan 60.
    EXPECT_TRUE(surface.colourNear(500.0f, 25.0f, 2.0f, kDim));
    EXPECT_TRUE(surface.colourNear(500.0f + 200.0f * 1.7320508f, 775.0f, 2.0f, kDim));
    EXPECT_TRUE(surface.colourNear(500.0f - 200.0f * 1.7320508f, 775.0f, 2.0f, kDim));
    EXPECT_FALSE(surface.colourNear(500.0f + 200.0f * 1.7320508f + 30.0f, 775.0f, 4.0f, kDim)) << "outside";

    // The sweep at -85 degrees and the swept (bright) target at (500, 500).
    const float sweepX = 500.0f + 400.0f * std::cos(-85.0f * 3.14159265f / 180.0f);
    const float sweepY = 975.0f + 400.0f * std::sin(-85.0f * 3.14159265f / 180.0f);
    EXPECT_TRUE(surface.colourNear(sweepX, sweepY, 2.0f, kBright));
    EXPECT_TRUE(surface.colourNear(493.0f, 500.0f, 1.5f, kBright));
    EXPECT_TRUE(surface.colourNear(500.0f, 508.0f, 1.5f, kBright));
}

}  // namespace
}  // namespace quillon
