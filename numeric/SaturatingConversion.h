// Conversions of host values that must never become undefined behaviour:
// truncation toward zero that saturates at the int32 range, NaN giving 0.
#pragma once

#include <cstdint>
#include <limits>

namespace quillon {

constexpr int32_t truncateToInt32(double value) {
    if (!(value == value)) return 0;  // NaN
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace quillon
