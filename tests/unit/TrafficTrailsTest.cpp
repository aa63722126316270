// Trails: where each aircraft has been, kept by identifier as places on the
// earth, and drawn as dots that follow the real path and turn with the own
// heading.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "gauge/RadarGauge.h"
#include "render/ColourScheme.h"
#include "tests/support/FakePanel.h"
#include "tests/support/RadarGaugeProbe.h"
#include "tests/support/ScriptedTraffic.h"
#include "tests/support/TargetPlacement.h"
#include "tests/support/TestSurface.h"
#include "tests/support/ViewHarness.h"
#include "traffic/TrafficTrails.h"
#include "traffic/OwnShip.h"
#include "views/FullCircleSweep.h"
#include "views/TargetProcedure.h"
#include "views/TrailDots.h"

namespace quillon {
namespace {

using testing::FakePanel;
using testing::ScriptedTraffic;
using testing::TestSurface;

constexpr double kPi = 3.14159265358979323846;

// Aircraft in slots 0 to n - 1, named A0, A1, ...
struct Traffic {
    explicit Traffic(int n) : targets(n) {
        for (int i = 0; i < n; ++i) targets[i].setAtcId(("A" + std::to_string(i)).c_str());
    }
    void feed(TrafficTrails& trails, double clock) {
        trails.update(targets.data(), 0, static_cast<int>(targets.size()), clock);
    }
    std::vector<TrafficTarget> targets;
};

int kept(const TrafficTrails& trails, int slot) {
    const TrailPoint* points = nullptr;
    return trails.positionsOf(slot, points);
}

TEST(TrafficTrailsKept, OnePositionEveryFourSecondsNewestFirstSixAtMost) {
    auto trails = std::make_unique<TrafficTrails>();
    Traffic traffic(1);
    for (int second = 0; second <= 30; ++second) {
        traffic.targets[0].setPosition(0.0, second * 0.001, 5000.0);  // east, about 0.06 NM a second
        traffic.feed(*trails, second);
    }
    const TrailPoint* points = nullptr;
    ASSERT_EQ(trails->positionsOf(0, points), TrafficTrails::kPositions);
    for (int age = 0; age < TrafficTrails::kPositions; ++age)  // sampled at 28, 24, ... 8 s
        EXPECT_FLOAT_EQ(points[age].longitude, static_cast<float>((28 - 4 * age) * 0.001)) << age;
    EXPECT_EQ(kept(*trails, 1), 0) << "beyond the slots fed";
    EXPECT_EQ(kept(*trails, -1), 0);
}

TEST(TrafficTrailsKept, FollowTheIdentifierToItsNewSlotAndStartAfreshWhereItNoLongerHolds) {
    auto trails = std::make_unique<TrafficTrails>();
    Traffic traffic(3);
    auto place = [&](double clock) {
        for (int i = 0; i < 3; ++i) traffic.targets[i].setPosition(0.01 * i, clock * 0.0005, 5000.0);
    };
    for (int second = 0; second <= 8; ++second) {
        place(second);
        traffic.feed(*trails, second);
    }
    ASSERT_EQ(kept(*trails, 0), 3);
    // The host lists A0 and A2 the other way round: their trails go along.
    traffic.targets[0].setAtcId("A2");
    traffic.targets[2].setAtcId("A0");
    traffic.targets[0].setPosition(0.02, 9 * 0.0005, 5000.0);
    traffic.targets[2].setPosition(0.0, 9 * 0.0005, 5000.0);
    traffic.feed(*trails, 9.0);
    const TrailPoint* points = nullptr;
    ASSERT_EQ(trails->positionsOf(2, points), 3);
    EXPECT_FLOAT_EQ(points[2].latitude, 0.0f) << "A0's oldest, now in slot 2";
    ASSERT_EQ(trails->positionsOf(0, points), 3);
    EXPECT_FLOAT_EQ(points[2].latitude, 0.02f);

    // A teleport (50 NM in a second) keeps only where the aircraft is now;
    // so does an identifier two aircraft share.
    traffic.targets[1].setPosition(0.01 + 50.0 / 60.0, 10 * 0.0005, 5000.0);
    traffic.targets[0].setAtcId("A0");
    traffic.targets[0].setPosition(0.0, 10 * 0.0005, 5000.0);
    traffic.targets[2].setPosition(0.0, 10 * 0.0005, 5000.0);
    traffic.feed(*trails, 10.0);
    EXPECT_EQ(kept(*trails, 1), 1);
    EXPECT_EQ(kept(*trails, 0), 1);
    EXPECT_EQ(kept(*trails, 2), 1);

    // A clock set back, or one that is not a number, forgets every trail.
    for (int second = 11; second <= 20; ++second) {
        traffic.targets[1].setPosition(0.01, second * 0.0005, 5000.0);
        traffic.feed(*trails, second);
    }
    ASSERT_EQ(kept(*trails, 1), 3);
    traffic.feed(*trails, 5.0);
    EXPECT_EQ(kept(*trails, 1), 1);
    traffic.feed(*trails, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(kept(*trails, 1), 0);

    // A place that is not one is not kept.
    traffic.targets[1].setPosition(std::numeric_limits<double>::infinity(), 0.0, 5000.0);
    traffic.feed(*trails, 30.0);
    EXPECT_EQ(kept(*trails, 1), 0);
}

// A gauge drawing the full circle on a 1000-pixel surface (a logical unit a
// pixel) over one aircraft after the own one, at 10 NM.
class DrawnTrails : public ::testing::Test {
protected:
    DrawnTrails() {
        testing::ensureGdiplusStarted();
        RadarGaugeProbe::forgetNamedVariableRegistration();
        traffic.add(100);
        traffic.add(101);
        panel.offerTrafficInfo(&traffic);
        panel.setClock(0.0);
        harness = std::make_unique<Gauge>(surface);
        harness->loadTraffic();
        gauge().syncVariables();  // registers
        panel.setNamedVariable("Radar Trails", 1.0);
        panel.setNamedVariable("Radar Range", 10.0);
        gauge().syncVariables();  // refreshes the list at the new range
        harness->list().item(1)->setAtcId("TURN");
    }

    using Gauge = testing::ViewHarness<RectangularGreenGauge>;
    RadarGauge& gauge() { return harness->gauge(); }

    // Where the aircraft is at a second of a 3 degrees a second right turn
    // at 250 kt, from 4 NM west of the own aircraft heading north.
    static void turnAt(double second, double& eastNm, double& northNm) {
        const double radius = (250.0 / 3600.0) / (3.0 * kPi / 180.0);
        const double turned = 3.0 * second * kPi / 180.0;
        eastNm = -4.0 + radius * (1.0 - std::cos(turned));
        northNm = 1.0 + radius * std::sin(turned);
    }

    // The middle of the pixels in exactly the colour within 6 pixels of a point.
    static bool inkCentre(const TestSurface& picture, double x, double y, uint32_t colour, double& cx, double& cy) {
        double sumX = 0.0, sumY = 0.0;
        int count = 0;
        for (int py = static_cast<int>(y) - 6; py <= static_cast<int>(y) + 6; ++py)
            for (int px = static_cast<int>(x) - 6; px <= static_cast<int>(x) + 6; ++px)
                if (picture.pixel(px, py) == colour) {
                    sumX += px + 0.5;
                    sumY += py + 0.5;
                    ++count;
                }
        if (count == 0) return false;
        cx = sumX / count;
        cy = sumY / count;
        return true;
    }

    FakePanel panel;
    ScriptedTraffic traffic;
    TestSurface surface;
    std::unique_ptr<Gauge> harness;
};

TEST_F(DrawnTrails, DotsLieOnTheFlownPathWithinAPixelAndTurnWithTheOwnHeading) {
    TrafficTarget& aircraft = *harness->list().item(1);
    for (int second = 0; second <= 20; ++second) {
        double east = 0.0, north = 0.0;
        turnAt(second, east, north);
        aircraft.setPosition(north / 60.0, east / 60.0, 0.0);  // on the equator, a minute is a mile
        harness->feedTrails(second);
    }
    testing::placeTarget(aircraft, 180.0, 8.0, 0.0);  // its cross out of the way
    const render::ColourScheme& scheme = harness->colours();
    const double unitsPerNm = 475.0 / 10.0;
    for (const double heading : {0.0, 90.0, 237.0}) {
        panel.setModuleVariable(host::kVarOwnHeading, heading);
        fullCircleSweep() = FullCircleSweep{};
        harness->clearSurface();
        gauge().drawFullCircleView();
        for (int age = 0; age < TrafficTrails::kPositions; ++age) {
            double east = 0.0, north = 0.0;
            turnAt(20 - 4 * age, east, north);
            // Heading-up: the picture turns against the own heading.
            const double turn = heading * kPi / 180.0;
            const double right = east * std::cos(turn) - north * std::sin(turn);
            const double ahead = east * std::sin(turn) + north * std::cos(turn);
            const double x = 500.0 + right * unitsPerNm;
            const double y = 500.0 - ahead * unitsPerNm;
            double cx = 0.0, cy = 0.0;
            ASSERT_TRUE(inkCentre(surface, x, y, render::trailShade(scheme.colours, age), cx, cy))
                << "heading " << heading << " age " << age;
            EXPECT_NEAR(cx, x, 1.0) << "heading " << heading << " age " << age;
            EXPECT_NEAR(cy, y, 1.0) << "heading " << heading << " age " << age;
        }
    }
    surface.savePng(::testing::TempDir() + "/trails_turning.png");

    // Turned off, the trails and their memory go; on again, they start empty.
    panel.setNamedVariable("Radar Trails", 0.0);
    gauge().syncVariables();
    EXPECT_EQ(gauge().trails(), nullptr);
    panel.setNamedVariable("Radar Trails", 1.0);
    gauge().syncVariables();
    const TrailPoint* points = nullptr;
    ASSERT_NE(gauge().trails(), nullptr);
    EXPECT_EQ(gauge().trails()->positionsOf(1, points), 0);
}

// A dot at an aircraft's place lies where its cross is drawn (by the great
// circle), far north and south too, out to the farthest range.
TEST(TrailPlaces, WhereTheCrossOfThatPlaceIsWithinHalfAUnitAtEveryLatitudeAndRange) {
    for (const double latitude : {0.0, 51.5, 70.0, -78.0})
        for (const double range : {5.0, 40.0, 320.0})
            for (const double bearing : {0.0, 45.0, 100.0, 190.0, 300.0}) {
                const Position own{latitude, 8.6, 0.0};
                const double heading = 237.0;
                const float scale = static_cast<float>(475.0 / range);
                // The place at 0.95 of the range on the true bearing.
                const double d = 0.95 * range / 3437.746810913086;
                const double b = bearing * kPi / 180.0, lat1 = latitude * kPi / 180.0;
                const double lat2 = std::asin(std::sin(lat1) * std::cos(d) + std::cos(lat1) * std::sin(d) * std::cos(b));
                const double lon2 = 8.6 + std::atan2(std::sin(b) * std::sin(d) * std::cos(lat1),
                                                     std::cos(d) - std::sin(lat1) * std::sin(lat2)) * 180.0 / kPi;
                const TrailPoint place{static_cast<float>(lat2 * 180.0 / kPi), static_cast<float>(lon2)};

                float distanceNm = 0.0f, reversed = 0.0f;
                greatCircle(own, Position{place.latitude, place.longitude, 0.0}, distanceNm, reversed);
                const float relative = relativeBearingDegrees(trueBearingDegrees(reversed), heading);
                const render::PointF cross = pointOnBearing(static_cast<double>(distanceNm) * scale, relative);

                render::PointF dot{};
                double ahead = 0.0;
                ASSERT_TRUE(placeOnView(trailFrameFor(own, heading, scale, static_cast<float>(range)), place, dot, ahead));
                EXPECT_NEAR(dot.X, cross.X, 0.5) << latitude << " " << range << " " << bearing;
                EXPECT_NEAR(dot.Y, cross.Y, 0.5) << latitude << " " << range << " " << bearing;
            }
}

TEST(TrailShades, FromTheDimColourTowardsTheBackgroundOldestFaintest) {
    const render::SchemeColours colours = render::kAmberColours;
    EXPECT_EQ(render::trailShade(colours, 0), 0xff6b3609u);
    EXPECT_EQ(render::trailShade(colours, 5), 0xff2b1501u);
    for (int age = 1; age < render::kTrailShades; ++age)
        EXPECT_LT(render::trailShade(colours, age) & 0xff00u, render::trailShade(colours, age - 1) & 0xff00u);
    EXPECT_EQ(render::trailShade(colours, 99), render::trailShade(colours, 5));
    EXPECT_EQ(render::trailShade(colours, -1), render::trailShade(colours, 0));
}

}  // namespace
}  // namespace quillon
