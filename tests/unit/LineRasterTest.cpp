#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "render/LineRaster.h"

namespace {

constexpr uint32_t kWhite = 0xffffffffu;
constexpr uint32_t kGuard = 0x12345678u;

// Rows of 8 pixels with a guard row above and below and a guard pixel at
// each end: a fill must stay inside.
struct Rows {
    static constexpr int kWidth = 8;
    static constexpr int kHeight = 6;
    int width, height, stride;
    std::vector<uint32_t> pixels;

    explicit Rows(int w = kWidth, int h = kHeight)
        : width(w), height(h), stride(w + 2), pixels(static_cast<size_t>((h + 2) * (w + 2)), 0u) {
        for (int y = 0; y < height + 2; ++y)
            for (int x = 0; x < stride; ++x)
                if (guard(x, y)) pixels[y * stride + x] = kGuard;
    }
    bool guard(int x, int y) const { return y == 0 || y == height + 1 || x == 0 || x == stride - 1; }
    render::PixelRows rows() {
        return render::PixelRows{reinterpret_cast<uint8_t*>(&pixels[stride + 1]), stride * 4, width, height};
    }
    int alpha(int x, int y) const { return static_cast<int>(pixels[(y + 1) * stride + x + 1] >> 24); }
    bool guardsKept() const {
        for (int y = 0; y < height + 2; ++y)
            for (int x = 0; x < stride; ++x)
                if (guard(x, y) && pixels[y * stride + x] != kGuard) return false;
        return true;
    }
};

render::QuadCorners box(double left, double top, double right, double bottom) {
    return render::QuadCorners{{left, right, right, left}, {top, top, bottom, bottom}};
}

// Each pixel takes the share of its square the shape covers, whichever way
// round its corners go; nothing outside the rows is touched, however far
// the shape reaches; a shape that is not a number is refused.
TEST(LineRaster, CoversEachPixelByItsShareAndStaysInsideTheRows) {
    {
        Rows target;
        render::BlendedBox blended;
        // 1.25 to 3.5 across, 2.5 to 4 down; corners the other way round.
        render::QuadCorners quad = box(1.25, 2.5, 3.5, 4.0);
        std::swap(quad.x[1], quad.x[3]);
        std::swap(quad.y[1], quad.y[3]);
        ASSERT_TRUE(render::blendConvexQuad(target.rows(), quad, kWhite, blended));
        EXPECT_EQ(target.alpha(1, 2), 96);   // 0.75 x 0.5
        EXPECT_EQ(target.alpha(2, 2), 128);  // 1 x 0.5
        EXPECT_EQ(target.alpha(3, 2), 64);   // 0.5 x 0.5
        EXPECT_EQ(target.alpha(2, 3), 255);
        EXPECT_EQ(target.alpha(3, 3), 128);
        EXPECT_EQ(target.alpha(0, 3), 0);
        EXPECT_EQ(target.alpha(4, 3), 0);
        EXPECT_EQ(target.alpha(2, 4), 0);
        EXPECT_EQ(blended.left, 1);
        EXPECT_EQ(blended.top, 2);
        EXPECT_EQ(blended.right, 3);
        EXPECT_EQ(blended.bottom, 3);
    }
    {
        // A slanted line's ink adds up to its area.
        Rows target;
        render::BlendedBox blended;
        render::QuadCorners quad;
        ASSERT_TRUE(render::lineQuad(1.3, 1.1, 6.7, 4.6, 1.0, quad));
        ASSERT_TRUE(render::blendConvexQuad(target.rows(), quad, kWhite, blended));
        double ink = 0.0;
        for (int y = 0; y < Rows::kHeight; ++y)
            for (int x = 0; x < Rows::kWidth; ++x) ink += target.alpha(x, y) / 255.0;
        EXPECT_NEAR(ink, std::hypot(5.4, 3.5), 0.05);
    }
    {
        Rows target;
        render::BlendedBox blended;
        // Wider than is filled here: left to the pen.
        EXPECT_FALSE(render::blendConvexQuad(target.rows(), box(-3000.0, -2.5, 3000.0, 9.5), kWhite, blended));
        ASSERT_TRUE(render::blendConvexQuad(target.rows(), box(-3.5, -2.5, 11.0, 9.5), kWhite, blended));
        EXPECT_TRUE(target.guardsKept());
        EXPECT_EQ(target.alpha(0, 0), 255);
        EXPECT_EQ(target.alpha(7, 5), 255);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        EXPECT_FALSE(render::blendConvexQuad(target.rows(), box(1.0, 1.0, nan, 2.0), kWhite, blended));
        EXPECT_FALSE(render::blendConvexQuad(target.rows(), box(1.0, 1.0, 2.0, 1e300), kWhite, blended));
        render::QuadCorners quad;
        EXPECT_FALSE(render::lineQuad(2.0, 2.0, 2.0, 2.0, 1.0, quad));
    }
}

}  // namespace

namespace {

// The stamped disc is the measured one at each phase's centre, clipped alike
// at every edge of the rows (and nothing outside them), and blended whole
// where it lies inside them.
TEST(DiscStamp, BlendsAsTheMeasuredDiscAtItsPhasesAndStaysInsideTheRows) {
    render::DiscStamp stamp;
    ASSERT_TRUE(render::makeDiscStamp(1.8, stamp));
    EXPECT_FALSE(render::makeDiscStamp(6.0, stamp)) << "wider than a stamp";
    EXPECT_FALSE(render::makeDiscStamp(std::numeric_limits<double>::quiet_NaN(), stamp));
    ASSERT_TRUE(render::makeDiscStamp(1.8, stamp));
    for (const double cx : {-1.0, 0.0, 3.0, 7.0, 8.5, 12.0, 15.5})
        for (const double cy : {-1.0, 2.0, 5.0, 9.0})
            for (int phase = 0; phase < render::DiscStamp::kPhases; ++phase) {
                const double x = cx + (phase + 0.5) / render::DiscStamp::kPhases;
                const double y = cy + (render::DiscStamp::kPhases - 0.5 - phase) / render::DiscStamp::kPhases;
                Rows measured(16, 10), stamped(16, 10);
                render::BlendedBox a, b;
                ASSERT_TRUE(render::blendDisc(measured.rows(), x, y, 1.8, kWhite, a));
                ASSERT_TRUE(render::blendDiscStamp(stamped.rows(), stamp, x, y, kWhite, b));
                EXPECT_EQ(measured.pixels, stamped.pixels) << x << ", " << y;
                EXPECT_TRUE(stamped.guardsKept()) << x << ", " << y;
                // The box marked for the next frame's repair holds every pixel blended.
                for (int py = 0; py < stamped.height; ++py)
                    for (int px = 0; px < stamped.width; ++px)
                        if (stamped.alpha(px, py) != 0)
                            EXPECT_TRUE(px >= b.left && px <= b.right && py >= b.top && py <= b.bottom)
                                << px << ", " << py << " outside the box of " << x << ", " << y;
            }
    Rows far;
    render::BlendedBox box;
    EXPECT_FALSE(render::blendDiscStamp(far.rows(), stamp, 1e300, 2.0, kWhite, box));
}

}  // namespace
