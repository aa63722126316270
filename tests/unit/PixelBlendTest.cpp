// The blend of a kept picture's pixels into a frame, against the rule it
// stands for: premultiplied source over, each channel the source's plus the
// destination's times what the source's alpha leaves, rounded to nearest,
// at most 255.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/PixelBlend.h"

namespace {

uint32_t sourceOverByTheRule(uint32_t source, uint32_t destination) {
    const uint32_t left = 255u - (source >> 24);
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t kept = (((destination >> shift) & 0xffu) * left + 127u) / 255u;
        const uint32_t sum = ((source >> shift) & 0xffu) + kept;
        result |= (sum > 255u ? 255u : sum) << shift;
    }
    return result;
}

// Every length a row may have (the vectors, their overlapping last one and
// rows shorter than one), at every alignment; sources transparent (skipped
// as nothing), premultiplied, colour without alpha and colour past alpha.
TEST(PixelBlend, EveryRowBlendsEachPixelOnceByTheRule) {
    uint32_t state = 12345u;
    const auto next = [&state] { return state = state * 1664525u + 1013904223u; };
    for (int count = 0; count <= 19; ++count) {
        for (int offset = 0; offset < 4; ++offset) {
            std::vector<uint32_t> source(count + offset);
            std::vector<uint32_t> destination(count + offset + 1);
            for (uint32_t& pixel : destination) pixel = next();
            for (uint32_t& pixel : source) {
                const uint32_t kind = next() % 4;
                const uint32_t alpha = next() >> 24;
                const uint32_t scale = kind == 1 ? alpha : 255u;
                uint32_t colour = 0;
                for (int shift = 0; shift < 24; shift += 8) colour |= ((next() >> 24) * scale / 255u) << shift;
                pixel = kind == 0 ? 0u : ((kind == 2 ? 0u : alpha) << 24) | colour;
            }
            const std::vector<uint32_t> before = destination;
            render::blendRow(source.data() + offset, destination.data() + offset, count);
            for (int i = 0; i < count + offset + 1; ++i) {
                const bool blended = i >= offset && i < count + offset;
                const uint32_t expected = blended ? sourceOverByTheRule(source[i], before[i]) : before[i];
                ASSERT_EQ(destination[i], expected) << "pixel " << i << " of " << count << " from " << offset;
            }
        }
    }
}

}  // namespace
