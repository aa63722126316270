// The views' fast remainder must give exactly what std::fmod gives, sign of
// zero included: the bearings it feeds end up in pictures and texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "numeric/FloatRemainder.h"
#include "views/TargetProcedure.h"

namespace {

uint64_t bitsOf(double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool sameResult(double a, double b) { return (std::isnan(a) && std::isnan(b)) || bitsOf(a) == bitsOf(b); }

// The moduli the module uses: degrees, and its single-precision turn in radians.
const double kModuli[] = {360.0, static_cast<double>(6.2831855f), 6.2831854820251465};

TEST(FloatRemainder, MatchesFmodAtTheEdgesOfEachTurn) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double m : kModuli) {
        std::vector<double> values{0.0, -0.0, inf, -inf, std::nan(""), std::numeric_limits<double>::denorm_min(),
                                   1e300, -1e300};
        for (double k : {0.5, 1.0, 1.5, 2.0, 2.5, 3.0}) {
            for (double sign : {1.0, -1.0}) {
                const double edge = sign * k * m;
                values.push_back(edge);
                values.push_back(std::nextafter(edge, inf));
                values.push_back(std::nextafter(edge, -inf));
            }
        }
        for (double x : values)
            EXPECT_TRUE(sameResult(quillon::floatRemainder(x, m), std::fmod(x, m)))
                << "x = " << x << ", m = " << m << ": " << quillon::floatRemainder(x, m) << " vs "
                << std::fmod(x, m);
    }
}

TEST(FloatRemainder, MatchesFmodOverManyAngles) {
    std::mt19937_64 random(7);
    for (double m : kModuli) {
        std::uniform_real_distribution<double> near(-4 * m, 4 * m);
        std::uniform_real_distribution<double> far(-1e6, 1e6);
        int mismatches = 0;
        for (int i = 0; i < 200000; ++i) {
            const double x = i % 4 == 0 ? far(random) : near(random);
            if (!sameResult(quillon::floatRemainder(x, m), std::fmod(x, m))) ++mismatches;
        }
        EXPECT_EQ(mismatches, 0) << "m = " << m;
    }
}

// The bearings the views compute, against the same formulas written with std::fmod.
TEST(FloatRemainder, BearingsAreThoseOfTheLibraryRemainder) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<float> reversed(-3.1415927f, 3.1415927f);
    std::uniform_real_distribution<double> heading(0.0, 360.0);
    const double twoPi = 6.2831855f;
    for (int i = 0; i < 100000; ++i) {
        const float r = i % 1000 == 0 ? 0.0f : reversed(random);
        const double h = i % 777 == 0 ? 0.0 : heading(random);
        const float bearing = quillon::trueBearingDegrees(r);
        const float expectedBearing = static_cast<float>(std::fmod(twoPi - r, twoPi) * 57.29578f);
        ASSERT_EQ(bitsOf(bearing), bitsOf(expectedBearing)) << "reversed bearing " << r;
        const float relative = quillon::relativeBearingDegrees(bearing, h);
        const float expectedRelative = static_cast<float>(std::fmod(std::fmod(bearing - h, 360.0) + 360.0, 360.0));
        ASSERT_EQ(bitsOf(relative), bitsOf(expectedRelative)) << "bearing " << bearing << ", heading " << h;
    }
}

}  // namespace
