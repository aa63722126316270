#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "gauge/RadarGauge.h"
#include "module/PanelTableCalls.h"
#include "render/ColourScheme.h"
#include "render/GdiPlusTypes.h"
#include "sim/GdiPlusSessionLayer.h"
#include "tests/support/TestSurface.h"
#include "traffic/TrafficTarget.h"
#include "views/FullCircleSweep.h"
#include "views/RingLabels.h"
#include "views/TargetProcedure.h"

namespace quillon {
namespace {

using testing::TestSurface;

constexpr uint32_t kBackground = 0xff001400u;
constexpr uint32_t kDim = 0xff008200u;
constexpr uint32_t kBright = 0xff00ff00u;

TEST(TargetBearings, TrueBearingFromReversedRadians) {
    EXPECT_FLOAT_EQ(trueBearingDegrees(0.0f), 0.0f);
    EXPECT_NEAR(trueBearingDegrees(-1.5707964f), 90.0f, 1e-3f);
    EXPECT_NEAR(trueBearingDegrees(1.5707964f), 270.0f, 1e-3f);
    EXPECT_NEAR(trueBearingDegrees(3.1415927f), 180.0f, 1e-3f);
    // A hair west of north reads exactly 360 with the host's constants.
    EXPECT_EQ(trueBearingDegrees(1e-7f), 360.0f);
}

TEST(TargetBearings, RelativeBearingWrapsIntoOneTurn) {
    EXPECT_FLOAT_EQ(relativeBearingDegrees(10.0f, 350.0), 20.0f);
    EXPECT_FLOAT_EQ(relativeBearingDegrees(350.0f, 10.0), 340.0f);
    EXPECT_FLOAT_EQ(relativeBearingDegrees(90.0f, -270.0), 0.0f);
    EXPECT_FLOAT_EQ(relativeBearingDegrees(45.0f, 765.0), 0.0f);
    EXPECT_FLOAT_EQ(relativeBearingDegrees(0.0f, 0.0), 0.0f);
}

TEST(FullCircleSweepWindow, CoversTheFiveDegreesEndingAtTheLine) {
    const SweepWindow start = fullCircleSweepWindow(0.0f);
    EXPECT_FLOAT_EQ(start.lo, 85.0f);
    EXPECT_FLOAT_EQ(start.hi, 90.0f);
    const SweepWindow down = fullCircleSweepWindow(90.0f);
    EXPECT_FLOAT_EQ(down.lo, 175.0f);
    EXPECT_FLOAT_EQ(down.hi, 180.0f);
    EXPECT_TRUE(down.contains(175.0f));
    EXPECT_TRUE(down.contains(180.0f));
    EXPECT_FALSE(down.contains(174.9f));
    EXPECT_FALSE(down.contains(180.1f));
    // Across north the window runs up to 360 rather than wrapping to 0.
    const SweepWindow acrossNorth = fullCircleSweepWindow(270.0f);
    EXPECT_FLOAT_EQ(acrossNorth.lo, 355.0f);
    EXPECT_FLOAT_EQ(acrossNorth.hi, 360.0f);
    const SweepWindow pastNorth = fullCircleSweepWindow(275.0f);
    EXPECT_FLOAT_EQ(pastNorth.lo, 0.0f);
    EXPECT_FLOAT_EQ(pastNorth.hi, 5.0f);
}

TEST(FullCircleSweepStep, TurnsFiveDegreesPerClockChangeOnly) {
    testing::ensureGdiplusStarted();
    render::Matrix matrix;
    FullCircleSweep sweep;
    for (int step = 1; step <= 18; ++step) {
        stepFullCircleSweep(sweep, step * 0.25, matrix);
        stepFullCircleSweep(sweep, step * 0.25, matrix);  // same clock: no step
    }
    EXPECT_FLOAT_EQ(sweep.angle, 90.0f);
    EXPECT_NEAR(sweep.tip.X, 0.0f, 0.01f);
    EXPECT_NEAR(sweep.tip.Y, 475.0f, 0.01f);  // straight down
    EXPECT_EQ(sweep.lastTime, 18 * 0.25);

    for (int step = 19; step <= 72; ++step) stepFullCircleSweep(sweep, step * 0.25, matrix);
    EXPECT_FLOAT_EQ(sweep.angle, 0.0f);
    EXPECT_NEAR(sweep.tip.X, 475.0f, 0.05f);
    EXPECT_NEAR(sweep.tip.Y, 0.0f, 0.05f);
}

TEST(FullCircleSweepStep, AFrozenClockAtStartDoesNotMoveTheSweep) {
    testing::ensureGdiplusStarted();
    render::Matrix matrix;
    FullCircleSweep sweep;
    stepFullCircleSweep(sweep, 0.0, matrix);
    EXPECT_FLOAT_EQ(sweep.angle, 0.0f);
    EXPECT_FLOAT_EQ(sweep.tip.X, 475.0f);
    // A clock stuck at NaN is a frozen clock too: one step into it, no more.
    for (int call = 0; call < 3; ++call) stepFullCircleSweep(sweep, std::nan(""), matrix);
    EXPECT_FLOAT_EQ(sweep.angle, 5.0f);
}

// A target procedure drawing on a test surface with the view origin at the
// centre, as the full-circle view has it.
class TargetProcedureOnSurface : public ::testing::Test {
protected:
    TargetProcedureOnSurface()
        : dimBrush_(kDim), brightBrush_(kBright), dimPen_(dimBrush_, 2.0f, gdip::kUnitWorld),
          brightPen_(brightBrush_, 2.0f, gdip::kUnitWorld) {
        surface_.clear(kBackground);
        surface_.graphics().translateWorldTransform(500.0f, 500.0f);
        std::strcpy(selectedAtcId_, "N123");
    }

    TargetProcedure procedure(double now = 10.0, double heading = 0.0, SweepWindow window = {85.0f, 90.0f}) {
        const TargetFrame frame{&modulePanelCalls(), now, heading, 475.0f / 40.0f, window};
        const ViewRecords records{plots_, &selectedIndex_, selectedAtcId_, &selectedDrawn_, &selectedDistance_,
                                    &selectedBearing_};
        return TargetProcedure(surface_.graphics(), TargetPens{&dimPen_, &brightPen_}, records, frame,
                               targetMatrix_, vectorMatrix_);
    }

    static TrafficTarget aircraft(const char* atcId, double heading = 0.0, double groundSpeed = 0.0) {
        TrafficTarget target;
        target.setAtcId(atcId);
        target.setHeading(heading);
        target.setGroundSpeed(groundSpeed);
        return target;
    }

    TestSurface surface_;
    render::SolidBrush dimBrush_;
    render::SolidBrush brightBrush_;
    render::Pen dimPen_;
    render::Pen brightPen_;
    render::Matrix targetMatrix_;
    render::Matrix vectorMatrix_;
    PlotPosition plots_[TrafficList::kSlots] = {};
    int32_t selectedIndex_ = kNoSelection;
    char selectedAtcId_[kAtcIdCapacity] = {};
    int32_t selectedDrawn_ = 0;
    float selectedDistance_ = 0.0f;
    float selectedBearing_ = 0.0f;
};

TEST_F(TargetProcedureOnSurface, PlotsByDistanceAndRelativeBearing) {
    TargetProcedure run = procedure();
    const TrafficTarget target = aircraft("X");
    run.plot(1, target, TargetFix{20.0f, 0.0f, 0.0f}, dimPen_);
    EXPECT_NEAR(plots_[1].x, 0.0f, 1e-3f);
    EXPECT_NEAR(plots_[1].y, -237.5f, 1e-3f);
    run.plot(2, target, TargetFix{40.0f, 90.0f, 90.0f}, dimPen_);
    EXPECT_NEAR(plots_[2].x, 475.0f, 1e-3f);
    EXPECT_NEAR(plots_[2].y, 0.0f, 1e-3f);
    run.plot(3, target, TargetFix{0.0f, 0.0f, 0.0f}, dimPen_);
    EXPECT_FLOAT_EQ(plots_[3].x, 0.0f);
    EXPECT_FLOAT_EQ(plots_[3].y, 0.0f);
    run.plot(4, target, TargetFix{40.0f, 225.0f, 225.0f}, dimPen_);
    EXPECT_NEAR(plots_[4].x, -335.88f, 0.01f);
    EXPECT_NEAR(plots_[4].y, 335.88f, 0.01f);
}

// A target whose matrix call failed is plotted where it is all the same, so
// that a click meant for it finds it (the matrix holds another target's turn).
TEST_F(TargetProcedureOnSurface, APlotWhoseMatrixCallFailedLandsWhereItWouldHave) {
    namespace layer = sim::gdiplus_layer;
    TargetProcedure run = procedure();
    const TrafficTarget target = aircraft("X");
    for (const char* function : {"GdipSetMatrixElements", "GdipRotateMatrix", "GdipTransformMatrixPoints"}) {
        run.plot(1, target, TargetFix{40.0f, 225.0f, 225.0f}, dimPen_);
        layer::startCounting(layer::FaultPlan{1, layer::kStatusOutOfMemory, false, function});
        run.plot(2, target, TargetFix{20.0f, 30.0f, 30.0f}, dimPen_);
        layer::stopCounting();
        run.plot(3, target, TargetFix{20.0f, 30.0f, 30.0f}, dimPen_);
        EXPECT_NEAR(plots_[2].x, plots_[3].x, 1e-3f) << function;
        EXPECT_NEAR(plots_[2].y, plots_[3].y, 1e-3f) << function;
    }
}

TEST_F(TargetProcedureOnSurface, CrossAndVectorAlongTheOwnHeading) {
    // Dead ahead at half range, same heading as the own aircraft, 250 knots.
    procedure(10.0, 30.0).plot(1, aircraft("X", 30.0, 250.0), TargetFix{20.0f, 30.0f, 0.0f}, brightPen_);
    // Cross: arms of 10 around (500, 262.5).
    EXPECT_TRUE(surface_.colourNear(500.0f, 271.0f, 1.5f, kBright));
    EXPECT_TRUE(surface_.colourNear(491.0f, 262.5f, 1.5f, kBright));
    EXPECT_TRUE(surface_.colourNear(509.0f, 262.5f, 1.5f, kBright));
    EXPECT_FALSE(surface_.colourNear(515.0f, 262.5f, 2.0f, kBright));
    // Vector: 50 units straight up, no further.
    EXPECT_TRUE(surface_.colourNear(500.0f, 240.0f, 1.5f, kBright));
    EXPECT_TRUE(surface_.colourNear(500.0f, 214.0f, 1.5f, kBright));
    EXPECT_FALSE(surface_.colourNear(500.0f, 206.0f, 2.0f, kBright));
    // No box: nothing selected.
    EXPECT_FALSE(surface_.colourNear(475.0f, 262.5f, 2.0f, kBright));
}

TEST_F(TargetProcedureOnSurface, VectorTurnsWithTheTargetsRelativeHeading) {
    procedure(10.0, 30.0).plot(1, aircraft("X", 120.0, 250.0), TargetFix{20.0f, 30.0f, 0.0f}, dimPen_);
    const render::PointF end = procedure(10.0, 30.0).vectorEnd(render::PointF{0.0f, -237.5f}, 250.0, 120.0);
    EXPECT_NEAR(end.X, 50.0f, 1e-3f);
    EXPECT_NEAR(end.Y, -237.5f, 1e-3f);
    EXPECT_TRUE(surface_.colourNear(540.0f, 262.5f, 1.5f, kDim));
    EXPECT_FALSE(surface_.colourNear(500.0f, 230.0f, 2.0f, kDim));
    // Headings are not normalised: -270 relative is the same right turn.
    const render::PointF wrapped = procedure(10.0, 390.0).vectorEnd(render::PointF{0.0f, 0.0f}, 100.0, 120.0);
    EXPECT_NEAR(wrapped.X, 20.0f, 1e-3f);
    EXPECT_NEAR(wrapped.Y, 0.0f, 1e-3f);
}

TEST_F(TargetProcedureOnSurface, PaintStampsInTheWindowAndFadesAfterPersistence) {
    TrafficTarget target = aircraft("X");
    const double stamp = 10.0;
    // Inside the window: stamped and bright.
    EXPECT_EQ(&procedure(stamp).paint(target, 87.0f), &brightPen_);
    EXPECT_EQ(target.paintTime(), stamp);
    // Out of the window, still within persistence.
    EXPECT_EQ(&procedure(stamp + kPaintPersistence, 0.0, {0.0f, 5.0f}).paint(target, 87.0f), &brightPen_);
    EXPECT_EQ(target.paintTime(), stamp);
    // Past it: dim and the stamp is cleared.
    EXPECT_EQ(&procedure(stamp + 0.81, 0.0, {0.0f, 5.0f}).paint(target, 87.0f), &dimPen_);
    EXPECT_EQ(target.paintTime(), 0.0);
    // The host clock set back below a stamp: the stamp is faded at once.
    EXPECT_EQ(&procedure(stamp).paint(target, 87.0f), &brightPen_);
    EXPECT_EQ(&procedure(stamp - 3.0, 0.0, {0.0f, 5.0f}).paint(target, 87.0f), &dimPen_);
    EXPECT_EQ(target.paintTime(), 0.0);
}

TEST_F(TargetProcedureOnSurface, AFrozenClockKeepsRestampingTargetsInTheWindow) {
    TrafficTarget inside = aircraft("A");
    TrafficTarget outside = aircraft("B");
    for (int call = 0; call < 3; ++call) {
        EXPECT_EQ(&procedure(5.0).paint(inside, 90.0f), &brightPen_);
        EXPECT_EQ(&procedure(5.0).paint(outside, 200.0f), &dimPen_);
    }
    EXPECT_EQ(inside.paintTime(), 5.0);
    EXPECT_EQ(outside.paintTime(), 0.0);
}

TEST_F(TargetProcedureOnSurface, NeverStampedTargetIsDimOnceTheClockPassesPersistence) {
    TrafficTarget target = aircraft("X");
    EXPECT_EQ(&procedure(0.5, 0.0, {0.0f, 5.0f}).paint(target, 90.0f), &brightPen_);
    EXPECT_EQ(&procedure(0.81, 0.0, {0.0f, 5.0f}).paint(target, 90.0f), &dimPen_);
}

TEST_F(TargetProcedureOnSurface, SelectedAircraftFoundByAtcIdGetsBoxesAndTheLastIndexWins) {
    selectedIndex_ = 7;
    TargetProcedure run = procedure();
    run.plot(2, aircraft("N123"), TargetFix{20.0f, 10.0f, 0.0f}, brightPen_);
    run.plot(3, aircraft("N1234"), TargetFix{30.0f, 20.0f, 90.0f}, brightPen_);
    run.plot(5, aircraft("N123"), TargetFix{40.0f, 30.0f, 180.0f}, brightPen_);
    EXPECT_EQ(selectedDrawn_, 1);
    EXPECT_EQ(selectedIndex_, 5);
    EXPECT_FLOAT_EQ(selectedDistance_, 40.0f);
    EXPECT_FLOAT_EQ(selectedBearing_, 30.0f);
    // Boxes 50 x 50 around the two matching targets, none around the other.
    EXPECT_TRUE(surface_.colourNear(475.0f, 262.5f, 1.5f, kBright));   // left edge, index 2
    EXPECT_TRUE(surface_.colourNear(500.0f, 237.5f, 1.5f, kBright));   // top edge, index 2
    EXPECT_TRUE(surface_.colourNear(525.0f, 975.0f - 12.0f, 1.5f, kBright));  // right edge, index 5
    EXPECT_FALSE(surface_.colourNear(856.25f - 25.0f, 500.0f + 12.0f, 2.0f, kBright));  // index 3
}

TEST_F(TargetProcedureOnSurface, NoSelectionDrawsNoBoxEvenForAMatchingId) {
    selectedIndex_ = kNoSelection;
    procedure().plot(2, aircraft("N123"), TargetFix{20.0f, 10.0f, 0.0f}, brightPen_);
    EXPECT_EQ(selectedDrawn_, 0);
    EXPECT_EQ(selectedIndex_, kNoSelection);
    EXPECT_FALSE(surface_.colourNear(475.0f, 262.5f, 2.0f, kBright));
}

TEST_F(TargetProcedureOnSurface, MatchIsExactAndCaseSensitive) {
    selectedIndex_ = 1;
    TargetProcedure run = procedure();
    run.plot(2, aircraft("n123"), TargetFix{20.0f, 10.0f, 0.0f}, brightPen_);
    run.plot(3, aircraft("N12"), TargetFix{20.0f, 10.0f, 90.0f}, brightPen_);
    EXPECT_EQ(selectedDrawn_, 0);
    EXPECT_EQ(selectedIndex_, 1);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// A label drawn alone, its top at the centre of a test surface.
float labelInkWidth(float ring, float rangeNm) {
    TestSurface surface;
    surface.clear(kBackground);
    surface.graphics().translateWorldTransform(500.0f, 500.0f);
    const auto font = render::createFontWithFallback(u"Tahoma", 30.0f, gdip::kFontStyleBold);
    render::SolidBrush brush(kDim);
    render::StringFormat format(0, 0);
    format.setAlignment(gdip::kStringAlignmentCenter);
    drawRingLabel(surface.graphics(), *font, brush, format, ring, rangeNm, 0.0f);
    TestSurface::Bounds ink{};
    if (!surface.inkBounds(0, 0, 1000, 1000, kDim, ink, 60)) return 0.0f;
    EXPECT_GE(ink.top, 499.0f);
    EXPECT_NEAR((ink.left + ink.right) / 2, 500.0f, 3.0f);
    return ink.right - ink.left;
}

float measuredWidth(const char16_t* text) {
    TestSurface surface;
    const auto font = render::createFontWithFallback(u"Tahoma", 30.0f, gdip::kFontStyleBold);
    return surface.graphics().measureText(text, -1, *font, 0.0f, 0.0f).Width;
}

TEST(RingLabelDrawing, LabelsOfHugeRangesAreDrawnWhole) {
    // Ring 4 of a range of 4e9 is "4000000000": ten digits, all of them drawn.
    const float tenDigits = labelInkWidth(4.0f, 4e9f);
    EXPECT_GT(tenDigits, measuredWidth(u"400000000") + 5.0f);
    EXPECT_LE(tenDigits, measuredWidth(u"4000000000"));
    // An ordinary label for comparison.
    EXPECT_LT(labelInkWidth(1.0f, 40.0f), measuredWidth(u"100"));
    // The largest range still gives numbers, not an overflowed infinity.
    const float largest = std::numeric_limits<float>::max();
    EXPECT_EQ(ringLabelValue(4.0f, largest), largest);
    EXPECT_EQ(ringLabelValue(2.0f, largest), largest / 2);
    EXPECT_EQ(ringLabelValue(3.0f, 30.0f), 22.5f);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// Two targets as the views draw them: a cross with a slanted vector, and one
// whose vector runs up its vertical arm (the most overlap a target has).
void drawTwoTargets(TestSurface& surface, const render::Pen& pen, bool gather) {
    surface.clear(kBackground);
    surface.graphics().setSmoothingMode(gdip::kSmoothingModeAntiAlias);  // as the gauge draws
    TargetStrokes strokes(surface.graphics(), gather);
    drawTargetCross(strokes, pen, 50.3f, 60.7f);
    drawTargetLine(strokes, pen, 50.3f, 60.7f, 81.0f, 22.4f);
    strokes.stroke();
    drawTargetCross(strokes, pen, 140.0f, 140.5f);
    drawTargetLine(strokes, pen, 140.0f, 140.5f, 140.0f, 100.0f);
}

// One stroke per target against one per line (the reference): the same
// symbols. libgdiplus would stroke a path of several lines a level or two
// off along them; the session layer strokes such a path line by line for
// it, so on Linux the pictures are those of lines, to the pixel. (Under
// Windows' GDI+ a pixel where a target's lines overlap is covered once by
// one stroke; the Wine comparisons bound that.)
TEST(TargetStrokes, OneStrokePerTargetDrawsWhatOneStrokePerLineDraws) {
    testing::ensureGdiplusStarted();
    render::SolidBrush brush(kBright);
    render::Pen pen(brush, 2.0f, gdip::kUnitWorld);
    TestSurface oneByOne;  // a pixel a logical unit
    TestSurface gathered;
    drawTwoTargets(oneByOne, pen, false);
    drawTwoTargets(gathered, pen, true);

    int lit = 0;
    int differing = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            lit += oneByOne.pixel(x, y) != kBackground ? 1 : 0;
            differing += oneByOne.pixel(x, y) != gathered.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_GT(lit, 150);
    EXPECT_EQ(differing, 0);
}

// A gathering call that failed costs at most its own target's lines: none of
// them is stroked again in a later frame (a path that could not be emptied
// lets its object go), and the next target is drawn.
TEST(TargetStrokes, AFailedPathCallLeavesNoLineForALaterFrame) {
    namespace layer = sim::gdiplus_layer;
    testing::ensureGdiplusStarted();
    render::SolidBrush brush(kBright);
    render::Pen pen(brush, 2.0f, gdip::kUnitWorld);
    TestSurface surface;
    for (const char* function : {"GdipStartPathFigure", "GdipAddPathLine", "GdipDrawPath", "GdipResetPath"}) {
        surface.clear(kBackground);
        layer::startCounting(layer::FaultPlan{1, layer::kStatusOutOfMemory, false, function});
        {
            TargetStrokes strokes(surface.graphics(), true);
            drawTargetCross(strokes, pen, 40.0f, 40.0f);
            strokes.stroke();
            drawTargetCross(strokes, pen, 160.0f, 40.0f);
        }
        layer::stopCounting();
        EXPECT_TRUE(surface.colourNear(160.0f, 40.0f, 1.5f, kBright)) << function;

        surface.clear(kBackground);  // the next frame
        {
            TargetStrokes strokes(surface.graphics(), true);
            drawTargetCross(strokes, pen, 100.0f, 160.0f);
        }
        EXPECT_TRUE(surface.colourNear(100.0f, 160.0f, 1.5f, kBright)) << function;
        EXPECT_EQ(surface.countColour(0.0f, 0.0f, 200.0f, 100.0f, kBright), 0) << function;
    }
}

}  // namespace
}  // namespace quillon
