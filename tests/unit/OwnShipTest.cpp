// Own-ship position from the host's module variables, and great-circle
// distance and reversed bearing between two positions.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/FakePanel.h"
#include "traffic/OwnShip.h"
#include "module/PanelTableCalls.h"

namespace quillon {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Course {
    float distanceNm;
    float bearing;
};

Course course(double fromLatitude, double fromLongitude, double toLatitude, double toLongitude) {
    Course result{-1.0f, -100.0f};
    greatCircle(Position{fromLatitude, fromLongitude, 0.0}, Position{toLatitude, toLongitude, 0.0},
                result.distanceNm, result.bearing);
    return result;
}

TEST(GreatCircleTest, CardinalDirectionsGiveTheReversedCourse) {
    const Course east = course(0.0, 0.0, 0.0, 1.0);
    EXPECT_FLOAT_EQ(east.distanceNm, 60.0f);
    EXPECT_FLOAT_EQ(east.bearing, static_cast<float>(-kPi / 2));

    const Course north = course(0.0, 0.0, 1.0, 0.0);
    EXPECT_NEAR(north.distanceNm, 60.0f, 1e-3f);
    EXPECT_EQ(north.bearing, 0.0f);

    // West and a little north of west on the great circle.
    const Course west = course(10.0, 20.0, 10.0, 19.0);
    EXPECT_NEAR(west.bearing, 1.5693f, 1e-4f);
    EXPECT_LT(west.bearing, static_cast<float>(kPi / 2));

    // Due south is +pi, never -pi.
    const Course south = course(10.0, 5.0, 9.0, 5.0);
    EXPECT_FLOAT_EQ(south.bearing, static_cast<float>(kPi));
    EXPECT_GT(south.bearing, 0.0f);
}

TEST(GreatCircleTest, AcrossTheAntimeridianTheShortWayRound) {
    const Course across = course(0.0, 179.5, 0.0, -179.5);
    EXPECT_NEAR(across.distanceNm, 60.0f, 1e-3f);
    EXPECT_FLOAT_EQ(across.bearing, static_cast<float>(-kPi / 2));  // eastwards
    const Course back = course(0.0, -179.5, 0.0, 179.5);
    EXPECT_FLOAT_EQ(back.bearing, static_cast<float>(kPi / 2));
}

TEST(GreatCircleTest, DistanceDoesNotDependOnTheOrderButTheBearingDoes) {
    const Course there = course(51.47, -0.45, 40.64, -73.78);
    const Course back = course(40.64, -73.78, 51.47, -0.45);
    EXPECT_EQ(there.distanceNm, back.distanceNm);
    EXPECT_NEAR(there.distanceNm, 2990.0f, 15.0f);  // London to New York
    EXPECT_NE(there.bearing, back.bearing);
}

TEST(GreatCircleTest, CoincidentPointsAreZeroApartNeverNaN) {
    // Rounding puts the cosine sum just above 1 for many of these (first at
    // 0.018 degrees); the distance must still be a small non-negative number.
    for (int i = 0; i <= 4000; ++i) {
        const double latitude = i * 0.0009;
        const double longitude = i * 0.045 - 90.0;
        const Course same = course(latitude, longitude, latitude, longitude);
        ASSERT_FALSE(std::isnan(same.distanceNm)) << "latitude " << latitude;
        ASSERT_GE(same.distanceNm, 0.0f) << "latitude " << latitude;
        ASSERT_LT(same.distanceNm, 1e-3f) << "latitude " << latitude;
    }
    EXPECT_EQ(course(0.018, 7.0, 0.018, 7.0).distanceNm, 0.0f);
}

TEST(OwnPositionTest, ConvertsHostUnitsToDegrees) {
    testing::FakePanel panel;
    // 10 degrees north in units of 40007000 per circle, 20 west in 2^48.
    panel.setModuleVariable(host::kVarOwnLatitude, 10.0 * 40007000.0 / 360.0);
    panel.setModuleVariable(host::kVarOwnLongitude, -20.0 * 281474976710656.0 / 360.0);
    const Position& own = ownPosition(modulePanelCalls());
    EXPECT_NEAR(own.latitude, 10.0, 1e-9);
    EXPECT_NEAR(own.longitude, -20.0, 1e-9);
    EXPECT_EQ(panel.lookedUpTokens(), (std::vector<int32_t>{host::kVarOwnLatitude, host::kVarOwnLongitude}));

    // Each call reads afresh and overwrites the one shared record.
    panel.setModuleVariable(host::kVarOwnLatitude, 0.0);
    const Position& again = ownPosition(modulePanelCalls());
    EXPECT_EQ(&again, &own);
    EXPECT_EQ(again.latitude, 0.0);
    EXPECT_EQ(panel.lookedUpTokens().size(), 4u);
}

TEST(OwnPositionTest, LongitudeBeyondAFullCircleIsNotWrapped) {
    testing::FakePanel panel;
    panel.setModuleVariable(host::kVarOwnLongitude, 370.0 * 281474976710656.0 / 360.0);
    EXPECT_NEAR(ownPosition(modulePanelCalls()).longitude, 370.0, 1e-9);
}

}  // namespace
}  // namespace quillon
