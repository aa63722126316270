#include <gtest/gtest.h>

#include <vector>

#include "views/ForwardArcGeometry.h"

namespace quillon {
namespace {

// Each test owns its sweep: the module-wide one is shared by every gauge.
ArcSweep sweepAt(float angle, float direction) {
    ArcSweep sweep;
    sweep.angle = angle;
    sweep.direction = direction;
    sweep.lastTime = 1.0;
    return sweep;
}

TEST(ForwardArcSweep, FirstCallFromLoadStatePutsTheSweepOnTheRightEdgeMovingLeft) {
    for (double clock : {0.0, 3.5}) {  // unchanged and changed clock
        ArcSweep sweep;
        sweep.advance(clock);
        EXPECT_FLOAT_EQ(sweep.angle, -30.0f) << clock;
        EXPECT_FLOAT_EQ(sweep.direction, -1.0f) << clock;
        const SweepWindow window = sweep.window();
        EXPECT_FLOAT_EQ(window.lo, 60.0f);
        EXPECT_FLOAT_EQ(window.hi, 65.0f);
    }
}

TEST(ForwardArcSweep, WindowIsTheSpanOfTheLastStepInRelativeBearings) {
    const SweepWindow beforeNose = sweepAt(-90.0f, 1.0f).window();
    EXPECT_FLOAT_EQ(beforeNose.lo, 355.0f);
    EXPECT_FLOAT_EQ(beforeNose.hi, 360.0f);

    const SweepWindow pastNose = sweepAt(-85.0f, 1.0f).window();
    EXPECT_FLOAT_EQ(pastNose.lo, 0.0f);
    EXPECT_FLOAT_EQ(pastNose.hi, 5.0f);

    const SweepWindow movingLeft = sweepAt(-60.0f, -1.0f).window();
    EXPECT_FLOAT_EQ(movingLeft.lo, 30.0f);
    EXPECT_FLOAT_EQ(movingLeft.hi, 35.0f);
}

TEST(ForwardArcSweep, WindowIncludesBothEnds) {
    const SweepWindow window = sweepAt(-85.0f, 1.0f).window();
    EXPECT_TRUE(window.contains(0.0f));
    EXPECT_TRUE(window.contains(5.0f));
    EXPECT_FALSE(window.contains(5.001f));
    EXPECT_FALSE(window.contains(359.999f));
}

TEST(ForwardArcSweep, TurnsAtTheLeftEdgeWithTheWindowJustInsideIt) {
    ArcSweep sweep = sweepAt(-150.0f, -1.0f);
    sweep.advance(2.0);
    EXPECT_FLOAT_EQ(sweep.angle, -150.0f);
    EXPECT_FLOAT_EQ(sweep.direction, 1.0f);
    const SweepWindow window = sweep.window();
    EXPECT_FLOAT_EQ(window.lo, 295.0f);
    EXPECT_FLOAT_EQ(window.hi, 300.0f);
}

TEST(ForwardArcSweep, FrozenClockHoldsTheSweep) {
    ArcSweep sweep = sweepAt(-90.0f, 1.0f);
    for (int call = 0; call < 5; ++call) sweep.advance(1.0);
    EXPECT_FLOAT_EQ(sweep.angle, -90.0f);
    EXPECT_FLOAT_EQ(sweep.direction, 1.0f);
}

TEST(ForwardArcSweep, SwingsEdgeToEdgeRestingTwoStepsAtEachAndRepeatsEvery50Steps) {
    ArcSweep sweep;
    sweep.advance(0.0);  // load state onto the right edge
    const ArcSweep start = sweep;
    std::vector<float> angles;
    for (int step = 1; step <= 100; ++step) {
        sweep.advance(static_cast<double>(step));
        ASSERT_GE(sweep.angle, -150.0f);
        ASSERT_LE(sweep.angle, -30.0f);
        angles.push_back(sweep.angle);
        if (step % 50 == 0) {
            EXPECT_FLOAT_EQ(sweep.angle, start.angle) << step;
            EXPECT_FLOAT_EQ(sweep.direction, start.direction) << step;
        } else if (step < 50) {
            EXPECT_FALSE(sweep.angle == start.angle && sweep.direction == start.direction) << step;
        }
    }
    // Steps 24 and 25 stand on the left edge, 49 and 50 on the right one.
    EXPECT_FLOAT_EQ(angles[22], -145.0f);
    EXPECT_FLOAT_EQ(angles[23], -150.0f);
    EXPECT_FLOAT_EQ(angles[24], -150.0f);
    EXPECT_FLOAT_EQ(angles[25], -145.0f);
    EXPECT_FLOAT_EQ(angles[47], -35.0f);
    EXPECT_FLOAT_EQ(angles[48], -30.0f);
    EXPECT_FLOAT_EQ(angles[49], -30.0f);
    EXPECT_FLOAT_EQ(angles[50], -35.0f);
}

TEST(ForwardArcFilters, SectorIncludesItsLimitsOnly) {
    EXPECT_TRUE(insideForwardSector(60.0f));
    EXPECT_TRUE(insideForwardSector(300.0f));
    EXPECT_TRUE(insideForwardSector(0.0f));
    EXPECT_TRUE(insideForwardSector(359.5f));
    EXPECT_FALSE(insideForwardSector(61.0f));
    EXPECT_FALSE(insideForwardSector(299.0f));
    EXPECT_FALSE(insideForwardSector(180.0f));
}

TEST(ForwardArcFilters, OnlyAircraftMoreThan100FeetUpAreShown) {
    EXPECT_FALSE(highEnoughToShow(100));
    EXPECT_FALSE(highEnoughToShow(-5));
    EXPECT_TRUE(highEnoughToShow(101));
}

}  // namespace
}  // namespace quillon
