#include "render/PixelBlend.h"

namespace render {
namespace {

// What a source pixel's coverage leaves of two channels of the destination,
// 16 bits each: (x + 128 + ((x + 128) >> 8)) >> 8 rounds x / 255 to nearest
// for every product of two bytes.
inline uint32_t keptOf(uint32_t pair, uint32_t left) {
    const uint32_t scaled = pair * left + 0x00800080u;
    return ((scaled + ((scaled >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
}

// Without a branch: a transparent source leaves the destination as it is and
// an opaque one replaces it by the same sums, and ink is too irregular for a
// branch to be guessed.
inline uint32_t sourceOver(uint32_t source, uint32_t destination) {
    const uint32_t left = 255u - (source >> 24);
    uint32_t redBlue = (source & 0x00ff00ffu) + keptOf(destination & 0x00ff00ffu, left);
    uint32_t alphaGreen = ((source >> 8) & 0x00ff00ffu) + keptOf((destination >> 8) & 0x00ff00ffu, left);
    // A channel past 255 (a source not truly premultiplied) stays at 255.
    redBlue |= ((redBlue & 0x01000100u) >> 8) * 0xffu;
    alphaGreen |= ((alphaGreen & 0x01000100u) >> 8) * 0xffu;
    return (redBlue & 0x00ff00ffu) | ((alphaGreen & 0x00ff00ffu) << 8);
}

}  // namespace

uint32_t premultiplied(uint32_t argb) {
    const uint32_t alpha = argb >> 24;
    const uint32_t redBlue = keptOf(argb & 0x00ff00ffu, alpha);
    const uint32_t green = keptOf((argb >> 8) & 0x000000ffu, alpha);
    return (alpha << 24) | (green << 8) | redBlue;
}

void blendSolidRow(uint32_t colour, const uint8_t* coverage, uint32_t* destination, int32_t count) {
    const uint32_t redBlue = colour & 0x00ff00ffu;
    const uint32_t alphaGreen = (colour >> 8) & 0x00ff00ffu;
    const bool opaque = (colour >> 24) == 255u;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t share = coverage[i];
        // A line's row is mostly pixels it misses or covers whole.
        if (share == 0) continue;
        if (share == 255 && opaque) {
            destination[i] = colour;
            continue;
        }
        const uint32_t source = keptOf(redBlue, share) | (keptOf(alphaGreen, share) << 8);
        destination[i] = sourceOver(source, destination[i]);
    }
}

void blendRow(const uint32_t* source, uint32_t* destination, int32_t count) {
    for (int32_t i = 0; i < count; ++i) destination[i] = sourceOver(source[i], destination[i]);
}

}  // namespace render
