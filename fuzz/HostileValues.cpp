#include "fuzz/HostileValues.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

namespace quillon::fuzzing {

double hostileNumber(FuzzedDataProvider& data, double low, double high) {
    switch (data.ConsumeIntegralInRange<int>(0, 15)) {
        case 0: return std::numeric_limits<double>::quiet_NaN();
        case 1: return std::numeric_limits<double>::infinity();
        case 2: return -std::numeric_limits<double>::infinity();
        case 3: return DBL_MAX;
        case 4: return -DBL_MAX;
        case 5: return static_cast<double>(FLT_MAX) * 4.0;  // past float's range
        case 6: return 2147483648.0;                        // just past int32
        case 7: return -2147483649.0;
        case 8: return std::numeric_limits<double>::denorm_min();
        case 9: return -0.0;
        case 10: {
            uint64_t bits = data.ConsumeIntegral<uint64_t>();
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        default: return data.ConsumeFloatingPointInRange<double>(low, high);
    }
}

void hostileText(FuzzedDataProvider& data, char* buffer, int32_t capacity) {
    if (capacity <= 0) return;
    const int kind = data.ConsumeIntegralInRange<int>(0, 7);
    if (kind == 0) return;  // the host leaves the buffer as it was
    const size_t room = static_cast<size_t>(capacity);
    if (kind == 1) {
        // Fills the buffer to the last byte, no terminator.
        for (size_t i = 0; i < room; ++i) buffer[i] = static_cast<char>(data.ConsumeIntegralInRange<int>(1, 255));
        return;
    }
    const std::string text = data.ConsumeRandomLengthString(room - 1);
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = 0;
}

}  // namespace quillon::fuzzing
