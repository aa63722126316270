// The module's drawing memory: backdrops (one per surface, painted again only
// when what it shows changes) and tag atlases, each kind within its bound,
// pictures in use never thrown out for a newcomer, and none for a surface
// that cannot have one.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>

#include "gauge/DrawingMemory.h"
#include "render/ColourScheme.h"
#include "render/SharedGdiObjects.h"
#include "views/AltitudeTags.h"
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
        memory.releaseOwner(&ownerA);
        memory.releaseOwner(&ownerB);
        memory.releaseTextAtlases();
        bitmapsFail = false;
    }
    // As the gauge leases: what it is told to repaint, it paints.
    BackdropLease lease(const void* owner, host::DeviceContext at, const BackdropContent& shown) {
        const BackdropLease leased = memory.leaseBackdrop(owner, at, shown);
        if (leased.repaint) memory.markPainted(leased);
        return leased;
    }
    int64_t bytesHeld() const { return memory.bytesHeld(DrawingMemory::kBackdrops); }
    void setBound(int64_t bytes) { memory.setBoundBytes(bytes); }
    DrawingMemory memory;
};

TEST_F(Backdrops, KeepTheirBitmapAndRepaintOnlyWhenWhatTheyShowChanges) {
    const BackdropLease first = lease(&ownerA, surface(1), content(100, 80));
    ASSERT_NE(first.bitmap, nullptr);
    EXPECT_TRUE(first.repaint);
    EXPECT_FALSE(lease(&ownerA, surface(1), content(100, 80)).repaint);

    // A range or view change paints the same bitmap again.
    const BackdropLease ranged = lease(&ownerA, surface(1), content(100, 80, 20.0f));
    EXPECT_EQ(ranged.bitmap, first.bitmap);
    EXPECT_TRUE(ranged.repaint);
    EXPECT_TRUE(lease(&ownerA, surface(1), content(100, 80, 20.0f, 4)).repaint);
    EXPECT_EQ(bitmapAttempts, 1);

    // Another gauge on the same surface has a backdrop of its own.
    EXPECT_TRUE(lease(&ownerB, surface(1), content(100, 80, 20.0f, 4)).repaint);

    const BackdropLease resized = lease(&ownerA, surface(1), content(121, 80, 20.0f, 4));
    ASSERT_NE(resized.bitmap, nullptr);
    EXPECT_TRUE(resized.repaint);
    EXPECT_EQ(resized.bitmap->width(), 121);
    EXPECT_EQ(bytesHeld(), (121 * 80 + 100 * 80) * 4);

    memory.releaseOwner(&ownerA);
    memory.releaseOwner(&ownerB);
    EXPECT_EQ(bytesHeld(), 0);
    EXPECT_EQ(memory.picturesHeld(DrawingMemory::kBackdrops), 0);
}

// A surface resized by a pixel or two gets a new bitmap in the storage it
// had, counted at that storage's size; storage that a size would fill less
// than half of is given back.
TEST_F(Backdrops, KeepTheirStorageAcrossResizesThatFillAtLeastHalfOfIt) {
    const BackdropLease first = lease(&ownerA, surface(1), content(100, 100));
    ASSERT_NE(first.bitmap, nullptr);
    for (const auto& [w, h] : {std::pair{99, 100}, {100, 100}, {50, 100}, {100, 50}}) {
        const BackdropLease resized = lease(&ownerA, surface(1), content(w, h));
        ASSERT_NE(resized.bitmap, nullptr) << w << " x " << h;
        EXPECT_TRUE(resized.repaint);
        EXPECT_EQ(resized.bitmap->width(), w);
        EXPECT_EQ(resized.bitmap->height(), h);
        EXPECT_EQ(bytesHeld(), 100 * 100 * 4) << w << " x " << h;
    }
    EXPECT_NE(lease(&ownerA, surface(1), content(49, 100)).bitmap, nullptr);
    EXPECT_EQ(bytesHeld(), 49 * 100 * 4);
    EXPECT_NE(lease(&ownerA, surface(1), content(101, 100)).bitmap, nullptr);
    EXPECT_EQ(bytesHeld(), 101 * 100 * 4);

    // Growing makes room within the budget like a new backdrop.
    setBound(2 * 101 * 100 * 4);
    ASSERT_NE(lease(&ownerB, surface(2), content(101, 100)).bitmap, nullptr);
    ASSERT_NE(lease(&ownerB, surface(2), content(102, 100)).bitmap, nullptr);
    EXPECT_EQ(bytesHeld(), 102 * 100 * 4);
    // A went unused while B grew, so it gave way; now B is in use.
    EXPECT_EQ(lease(&ownerA, surface(1), content(101, 100)).bitmap, nullptr);
    EXPECT_LE(bytesHeld(), memory.boundBytes());
}

// More surfaces than the bound holds, drawn in turn as a panel window of
// six large gauges draws them: those with a backdrop keep it and the others
// draw directly; nothing is made again. A surface no longer drawn gives way
// to one that is, and the bound holds throughout.
TEST_F(Backdrops, PicturesInUseAreNeverThrownOutForANewcomer) {
    const int64_t each = 1024 * 1024 * 4;
    setBound(4 * each);
    int copied[7] = {};
    for (int frame = 0; frame < 20; ++frame)
        for (int n = 1; n <= 6; ++n) copied[n] += lease(&ownerA, surface(n), content(1024, 1024)).bitmap != nullptr;
    EXPECT_EQ(memory.picturesMade(DrawingMemory::kBackdrops), 4u) << "rebuilt to be thrown out again";
    EXPECT_EQ(memory.picturesHeld(DrawingMemory::kBackdrops), 4);
    EXPECT_EQ(bytesHeld(), 4 * each);
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(copied[n], 20) << n;
    EXPECT_EQ(copied[5] + copied[6], 0);

    // Surface 2's window closes: after one round, 5 takes its memory.
    for (int frame = 0; frame < 3; ++frame)
        for (int n : {1, 3, 4, 5, 6}) lease(&ownerA, surface(n), content(1024, 1024));
    EXPECT_EQ(memory.picturesMade(DrawingMemory::kBackdrops), 5u);
    EXPECT_FALSE(lease(&ownerA, surface(5), content(1024, 1024)).repaint);
    EXPECT_EQ(lease(&ownerA, surface(2), content(1024, 1024)).bitmap, nullptr) << "back as a newcomer";
    EXPECT_EQ(bytesHeld(), 4 * each);

    // A surface larger than the whole bound is drawn directly, and the
    // backdrop it had goes at once.
    EXPECT_EQ(lease(&ownerA, surface(3), content(2049, 2048)).bitmap, nullptr);
    EXPECT_EQ(bytesHeld(), 3 * each);

    // A lowered bound frees the oldest at once; a zero bound holds nothing.
    setBound(each);
    EXPECT_EQ(bytesHeld(), each);
    setBound(0);
    EXPECT_EQ(bytesHeld(), 0);
    EXPECT_EQ(lease(&ownerA, surface(1), content(1, 1)).bitmap, nullptr);
}

// A repaint the caller has not confirmed is asked for again.
TEST_F(Backdrops, AreNotTakenAsPaintedUntilPainted) {
    const BackdropLease first = memory.leaseBackdrop(&ownerA, surface(1), content(10, 10));
    ASSERT_TRUE(first.repaint);
    EXPECT_TRUE(memory.leaseBackdrop(&ownerA, surface(1), content(10, 10)).repaint);
    memory.markPainted(first);
    EXPECT_FALSE(memory.leaseBackdrop(&ownerA, surface(1), content(10, 10)).repaint);
    EXPECT_TRUE(memory.leaseBackdrop(&ownerA, surface(1), content(10, 10, 20.0f)).repaint);
    EXPECT_TRUE(memory.leaseBackdrop(&ownerA, surface(1), content(10, 10, 20.0f)).repaint);
}

TEST_F(Backdrops, HostileSizesAndCountsStayBounded) {
    for (const auto& [w, h] : {std::pair{0, 0}, {0, 100}, {100, 0}, {-1, 100}, {100, -7}, {-32767, -32767},
                               {32767, 32767}, {32767, 1 << 30}})
        EXPECT_EQ(lease(&ownerA, surface(1), content(w, h)).bitmap, nullptr) << w << " x " << h;
    EXPECT_NE(lease(&ownerA, surface(1), content(1, 1)).bitmap, nullptr);
    EXPECT_NE(lease(&ownerA, surface(1), content(2047, 3)).bitmap, nullptr);

    // A thousand surfaces, and a surface resized in every frame.
    for (int n = 0; n < 1000; ++n) lease(&ownerA, surface(n), content(10 + n % 7, 10));
    for (int frame = 0; frame < 200; ++frame) lease(&ownerB, surface(0), content(1 + frame * 13, 1 + frame * 7));
    EXPECT_LE(memory.picturesHeld(DrawingMemory::kBackdrops), DrawingMemory::kBackdropSlots);
    EXPECT_LE(bytesHeld(), memory.boundBytes());
}

TEST_F(Backdrops, ABitmapThatCannotBeMadeIsNotTriedAgainUntilTheSizeChanges) {
    bitmapsFail = true;
    EXPECT_EQ(lease(&ownerA, surface(1), content(64, 64)).bitmap, nullptr);
    EXPECT_EQ(lease(&ownerA, surface(1), content(64, 64, 20.0f)).bitmap, nullptr);
    EXPECT_EQ(bitmapAttempts, 1);
    EXPECT_EQ(bytesHeld(), 0);

    bitmapsFail = false;
    const BackdropLease resized = lease(&ownerA, surface(1), content(65, 64));
    ASSERT_NE(resized.bitmap, nullptr);
    EXPECT_TRUE(resized.repaint);
    EXPECT_EQ(bytesHeld(), 65 * 64 * 4);
}

// Atlases of several megabytes each: one that does not fit beside those in
// use is refused (its tags are drawn as text) until one of them has gone
// unused for a round; one larger than the whole bound is never made. An
// atlas is one picture for one content: another font, format or pen width
// is another atlas.
TEST_F(Backdrops, TagAtlasesShareTheBoundAndFollowTheirContent) {
    render::ColourScheme scheme;
    render::createScheme(scheme, render::kGreenColours);
    ASSERT_TRUE(scheme.complete());
    render::StringFormat& format = render::sharedStringFormat(render::SharedFormat::AltitudeTag);
    const render::TextAtlasContent tags = altitudeTagAtlasContent(scheme, format);
    const DrawingMemory::Kind atlases = DrawingMemory::kTextAtlases;
    memory.setBoundBytes(int64_t{24} * 1024 * 1024);  // two of these atlases fit, three do not

    const render::TextAtlas* first = memory.textAtlas(tags, 1.1f, 1.1f);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(memory.textAtlas(tags, 1.1f, 1.1f), first);
    ASSERT_NE(memory.textAtlas(tags, 1.11f, 1.11f), nullptr);
    EXPECT_EQ(memory.textAtlas(tags, 1.12f, 1.12f), nullptr) << "both others are in use";
    for (int round = 0; round < 3; ++round) {
        EXPECT_NE(memory.textAtlas(tags, 1.1f, 1.1f), nullptr);
        EXPECT_NE(memory.textAtlas(tags, 1.11f, 1.11f), nullptr);
        EXPECT_EQ(memory.textAtlas(tags, 1.12f, 1.12f), nullptr);
    }
    EXPECT_EQ(memory.picturesMade(atlases), 2u);
    memory.textAtlas(tags, 1.1f, 1.1f);  // 1.11 goes unused for a round
    EXPECT_NE(memory.textAtlas(tags, 1.12f, 1.12f), nullptr);
    EXPECT_LE(memory.bytesHeld(atlases), memory.boundBytes());
    EXPECT_EQ(memory.textAtlas(tags, 2.4f, 2.4f), nullptr);
    EXPECT_EQ(memory.textAtlas(tags, 2.4f, 2.4f), nullptr);
    EXPECT_EQ(memory.picturesMade(atlases), 3u);

    memory.releaseTextAtlases();
    EXPECT_EQ(memory.bytesHeld(atlases), 0);
    ASSERT_NE(memory.textAtlas(tags, 0.2f, 0.2f), nullptr);
    render::TextAtlasContent wider = tags;
    wider.drawings.lineWidth = 3.0f;
    render::StringFormat otherFormat(0, 0x0409);  // another language
    render::TextAtlasContent otherFormatted = tags;
    otherFormatted.format = &otherFormat;
    const auto larger = render::createFontWithFallback(u"Tahoma", 33.0f, gdip::kFontStyleBold);
    render::TextAtlasContent largerFont = tags;
    largerFont.font = larger.get();
    for (const render::TextAtlasContent* other : {&wider, &otherFormatted, &largerFont}) {
        const uint64_t made = memory.picturesMade(atlases);
        EXPECT_NE(memory.textAtlas(*other, 0.2f, 0.2f), nullptr);
        EXPECT_EQ(memory.picturesMade(atlases), made + 1);
    }
    EXPECT_EQ(memory.picturesMade(atlases), 4u + 3u);
    memory.releaseTextAtlases();
    scheme.release();
}

// A block's picture follows the one policy: refused while it would push out
// a picture in use (the block is then drawn directly), made once a holder
// has gone unused since the block's previous request; it goes with its gauge.
TEST_F(Backdrops, BlockPicturesGiveWayAndTakeRoomByTheOnePolicy) {
    render::ColourScheme scheme;
    render::createScheme(scheme, render::kGreenColours);
    ASSERT_TRUE(scheme.complete());
    testing::TestSurface drawn(200, 200);
    render::TextBlock block;
    block.setStyle(*scheme.largeFont, render::sharedStringFormat(render::SharedFormat::CompactBlock),
                   *scheme.brightBrush, scheme.colours.bright);
    block.add({u"12.3NM", 500.0f, 40.0f, gdip::kStringAlignmentCenter, gdip::kStringAlignmentNear, -1, 0});
    auto picture = [&] { return memory.blockTexts(&ownerB, surface(2), drawn.graphics(), block, 0.2f, 0.2f); };
    setBound(100 * 80 * 4 + 4096);  // a backdrop and less than any block picture

    lease(&ownerA, surface(1), content(100, 80));
    EXPECT_EQ(picture(), nullptr);  // asked once: drawn directly
    lease(&ownerA, surface(1), content(100, 80));
    EXPECT_EQ(picture(), nullptr) << "the backdrop was used since the block's last request";
    EXPECT_EQ(memory.picturesMade(DrawingMemory::kBlockTexts), 0u);
    ASSERT_NE(picture(), nullptr);
    EXPECT_EQ(bytesHeld(), 0);
    EXPECT_GT(memory.bytesHeld(DrawingMemory::kBlockTexts), 0);

    memory.releaseOwner(&ownerB);
    EXPECT_EQ(memory.bytesHeld(DrawingMemory::kBlockTexts), 0);
    scheme.release();
}

// The tags' atlas reads back where its texts put ink: the pixels must be
// the very ones drawn, where they were drawn, with nothing elsewhere.
TEST(ReadableOffscreenBitmap, HoldsThePixelsDrawnOnIt) {
    testing::ensureGdiplusStarted();
    render::OffscreenBitmap backdrop;
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

// The drawing library runs a line with a coordinate that is not a number to
// the picture's corner: the whole picture is marked as drawn, whichever
// point it is of several stroked as one.
TEST(DrawnRegion, DrawingAtAPointThatIsNotANumberMarksTheWholePicture) {
    testing::ensureGdiplusStarted();
    render::OffscreenBitmap picture;
    ASSERT_TRUE(picture.create(256, 256, true));
    const render::SolidBrush brush(0xffffffffu);
    const render::Pen pen(brush, 1.0f, gdip::kUnitWorld);
    render::DrawnRegion region;
    region.reset(256, 256);
    render::Graphics& graphics = picture.graphics();
    graphics.markDrawingIn(&region);
    const float nan = std::nanf("");
    const render::PointF points[] = {{10.0f, 10.0f}, {20.0f, nan}, {30.0f, 30.0f}};
    graphics.drawLines(pen, points, 3);
    EXPECT_TRUE(region.all()) << "connected lines";
    region.clear();
    render::StrokePath path;
    path.addLine(10.0f, 10.0f, 20.0f, 20.0f);
    path.addLine(nan, 20.0f, 30.0f, 30.0f);
    graphics.drawPath(pen, path);
    EXPECT_TRUE(region.all()) << "a path";
    graphics.markDrawingIn(nullptr);
}

}  // namespace
}  // namespace quillon
