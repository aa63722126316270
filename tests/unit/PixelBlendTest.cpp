// The blend of kept pictures into a frame against its rule: premultiplied
// source over, each channel the source's plus the destination's times what
// the source's alpha leaves, rounded to nearest, at most 255.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/PixelBlend.h"

namespace {

uint32_t byTheRule(uint32_t source, uint32_t destination) {
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t kept = (((destination >> shift) & 0xffu) * (255u - (source >> 24)) + 127u) / 255u;
        const uint32_t sum = ((source >> shift) & 0xffu) + kept;
        result |= (sum > 255u ? 255u : sum) << shift;
    }
    return result;
}

// Rows of every length (whole vectors, an overlapping last one, shorter
// than one) at every alignment, of pixels transparent, premultiplied, with
// colour but no alpha, and with colour past alpha: each pixel blended once,
// none beside the row.
TEST(PixelBlend, EveryRowBlendsEachPixelOnceByTheRule) {
    uint32_t state = 12345u;
    const auto byte = [&state] { return (state = state * 1664525u + 1013904223u) >> 24; };
    for (int count = 0; count <= 19; ++count) {
        for (int offset = 0; offset < 4; ++offset) {
            std::vector<uint32_t> source(count + offset);
            std::vector<uint32_t> destination(count + offset + 1);
            for (uint32_t& pixel : destination) pixel = byte() << 24 | byte() << 16 | byte() << 8 | byte();
            for (uint32_t& pixel : source) {
                const uint32_t kind = byte() % 4;
                const uint32_t alpha = kind == 2 ? 0u : byte();
                const uint32_t most = kind == 1 ? alpha : 255u;
                const uint32_t colour = byte() * most / 255 << 16 | byte() * most / 255 << 8 | byte() * most / 255;
                pixel = kind == 0 ? 0u : alpha << 24 | colour;
            }
            const std::vector<uint32_t> before = destination;
            render::blendRow(source.data() + offset, destination.data() + offset, count);
            for (int i = 0; i < count + offset + 1; ++i) {
                const bool blended = i >= offset && i < count + offset;
                ASSERT_EQ(destination[i], blended ? byTheRule(source[i], before[i]) : before[i])
                    << "pixel " << i << " of " << count << " from " << offset;
            }
        }
    }
}

// The dots' rows in fours blend a solid colour exactly as the scalar row
// does, at every coverage, touching nothing past the fours.
TEST(PixelBlend, SolidRowsInFoursBlendAsTheScalarRow) {
    uint32_t state = 777u;
    const auto byte = [&state] { return (state = state * 1664525u + 1013904223u) >> 24; };
    for (int fours = 0; fours <= 3; ++fours) {
        const int count = 4 * fours;
        for (int trial = 0; trial < 40; ++trial) {
            const uint32_t alpha = trial % 3 == 0 ? 255u : byte();
            const uint32_t colour =
                alpha << 24 | byte() * alpha / 255 << 16 | byte() * alpha / 255 << 8 | byte() * alpha / 255;
            std::vector<uint8_t> coverage(count);
            for (uint8_t& share : coverage) share = static_cast<uint8_t>(byte() % 3 == 0 ? (byte() & 1) * 255 : byte());
            std::vector<uint32_t> scalar(count + 1);
            for (uint32_t& pixel : scalar) pixel = byte() << 24 | byte() << 16 | byte() << 8 | byte();
            std::vector<uint32_t> vector = scalar;
            render::blendSolidRow(colour, coverage.data(), scalar.data(), count);
            render::blendSolidFours(colour, coverage.data(), vector.data(), fours);
            ASSERT_EQ(vector, scalar) << count << " pixels, colour " << std::hex << colour;
        }
    }
}

}  // namespace
