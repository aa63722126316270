#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "host/PanelServices.h"
#include "module/PanelTableCalls.h"
#include "tests/support/FakePanel.h"
#include "tests/support/ScriptedTraffic.h"
#include "tests/support/TestSurface.h"
#include "tests/support/ViewHarness.h"
#include "views/FullCircleSweep.h"

namespace quillon {
namespace {

using testing::FakePanel;
using testing::ScriptedTraffic;
using testing::TestSurface;
using Gauge = testing::ViewHarness<RectangularGreenGauge>;

constexpr uint32_t kBackground = 0xff001400u;
constexpr uint32_t kDim = 0xff008200u;
constexpr uint32_t kBright = 0xff00ff00u;
constexpr double kPi = 3.14159265358979323846;

// An aircraft at a distance and true bearing from the own aircraft at 0 N 0 E
// (on the equator one minute of arc is one nautical mile either way, close
// enough for small distances).
void addAircraft(ScriptedTraffic& traffic, host::ObjectId id, const std::string& atcId, double distanceNm,
                 double bearingDeg, double headingDeg = 0.0, double groundSpeed = 0.0) {
    const double radians = bearingDeg * kPi / 180.0;
    traffic.add(id, atcId)
        .number("PLANE LATITUDE", "DEGREES", distanceNm * std::cos(radians) / 60.0)
        .number("PLANE LONGITUDE", "DEGREES", distanceNm * std::sin(radians) / 60.0)
        .number("PLANE ALTITUDE", "FEET", 5000.0)
        .number("INDICATED ALTITUDE", "FEET", 5000.0)
        .number("PLANE ALT ABOVE GROUND", "FEET", 5000.0)
        .number("PLANE HEADING DEGREES MAGNETIC", "DEGREES", headingDeg)
        .number("PLANE HEADING DEGREES TRUE", "DEGREES", headingDeg)
        .number("GROUND VELOCITY", "KNOTS", groundSpeed)
        .text("ATC ID", atcId);
}

class FullCircleViewTest : public ::testing::Test {
protected:
    FullCircleViewTest() {
        panel_.offerTrafficInfo(&traffic_);
        panel_.setClock(100.0);
        harness_ = std::make_unique<Gauge>(surface_);
    }

    void draw(double clock) {
        panel_.setClock(clock);
        harness_->loadTraffic();
        harness_->clearSurface();
        view().drawFullCircleView();
    }

    // A logical point at a distance (logical units) and relative bearing
    // from the centre.
    static float pointX(float radius, float bearingDeg) {
        return 500.0f + radius * static_cast<float>(std::sin(bearingDeg * kPi / 180.0));
    }
    static float pointY(float radius, float bearingDeg) {
        return 500.0f - radius * static_cast<float>(std::cos(bearingDeg * kPi / 180.0));
    }

    bool targetInkAt(float x, float y) const {
        return surface_.colourNear(x, y, 1.5f, kDim) || surface_.colourNear(x, y, 1.5f, kBright);
    }

    RadarGauge& view() { return harness_->gauge(); }

    FakePanel panel_;
    ScriptedTraffic traffic_;
    TestSurface surface_;
    std::unique_ptr<Gauge> harness_;
};

TEST_F(FullCircleViewTest, RingLabelsHangInsideTheTopOfEachRing) {
    // Two ranges differ only in their labels: the pixels that change are the
    // labels', each centred under the top of its ring. The labels of the two
    // ranges ("10" and "1000", ...) have no glyph in the same place.
    harness_->setRange(40.0f);
    draw(100.0);
    TestSurface other;
    other.clear(kBackground);
    {
        Gauge second(other);
        second.setRange(4000.0f);
        panel_.setClock(100.0);  // same clock: the shared sweep stays put
        second.clearSurface();
        second->drawFullCircleView();
        const float tops[4] = {381.25f, 262.5f, 143.75f, 25.0f};
        int labelled = 0;
        for (int y = 0; y < 1000; ++y) {
            for (int x = 0; x < 1000; ++x) {
                if (surface_.pixel(x, y) == other.pixel(x, y)) continue;
                bool insideSomeLabel = false;
                for (float top : tops) insideSomeLabel |= (y >= top - 1 && y <= top + 45 && std::abs(x - 500) <= 60);
                EXPECT_TRUE(insideSomeLabel) << "change at " << x << "," << y;
                if (!insideSomeLabel) return;
            }
        }
        for (float top : tops) {
            int left = 1000, right = -1, first = 1000;
            for (int y = static_cast<int>(top) - 1; y <= top + 45; ++y) {
                for (int x = 440; x <= 560; ++x) {
                    if (surface_.pixel(x, y) == other.pixel(x, y)) continue;
                    left = std::min(left, x);
                    right = std::max(right, x);
                    first = std::min(first, y);
                }
            }
            ASSERT_GE(right, 0) << "no label under " << top;
            EXPECT_NEAR((left + right) / 2.0, 500.0, 3.0) << "label under " << top;
            EXPECT_GE(first, top - 1) << "label under " << top;
            EXPECT_LE(first, top + 15) << "label under " << top;
            ++labelled;
        }
        EXPECT_EQ(labelled, 4);
    }
}

TEST_F(FullCircleViewTest, RingsSpokesAndOuterRingInTheirColours) {
    draw(100.0);
    // Outer ring solid at the left and right; spokes every 30 degrees.
    EXPECT_TRUE(surface_.colourNear(25.0f, 500.0f, 1.5f, kDim));
    EXPECT_TRUE(surface_.colourNear(500.0f, 975.0f, 1.5f, kDim));
    EXPECT_TRUE(surface_.colourNear(pointX(300.0f, 30.0f), pointY(300.0f, 30.0f), 1.5f, kDim));
    EXPECT_TRUE(surface_.colourNear(pointX(300.0f, 300.0f), pointY(300.0f, 300.0f), 1.5f, kDim));
    EXPECT_FALSE(surface_.colourNear(pointX(300.0f, 45.0f), pointY(300.0f, 45.0f), 3.0f, kDim));
    // The inner rings are dashed: along ring 2 some points are gaps.
    int gaps = 0;
    for (int step = 0; step < 90; ++step) {
        const float bearing = 100.0f + step * 0.25f;
        gaps += surface_.colourNear(pointX(237.5f, bearing), pointY(237.5f, bearing), 0.4f, kDim, 60) ? 0 : 1;
    }
    EXPECT_GT(gaps, 5);
    EXPECT_LT(gaps, 85);
}

TEST_F(FullCircleViewTest, FullModeSkipsTheHostsFirstObject) {
    addAircraft(traffic_, 1, "OWN", 25.0, 135.0);
    addAircraft(traffic_, 2, "B", 25.0, 75.0);  // relative 45 with heading 30
    panel_.setModuleVariable(host::kVarOwnHeading, 30.0);
    harness_->setPlotPosition(0, 1.0f, 2.0f);
    draw(101.5);

    const float radius = 25.0f * 475.0f / 40.0f;
    EXPECT_TRUE(targetInkAt(pointX(radius, 45.0f) + 8.0f, pointY(radius, 45.0f)));
    EXPECT_FALSE(targetInkAt(pointX(radius, 105.0f) + 8.0f, pointY(radius, 105.0f)));
    EXPECT_FLOAT_EQ(view().plotPosition(0).x, 1.0f);
    EXPECT_FLOAT_EQ(view().plotPosition(0).y, 2.0f);
    EXPECT_NEAR(view().plotPosition(1).x, pointX(radius, 45.0f) - 500.0f, 0.5f);
    EXPECT_NEAR(view().plotPosition(1).y, pointY(radius, 45.0f) - 500.0f, 0.5f);
}

TEST_F(FullCircleViewTest, LimitedModeDrawsFromTheFirstObject) {
    traffic_.setLimitedMode(1);
    addAircraft(traffic_, 1, "A", 25.0, 135.0);
    draw(102.5);
    const float radius = 25.0f * 475.0f / 40.0f;
    EXPECT_TRUE(targetInkAt(pointX(radius, 135.0f) + 8.0f, pointY(radius, 135.0f)));
    EXPECT_NEAR(view().plotPosition(0).x, pointX(radius, 135.0f) - 500.0f, 0.5f);
}

TEST_F(FullCircleViewTest, OnlyTargetsInTheSweepWindowAreBright) {
    // The sweep steps once during the call: the window then ends at the line.
    const float angleAfter = std::fmod(fullCircleSweep().angle + 5.0f, 360.0f);
    const float inside = std::fmod(angleAfter + 90.0f - 2.5f, 360.0f);
    const float opposite = std::fmod(inside + 180.0f, 360.0f);
    addAircraft(traffic_, 1, "OWN", 0.0, 0.0);
    addAircraft(traffic_, 2, "IN", 25.0, inside);
    addAircraft(traffic_, 3, "OUT", 25.0, opposite);
    draw(fullCircleSweep().lastTime + 7.0);

    const float radius = 25.0f * 475.0f / 40.0f;
    // The horizontal arm's outer end, clear of the vertical arm and vector.
    const float armX = 8.0f;
    EXPECT_TRUE(surface_.colourNear(pointX(radius, inside) + armX, pointY(radius, inside), 1.0f, kBright));
    EXPECT_TRUE(surface_.colourNear(pointX(radius, opposite) + armX, pointY(radius, opposite), 1.0f, kDim, 20));
    EXPECT_FALSE(surface_.colourNear(pointX(radius, opposite) + armX, pointY(radius, opposite), 1.0f, kBright, 20));
    // The sweep line itself is bright, at the angle it reached.
    const FullCircleSweep& sweep = fullCircleSweep();
    EXPECT_FLOAT_EQ(sweep.angle, angleAfter);
    EXPECT_TRUE(surface_.colourNear(500.0f + sweep.tip.X * 0.6f, 500.0f + sweep.tip.Y * 0.6f, 1.0f, kBright));
}

TEST_F(FullCircleViewTest, SelectionFollowsTheAtcIdToItsCurrentIndex) {
    addAircraft(traffic_, 1, "OWN", 0.0, 0.0);
    addAircraft(traffic_, 2, "OTHER", 20.0, 200.0);
    addAircraft(traffic_, 3, "PICK", 25.0, 135.0);
    harness_->select(1, "PICK");
    draw(103.5);

    EXPECT_EQ(view().selectedDrawn(), 1);
    EXPECT_EQ(view().selectedIndex(), 2);
    EXPECT_NEAR(view().selectedDistanceNm(), 25.0f, 0.05f);
    EXPECT_NEAR(view().selectedBearingDeg(), 135.0f, 0.05f);
    const float radius = 25.0f * 475.0f / 40.0f;
    const float x = pointX(radius, 135.0f);
    const float y = pointY(radius, 135.0f);
    EXPECT_TRUE(targetInkAt(x - 25.0f, y + 15.0f));  // left edge of the box
    EXPECT_TRUE(targetInkAt(x + 15.0f, y + 25.0f));  // bottom edge
}

TEST_F(FullCircleViewTest, SelectionNotFoundLeavesTheRecordAndDrawnCleared) {
    addAircraft(traffic_, 1, "OWN", 0.0, 0.0);
    addAircraft(traffic_, 2, "OTHER", 20.0, 200.0);
    harness_->select(5, "GONE");
    harness_->setSelectionRecord(1, 5, 12.0f, 34.0f);
    draw(104.5);
    EXPECT_EQ(view().selectedDrawn(), 0);
    EXPECT_EQ(view().selectedIndex(), 5);
    EXPECT_FLOAT_EQ(view().selectedDistanceNm(), 12.0f);
    EXPECT_FLOAT_EQ(view().selectedBearingDeg(), 34.0f);
}

TEST_F(FullCircleViewTest, WithoutTrafficTheScopeIsStillDrawn) {
    panel_.withdrawService();
    TestSurface bare;
    Gauge lonely(bare);
    lonely.select(1, "");
    lonely.loadTraffic();
    lonely.clearSurface();
    lonely->drawFullCircleView();
    EXPECT_EQ(lonely->selectedDrawn(), 0);
    EXPECT_TRUE(bare.colourNear(25.0f, 500.0f, 1.5f, kDim));
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST_F(FullCircleViewTest, UnusableTargetNumbersDoNotSpoilTheRestOfThePicture) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    addAircraft(traffic_, 1, "OWN", 0.0, 0.0);
    addAircraft(traffic_, 2, "BAD", 25.0, 135.0, nan, std::numeric_limits<double>::infinity());
    traffic_.objects()[1].number("PLANE LATITUDE", "DEGREES", nan);
    addAircraft(traffic_, 3, "SPEEDY", 25.0, 45.0, nan, 1e300);
    addAircraft(traffic_, 4, "GOOD", 25.0, 225.0);
    // Finite but absurd: its vector runs straight up off the surface, not
    // folded back across the picture by the rasteriser's coordinate range.
    addAircraft(traffic_, 5, "ROCKET", 25.0, 315.0, 0.0, 1e9);
    draw(fullCircleSweep().lastTime + 3.0);
    const float radius = 25.0f * 475.0f / 40.0f;
    EXPECT_TRUE(targetInkAt(pointX(radius, 225.0f) + 8.0f, pointY(radius, 225.0f)));
    EXPECT_TRUE(surface_.colourNear(25.0f, 500.0f, 1.5f, kDim));
    const float rocketX = pointX(radius, 315.0f);
    const float rocketY = pointY(radius, 315.0f);
    const int column = surface_.countColour(rocketX - 1.5f, 0.0f, rocketX + 1.5f, rocketY - 15.0f, kDim) +
                       surface_.countColour(rocketX - 1.5f, 0.0f, rocketX + 1.5f, rocketY - 15.0f, kBright);
    EXPECT_GT(column, static_cast<int>(rocketY - 15.0f));
    // Nothing of the scope reaches the corners: a line to a coordinate that
    // is not a number would end up there.
    for (float corner : {0.0f, 940.0f}) {
        EXPECT_EQ(surface_.countColour(corner, corner, corner + 60.0f, corner + 60.0f, kDim) +
                      surface_.countColour(corner, corner, corner + 60.0f, corner + 60.0f, kBright),
                  0);
    }
}

}  // namespace
}  // namespace quillon
