#include "views/TextFormats.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "numeric/SaturatingConversion.h"

namespace quillon {
namespace {

// Room for the longest number text any double or float can give here.
constexpr size_t kNarrowCapacity = 64;

// Whole hundreds toward zero. The product is kept in 64 bits: the saturated
// count of hundreds times 100 does not fit in 32.
int64_t wholeHundreds(double value) { return static_cast<int64_t>(truncateToInt32(value * 0.01)) * 100; }

}  // namespace

size_t widenText(const char* narrow, char16_t* wide, size_t capacity) {
    if (capacity == 0) return 0;
    size_t length = 0;
    while (narrow[length] != '\0' && length + 1 < capacity) {
        wide[length] = static_cast<char16_t>(static_cast<unsigned char>(narrow[length]));
        ++length;
    }
    wide[length] = u'\0';
    return length;
}

size_t formatAltitudeText(double altitudeFeet, char16_t* text, size_t capacity) {
    char narrow[kNarrowCapacity];
    const int64_t altitude = wholeHundreds(altitudeFeet);
    if (altitude >= 18000) {
        std::snprintf(narrow, sizeof narrow, "FL%03lld", static_cast<long long>(altitude / 100));
    } else {
        std::snprintf(narrow, sizeof narrow, "%lldFT", static_cast<long long>(altitude));
    }
    return widenText(narrow, text, capacity);
}

size_t formatVerticalSpeedText(double feetPerMinute, char16_t* text, size_t capacity) {
    char narrow[kNarrowCapacity];
    const int64_t speed = wholeHundreds(feetPerMinute);
    if (speed >= 100 || speed <= -100) {
        std::snprintf(narrow, sizeof narrow, "%+04lldFT/M", static_cast<long long>(speed));
    } else {
        std::snprintf(narrow, sizeof narrow, "----FT/M");
    }
    return widenText(narrow, text, capacity);
}

size_t formatGroundSpeedText(double knots, char16_t* text, size_t capacity) {
    char narrow[kNarrowCapacity];
    std::snprintf(narrow, sizeof narrow, "%dKTS", static_cast<int>(truncateToInt32(knots)));
    return widenText(narrow, text, capacity);
}

size_t formatHiddenGroundSpeedText(char16_t* text, size_t capacity) { return widenText("---KTS", text, capacity); }

size_t formatDistanceText(float distanceNm, char16_t* text, size_t capacity) {
    char narrow[kNarrowCapacity];
    std::snprintf(narrow, sizeof narrow, "%.1fNM", static_cast<double>(distanceNm));
    return widenText(narrow, text, capacity);
}

size_t formatBearingText(float bearingDeg, char16_t* text, size_t capacity) {
    char narrow[kNarrowCapacity];
    // 0xB0 is the degree sign in Latin-1, which widens to U+00B0.
    std::snprintf(narrow, sizeof narrow, "BRG%.0f\xB0", static_cast<double>(bearingDeg));
    return widenText(narrow, text, capacity);
}

size_t formatRingLabel(float value, char16_t* text, size_t capacity) {
    char narrow[kNarrowCapacity];
    const double v = value;
    // A whole value is written with all its digits, however large: the
    // conversion through a 32-bit integer would wrap above 2^31.
    const char* format = std::fmod(v, 1.0) != 0.0 ? "%.2f" : "%.0f";
    std::snprintf(narrow, sizeof narrow, format, v);
    return widenText(narrow, text, capacity);
}

}  // namespace quillon
