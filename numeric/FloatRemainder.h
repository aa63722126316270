// The floating-point remainder with the sign of the dividend, as std::fmod
// gives it, bit for bit, without the library call in the cases that every
// target of every frame meets: an angle already within one turn, or within
// two. Anything else goes to std::fmod.
#pragma once

#include <cmath>

namespace quillon {

// For a modulus m > 0.
inline double floatRemainder(double x, double m) {
    const double magnitude = std::fabs(x);
    if (magnitude < m) return x;  // already its own remainder (NaN fails the test)
    if (magnitude < 2 * m) {
        // One modulus off: the difference is exact (the operands are within a
        // factor of two), and a zero result keeps the dividend's sign.
        return x > 0 ? x - m : std::copysign(x + m, x);
    }
    return std::fmod(x, m);
}

}  // namespace quillon
