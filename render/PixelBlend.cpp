#include "render/PixelBlend.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)

constexpr int32_t kVector = 4;  // pixels

// keptOf for two pixels, a channel in each 16-bit lane: the product of two
// bytes plus 128 fits 16 bits, and for every such value x, (x * 257) >> 16
// is (x + (x >> 8)) >> 8.
inline __m128i keptOfTwo(__m128i destination, __m128i source) {
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(source, 0xff), 0xff);
    const __m128i left = _mm_sub_epi16(_mm_set1_epi16(255), alpha);
    const __m128i scaled = _mm_add_epi16(_mm_mullo_epi16(destination, left), _mm_set1_epi16(128));
    return _mm_mulhi_epu16(scaled, _mm_set1_epi16(257));
}

// sourceOver for four pixels: the unsigned saturating add keeps a channel
// past 255 at 255, as the scalar sums do.
inline __m128i sourceOverFour(__m128i from, __m128i to) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = keptOfTwo(_mm_unpacklo_epi8(to, zero), _mm_unpacklo_epi8(from, zero));
    const __m128i high = keptOfTwo(_mm_unpackhi_epi8(to, zero), _mm_unpackhi_epi8(from, zero));
    return _mm_adds_epu8(from, _mm_packus_epi16(low, high));
}

inline __m128i load(const uint32_t* pixels) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels)); }

inline __m128i sourceOverFour(const uint32_t* source, const uint32_t* destination) {
    return sourceOverFour(load(source), load(destination));
}

// A colour (its channels in 16-bit lanes, twice) scaled by two pixels'
// shares (each in its pixel's four lanes), rounded as keptOf rounds: the
// product plus 128 fits 16 bits.
inline __m128i scaledTwo(__m128i colour, __m128i shares) {
    const __m128i scaled = _mm_add_epi16(_mm_mullo_epi16(colour, shares), _mm_set1_epi16(128));
    return _mm_mulhi_epu16(scaled, _mm_set1_epi16(257));
}

// The solid colour over four pixels at their coverage, as the scalar loop.
// The four coverage bytes are spread by unpacking, not one by one: a dot's
// row is a single four, and building the shares was most of its cost.
inline __m128i solidOverFour(__m128i colour, const uint8_t* coverage, __m128i to) {
    int32_t bytes = 0;
    std::memcpy(&bytes, coverage, sizeof bytes);
    const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), _mm_setzero_si128());
    const __m128i pairs = _mm_unpacklo_epi16(words, words);
    const __m128i fromLow = scaledTwo(colour, _mm_unpacklo_epi32(pairs, pairs));
    const __m128i fromHigh = scaledTwo(colour, _mm_unpackhi_epi32(pairs, pairs));
    // sourceOverFour, its source already in 16-bit lanes.
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = keptOfTwo(_mm_unpacklo_epi8(to, zero), fromLow);
    const __m128i high = keptOfTwo(_mm_unpackhi_epi8(to, zero), fromHigh);
    return _mm_adds_epu8(_mm_packus_epi16(fromLow, fromHigh), _mm_packus_epi16(low, high));
}

inline void store(uint32_t* destination, __m128i pixels) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination), pixels);
}

#endif

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

void blendSolidFours(uint32_t colour, const uint8_t* coverage, uint32_t* destination, int32_t fours) {
#if defined(__SSE2__)
    const __m128i wide = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), _mm_setzero_si128());
    for (int32_t i = 0; i < fours * kVector; i += kVector)
        store(destination + i, solidOverFour(wide, coverage + i, load(destination + i)));
#else
    blendSolidRow(colour, coverage, destination, fours * 4);
#endif
}

void blendSolidStamp(uint32_t colour, const StampRows& stamp, uint8_t* destination, int64_t rowBytes) {
#if defined(__SSE2__)
    const __m128i wide = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), _mm_setzero_si128());
#endif
    for (int32_t row = 0; row < stamp.count; ++row, destination += rowBytes) {
        const int32_t first = stamp.first[row];
        const int32_t last = stamp.last[row];
        if (last < first) continue;
        const uint8_t* coverage = stamp.coverage + row * stamp.coverageStride + first;
        uint32_t* pixels = reinterpret_cast<uint32_t*>(destination) + first;
#if defined(__SSE2__)
        const int32_t end = last - first + 1;
        for (int32_t i = 0; i < end; i += kVector) store(pixels + i, solidOverFour(wide, coverage + i, load(pixels + i)));
#else
        blendSolidRow(colour, coverage, pixels, last - first + 1);
#endif
    }
}

void blendRow(const uint32_t* source, uint32_t* destination, int32_t count) {
#if defined(__SSE2__)
    if (count >= kVector) {
        // The last four pixels are blended from the destination as it is
        // and stored after the others: the vectors before may overlap them,
        // and a pixel blended twice would come out darker.
        const int32_t lastVector = count - kVector;
        const __m128i last = sourceOverFour(source + lastVector, destination + lastVector);
        for (int32_t i = 0; i < lastVector; i += kVector)
            store(destination + i, sourceOverFour(source + i, destination + i));
        store(destination + lastVector, last);
        return;
    }
#endif
    for (int32_t i = 0; i < count; ++i) destination[i] = sourceOver(source[i], destination[i]);
}

InkSpan inkSpanOf(const uint32_t* pixels, int32_t first, int32_t count) {
    int32_t left = 0;
    while (left < count && pixels[left] == 0) ++left;
    if (left == count) return InkSpan{};
    int32_t right = count - 1;
    while (pixels[right] == 0) --right;
    return InkSpan{static_cast<int16_t>(first + left), static_cast<int16_t>(first + right)};
}

}  // namespace render
