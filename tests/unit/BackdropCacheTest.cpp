// The module's backdrops: one per surface, painted again only when what it
// shows changes, all of them within the budget with the one drawn longest
// ago giving way first, and none for a surface that cannot have one.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include "gauge/BackdropCache.h"
#include "render/GdiPlusFlat.h"
#include "render/GdiPlusObjects.h"
#include "tests/support/TestSurface.h"

// Bitmap creation fails while asked to, as it does when GDI+ runs out of
// memory; attempts are counted. Every other call goes on to GDI+ itself.
namespace {
bool bitmapsFail = false;
int bitmapAttempts = 0;
}  // namespace

extern "C" gdip::GpStatus GdipCreateBitmapFromScan0(gdip::INT width, gdip::INT height, gdip::INT stride,
                                                    gdip::INT format, uint8_t* scan0, gdip::GpBitmap** bitmap) {
    using Create = gdip::GpStatus (*)(gdip::INT, gdip::INT, gdip::INT, gdip::INT, uint8_t*, gdip::GpBitmap**);
    static const Create real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "GdipCreateBitmapFromScan0"));
    ++bitmapAttempts;
    if (bitmapsFail) {
        *bitmap = nullptr;
        return gdip::kOutOfMemory;
    }
    return real(width, height, stride, format, scan0, bitmap);
}

namespace quillon {
namespace {

int ownerA = 0;
int ownerB = 0;

host::DeviceContext surface(int n) { return reinterpret_cast<host::DeviceContext>(static_cast<uintptr_t>(0x1000 + n)); }

BackdropContent content(int32_t width, int32_t height, float rangeNm = 40.0f, int32_t mode = 2) {
    return BackdropContent{mode, rangeNm, width, height, 0xff001400u};
}

class Backdrops : public ::testing::Test {
protected:
    void SetUp() override {
        testing::ensureGdiplusStarted();
        bitmapsFail = false;
        bitmapAttempts = 0;
    }
    void TearDown() override {
        cache.releaseOwner(&ownerA);
        cache.releaseOwner(&ownerB);
        bitmapsFail = false;
    }
    BackdropCache cache;
};

TEST_F(Backdrops, KeepTheirBitmapAndRepaintOnlyWhenWhatTheyShowChanges) {
    const BackdropLease first = cache.lease(&ownerA, surface(1), content(100, 80));
    ASSERT_NE(first.backdrop, nullptr);
    EXPECT_TRUE(first.repaint);
    EXPECT_FALSE(cache.lease(&ownerA, surface(1), content(100, 80)).repaint);

    // A range or view change paints the same bitmap again.
    const BackdropLease ranged = cache.lease(&ownerA, surface(1), content(100, 80, 20.0f));
    EXPECT_EQ(ranged.backdrop, first.backdrop);
    EXPECT_TRUE(ranged.repaint);
    EXPECT_TRUE(cache.lease(&ownerA, surface(1), content(100, 80, 20.0f, 4)).repaint);
    EXPECT_EQ(bitmapAttempts, 1);

    // Another gauge on the same surface has a backdrop of its own.
    EXPECT_TRUE(cache.lease(&ownerB, surface(1), content(100, 80, 20.0f, 4)).repaint);

    const BackdropLease resized = cache.lease(&ownerA, surface(1), content(121, 80, 20.0f, 4));
    ASSERT_NE(resized.backdrop, nullptr);
    EXPECT_TRUE(resized.repaint);
    EXPECT_EQ(resized.backdrop->width(), 121);
    EXPECT_EQ(cache.bytesHeld(), (121 * 80 + 100 * 80) * 4);

    cache.releaseOwner(&ownerA);
    cache.releaseOwner(&ownerB);
    EXPECT_EQ(cache.bytesHeld(), 0);
    EXPECT_EQ(cache.backdropsHeld(), 0);
}

// A surface resized by a pixel or two gets a new bitmap in the storage it
// had, counted at that storage's size; storage that a size would fill less
// than half of is given back.
TEST_F(Backdrops, KeepTheirStorageAcrossResizesThatFillAtLeastHalfOfIt) {
    const BackdropLease first = cache.lease(&ownerA, surface(1), content(100, 100));
    ASSERT_NE(first.backdrop, nullptr);
    for (const auto& [w, h] : {std::pair{99, 100}, {100, 100}, {50, 100}, {100, 50}}) {
        const BackdropLease resized = cache.lease(&ownerA, surface(1), content(w, h));
        ASSERT_NE(resized.backdrop, nullptr) << w << " x " << h;
        EXPECT_TRUE(resized.repaint);
        EXPECT_EQ(resized.backdrop->width(), w);
        EXPECT_EQ(resized.backdrop->height(), h);
        EXPECT_EQ(cache.bytesHeld(), 100 * 100 * 4) << w << " x " << h;
    }
    EXPECT_NE(cache.lease(&ownerA, surface(1), content(49, 100)).backdrop, nullptr);
    EXPECT_EQ(cache.bytesHeld(), 49 * 100 * 4);
    EXPECT_NE(cache.lease(&ownerA, surface(1), content(101, 100)).backdrop, nullptr);
    EXPECT_EQ(cache.bytesHeld(), 101 * 100 * 4);

    // Growing makes room within the budget like a new backdrop.
    cache.setBudgetBytes(2 * 101 * 100 * 4);
    ASSERT_NE(cache.lease(&ownerB, surface(2), content(101, 100)).backdrop, nullptr);
    ASSERT_NE(cache.lease(&ownerB, surface(2), content(102, 100)).backdrop, nullptr);
    EXPECT_EQ(cache.bytesHeld(), 102 * 100 * 4);
    EXPECT_EQ(cache.lease(&ownerA, surface(1), content(101, 100)).repaint, true);  // made again
    EXPECT_LE(cache.bytesHeld(), cache.budgetBytes());
}

TEST_F(Backdrops, StayWithinTheBudgetTheOneDrawnLongestAgoGivingWayFirst) {
    cache.setBudgetBytes(3 * 100 * 100 * 4);
    for (int n = 1; n <= 3; ++n) ASSERT_NE(cache.lease(&ownerA, surface(n), content(100, 100)).backdrop, nullptr);
    cache.lease(&ownerA, surface(1), content(100, 100));  // 2 is now the oldest
    ASSERT_NE(cache.lease(&ownerA, surface(4), content(100, 100)).backdrop, nullptr);
    EXPECT_EQ(cache.bytesHeld(), 3 * 100 * 100 * 4);
    EXPECT_FALSE(cache.lease(&ownerA, surface(1), content(100, 100)).repaint);
    EXPECT_FALSE(cache.lease(&ownerA, surface(3), content(100, 100)).repaint);
    EXPECT_TRUE(cache.lease(&ownerA, surface(2), content(100, 100)).repaint);  // made again

    // A surface larger than the whole budget is drawn directly, and the
    // backdrop it had goes at once.
    EXPECT_EQ(cache.lease(&ownerA, surface(3), content(201, 200)).backdrop, nullptr);
    EXPECT_EQ(cache.bytesHeld(), 2 * 100 * 100 * 4);

    // A lowered budget frees the oldest at once; a zero budget holds nothing.
    cache.setBudgetBytes(100 * 100 * 4);
    EXPECT_EQ(cache.bytesHeld(), 100 * 100 * 4);
    cache.setBudgetBytes(0);
    EXPECT_EQ(cache.bytesHeld(), 0);
    EXPECT_EQ(cache.lease(&ownerA, surface(1), content(1, 1)).backdrop, nullptr);
}

TEST_F(Backdrops, HostileSizesAndCountsStayBounded) {
    for (const auto& [w, h] : {std::pair{0, 0}, {0, 100}, {100, 0}, {-1, 100}, {100, -7}, {-32767, -32767},
                               {32767, 32767}, {32767, 1 << 30}})
        EXPECT_EQ(cache.lease(&ownerA, surface(1), content(w, h)).backdrop, nullptr) << w << " x " << h;
    EXPECT_NE(cache.lease(&ownerA, surface(1), content(1, 1)).backdrop, nullptr);
    EXPECT_NE(cache.lease(&ownerA, surface(1), content(2047, 3)).backdrop, nullptr);

    // A thousand surfaces, and a surface resized in every frame.
    for (int n = 0; n < 1000; ++n) cache.lease(&ownerA, surface(n), content(10 + n % 7, 10));
    for (int frame = 0; frame < 200; ++frame) cache.lease(&ownerB, surface(0), content(1 + frame * 13, 1 + frame * 7));
    EXPECT_LE(cache.backdropsHeld(), BackdropCache::kSlots);
    EXPECT_LE(cache.bytesHeld(), cache.budgetBytes());
}

TEST_F(Backdrops, ABitmapThatCannotBeMadeIsNotTriedAgainUntilTheSizeChanges) {
    bitmapsFail = true;
    EXPECT_EQ(cache.lease(&ownerA, surface(1), content(64, 64)).backdrop, nullptr);
    EXPECT_EQ(cache.lease(&ownerA, surface(1), content(64, 64, 20.0f)).backdrop, nullptr);
    EXPECT_EQ(bitmapAttempts, 1);
    EXPECT_EQ(cache.bytesHeld(), 0);

    bitmapsFail = false;
    const BackdropLease resized = cache.lease(&ownerA, surface(1), content(65, 64));
    ASSERT_NE(resized.backdrop, nullptr);
    EXPECT_TRUE(resized.repaint);
    EXPECT_EQ(cache.bytesHeld(), 65 * 64 * 4);
}

// The tags' atlas reads back where its texts put ink: the pixels must be
// the very ones drawn, where they were drawn, with nothing elsewhere.
TEST(ReadableBackdrop, HoldsThePixelsDrawnOnIt) {
    testing::ensureGdiplusStarted();
    render::Backdrop backdrop;
    ASSERT_TRUE(backdrop.create(40, 20, true));
    ASSERT_NE(backdrop.pixels(), nullptr);
    render::SolidBrush brush(0xff00ff00u);
    const render::Pen pen(brush, 2.0f, gdip::kUnitPixel);
    backdrop.graphics().clear(0x00000000u);
    backdrop.graphics().drawLine(pen, 10.0f, 5.0f, 30.0f, 5.0f);  // covers rows 4 and 5
    const uint32_t* pixels = backdrop.pixels();
    int inked = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool onLine = x >= 10 && x < 30 && (y == 4 || y == 5);
            if (onLine) EXPECT_EQ(pixels[y * 40 + x], 0xff00ff00u) << x << "," << y;
            if (!onLine && (x < 9 || x > 30 || y < 3 || y > 6)) EXPECT_EQ(pixels[y * 40 + x], 0u) << x << "," << y;
            inked += pixels[y * 40 + x] != 0 ? 1 : 0;
        }
    EXPECT_GE(inked, 40);
}

}  // namespace
}  // namespace quillon
