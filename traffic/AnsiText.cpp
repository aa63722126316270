#include "traffic/AnsiText.h"

namespace quillon {
namespace {

// Code page 1252 bytes 0x80-0x9F; every other byte is its own code point.
constexpr char16_t kUpperControlRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

}  // namespace

char16_t widenAnsiCharacter(char character) {
    // Through unsigned char: a plain char may be signed, and 0xE9 must not
    // become 0xFFE9.
    const unsigned char byte = static_cast<unsigned char>(character);
    if (byte >= 0x80 && byte <= 0x9F) return kUpperControlRange[byte - 0x80];
    return static_cast<char16_t>(byte);
}

}  // namespace quillon
