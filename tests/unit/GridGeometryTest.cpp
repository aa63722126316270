#include <gtest/gtest.h>

#include <cmath>

#include "views/GridGeometry.h"

namespace quillon {
namespace {

TEST(GridSweep, ScansFromTheCentreAndRestsTwoStepsAtEachEnd) {
    GridSweep sweep;  // the load state; the module-wide one is left alone
    sweep.advance(0.0);
    EXPECT_FLOAT_EQ(sweep.position, 0.0f) << "a clock still at its load value does not step";

    for (int step = 1; step <= 20; ++step) {
        sweep.advance(step * 0.5);
        EXPECT_FLOAT_EQ(sweep.position, 20.0f * step);
        EXPECT_FLOAT_EQ(sweep.direction, 1.0f);
    }
    sweep.advance(21 * 0.5);
    EXPECT_FLOAT_EQ(sweep.position, 400.0f);
    EXPECT_FLOAT_EQ(sweep.direction, -1.0f);
    GridSpan window = sweep.window();
    EXPECT_FLOAT_EQ(window.lo, 400.0f);
    EXPECT_FLOAT_EQ(window.hi, 420.0f);

    sweep.advance(22 * 0.5);
    EXPECT_FLOAT_EQ(sweep.position, 380.0f);
    window = sweep.window();
    EXPECT_FLOAT_EQ(window.lo, 380.0f);
    EXPECT_FLOAT_EQ(window.hi, 400.0f);

    // Across to the left end: 39 more steps to -400, the 40th turns there.
    for (int step = 23; step <= 61; ++step) sweep.advance(step * 0.5);
    EXPECT_FLOAT_EQ(sweep.position, -400.0f);
    EXPECT_FLOAT_EQ(sweep.direction, -1.0f);
    sweep.advance(62 * 0.5);
    EXPECT_FLOAT_EQ(sweep.position, -400.0f);
    EXPECT_FLOAT_EQ(sweep.direction, 1.0f);
    window = sweep.window();
    EXPECT_FLOAT_EQ(window.lo, -420.0f);
    EXPECT_FLOAT_EQ(window.hi, -400.0f);
}

TEST(GridSweep, FrozenClockHoldsTheSweep) {
    GridSweep sweep;
    sweep.advance(4.0);
    for (int call = 0; call < 5; ++call) sweep.advance(4.0);
    EXPECT_FLOAT_EQ(sweep.position, 20.0f);
    const GridSpan window = sweep.window();
    EXPECT_TRUE(window.contains(0.0f));
    EXPECT_TRUE(window.contains(20.0f));
    EXPECT_FALSE(window.contains(20.5f));
    // A clock stuck at NaN is a frozen clock too: one step into it, no more.
    for (int call = 0; call < 3; ++call) sweep.advance(std::nan(""));
    EXPECT_FLOAT_EQ(sweep.position, 40.0f);
}

TEST(GridBearing, RelativeBearingIsSignedAroundTheNose) {
    EXPECT_FLOAT_EQ(signedRelativeBearing(10.0f, 0.0), 10.0f);
    EXPECT_FLOAT_EQ(signedRelativeBearing(350.0f, 0.0), -10.0f);
    EXPECT_FLOAT_EQ(signedRelativeBearing(5.0f, 355.0), 10.0f);
    EXPECT_FLOAT_EQ(signedRelativeBearing(355.0f, 5.0), -10.0f);
    EXPECT_FLOAT_EQ(signedRelativeBearing(180.0f, 0.0), 180.0f);
    EXPECT_FLOAT_EQ(signedRelativeBearing(0.0f, 180.0), 180.0f) << "the half-turn counts as right";
    EXPECT_FLOAT_EQ(signedRelativeBearing(90.0f, 720.0 + 90.0), 0.0f);
    EXPECT_FLOAT_EQ(signedRelativeBearing(100.0f, -260.0), 0.0f);
}

TEST(GridBearing, SectorSpansTwentyDegreesEitherSideInclusive) {
    EXPECT_TRUE(insideGridSector(20.0f));
    EXPECT_TRUE(insideGridSector(-20.0f));
    EXPECT_TRUE(insideGridSector(0.0f));
    EXPECT_FALSE(insideGridSector(20.5f));
    EXPECT_FALSE(insideGridSector(-20.5f));
    EXPECT_FALSE(insideGridSector(180.0f));
}

TEST(GridPlot, BearingAcrossAltitudeDifferenceUpAndDown) {
    const PlotPosition ahead = gridPlotPosition(0.0f, 0.0, 0.0);
    EXPECT_FLOAT_EQ(ahead.x, 0.0f);
    EXPECT_FLOAT_EQ(ahead.y, 0.0f);

    const PlotPosition rightAbove = gridPlotPosition(10.0f, 0.0, 1000.0);
    EXPECT_FLOAT_EQ(rightAbove.x, 200.0f);
    EXPECT_FLOAT_EQ(rightAbove.y, -200.0f);

    const PlotPosition leftBelow = gridPlotPosition(-20.0f, 1000.0, 3280.8 - 2000.0);
    EXPECT_FLOAT_EQ(leftBelow.x, -400.0f);
    EXPECT_NEAR(leftBelow.y, 400.0f, 1e-3f);

    // Beyond the sector the point is still computed, not clamped.
    EXPECT_FLOAT_EQ(gridPlotPosition(20.5f, 0.0, 0.0).x, 410.0f);
    EXPECT_FLOAT_EQ(gridPlotPosition(-90.0f, 0.0, 0.0).x, -1800.0f);
}

TEST(GridPlot, AltitudeDifferenceIsClampedToTheEdges) {
    EXPECT_FLOAT_EQ(gridPlotPosition(0.0f, 0.0, 2500.0).y, -500.0f);
    EXPECT_FLOAT_EQ(gridPlotPosition(0.0f, 0.0, 40000.0).y, -500.0f);
    EXPECT_FLOAT_EQ(gridPlotPosition(0.0f, 0.0, -2500.0).y, 500.0f);
    EXPECT_FLOAT_EQ(gridPlotPosition(0.0f, 3000.0, 0.0).y, 500.0f);
    EXPECT_FLOAT_EQ(gridPlotPosition(0.0f, 0.0, 2400.0).y, -480.0f);
}

TEST(GridPlot, TrendLinePointsUpForAClimbAndDownForADescent) {
    EXPECT_FLOAT_EQ(trendLineEndY(-200.0f, 0.0), -200.0f);
    EXPECT_FLOAT_EQ(trendLineEndY(-200.0f, 1000.0), -250.0f);
    EXPECT_FLOAT_EQ(trendLineEndY(-200.0f, -1000.0), -150.0f);
    // An absurd climb or descent still leaves the grid the right way, but
    // stays within coordinates the rasteriser draws without folding.
    for (double absurd : {1e9, 1e300}) {
        EXPECT_LT(trendLineEndY(-200.0f, absurd), -500.0f);
        EXPECT_GT(trendLineEndY(-200.0f, absurd), -20000.0f);
        EXPECT_GT(trendLineEndY(-200.0f, -absurd), 500.0f);
        EXPECT_LT(trendLineEndY(-200.0f, -absurd), 20000.0f);
    }
}

}  // namespace
}  // namespace quillon
