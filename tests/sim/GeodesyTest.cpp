// The host's sphere: the same one on which the gauge measures, so that a
// radius query and the gauge's distances agree.
#include <gtest/gtest.h>

#include "sim/Geodesy.h"

namespace {

TEST(Geodesy, OneMinuteOfArcIsOneNauticalMile) {
    EXPECT_NEAR(sim::distanceMetres({0.0, 0.0}, {0.0, 1.0}), 60.0 * 1852.0, 1e-6);
    EXPECT_NEAR(sim::distanceMetres({50.0, 8.0}, {51.0, 8.0}), 60.0 * 1852.0, 1e-6);
    // Across the date line the short way round.
    EXPECT_NEAR(sim::distanceMetres({10.0, 179.5}, {10.0, -179.5}), sim::distanceMetres({10.0, 0.0}, {10.0, 1.0}),
                1e-6);
    EXPECT_EQ(sim::distanceMetres({50.0, 8.0}, {50.0, 8.0}), 0.0);
}

TEST(Geodesy, CoursesAndDestinationsAgree) {
    EXPECT_NEAR(sim::initialCourseDeg({0.0, 0.0}, {0.0, 1.0}), 90.0, 1e-9);
    EXPECT_NEAR(sim::initialCourseDeg({0.0, 0.0}, {-1.0, 0.0}), 180.0, 1e-9);
    EXPECT_NEAR(sim::initialCourseDeg({0.0, 0.0}, {0.0, -1.0}), 270.0, 1e-9);
    for (double course : {0.0, 45.0, 135.0, 200.0, 315.0}) {
        sim::LatLon from{50.03, 8.57};
        sim::LatLon to = sim::destination(from, course, 25.0 * 1852.0);
        EXPECT_NEAR(sim::distanceMetres(from, to), 25.0 * 1852.0, 1e-6) << course;
        double difference = sim::normalizeDegrees360(sim::initialCourseDeg(from, to) - course + 180.0) - 180.0;
        EXPECT_NEAR(difference, 0.0, 1e-9) << course;
    }
    EXPECT_NEAR(sim::destination({0.0, 179.0}, 90.0, 120.0 * 1852.0).longitudeDeg, -179.0, 1e-9);
}

TEST(Geodesy, AnglesAreNormalised) {
    EXPECT_EQ(sim::normalizeDegrees360(-90.0), 270.0);
    EXPECT_EQ(sim::normalizeDegrees360(720.0), 0.0);
    EXPECT_EQ(sim::normalizeLongitude(190.0), -170.0);
    EXPECT_EQ(sim::normalizeLongitude(180.0), -180.0);
    EXPECT_EQ(sim::normalizeLongitude(-180.0), -180.0);
}

}  // namespace
