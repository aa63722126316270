// Frames composed off the surface, with the stand-in's GDI functions linked
// in as a host provides them: the frame buffer starts from the backdrop's
// pixels, reaches the surface in one blit row for row, and is counted with
// its backdrop against the budget. (The unit tests run without GDI and so
// cover the copy by GDI+ that a host without it gets.)
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "gauge/DrawingMemory.h"
#include "render/ColourScheme.h"
#include "render/FrameBuffer.h"
#include "render/GdiFlat.h"
#include "render/GdiPlusObjects.h"
#include "render/PixelBlend.h"
#include "sim/Gdi32Layer.h"
#include "sim/GdiPlusSessionLayer.h"
#include "tests/support/TestSurface.h"

namespace quillon {
namespace {

int owner = 0;

host::DeviceContext surface(int n) { return reinterpret_cast<host::DeviceContext>(static_cast<uintptr_t>(0x1000 + n)); }

BackdropContent content(int32_t width, int32_t height) {
    return BackdropContent{2, 40.0f, width, height, 0xff001400u};
}

constexpr int64_t kPicture = 100 * 80 * 4;

// Each surface keeps its frame buffer from frame to frame; they count
// against the store's one bound, and a surface goes without one (its
// backdrop copied by GDI+) when the pictures in use leave no room.
TEST(FrameBuffers, AreKeptPerSurfaceAndCountedAgainstTheBound) {
    testing::ensureGdiplusStarted();
    ASSERT_TRUE(render::FrameBuffer::available());
    DrawingMemory memory;
    render::FrameBuffer* first = memory.frameBuffer(&owner, surface(1), 100, 80);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->width(), 100);
    EXPECT_EQ(memory.frameBuffer(&owner, surface(1), 100, 80), first) << "the surface keeps it";
    render::FrameBuffer* second = memory.frameBuffer(&owner, surface(2), 100, 80);
    EXPECT_NE(second, nullptr);
    EXPECT_NE(second, first) << "another surface of the size has its own";
    EXPECT_EQ(memory.frameBuffer(&owner, surface(2), 101, 80)->width(), 101) << "resized with its surface";
    EXPECT_EQ(memory.bytesHeld(DrawingMemory::kFrameBuffers), kPicture + 101 * 80 * 4);
    EXPECT_EQ(memory.picturesMade(DrawingMemory::kFrameBuffers), 3u);

    // A backdrop in use and a bound with room for one picture more: the
    // frame buffer used longest ago gives way only once it is idle.
    memory.setBoundBytes(4 * kPicture);
    ASSERT_NE(memory.leaseBackdrop(&owner, surface(1), content(100, 80)).bitmap, nullptr);
    EXPECT_EQ(memory.frameBuffer(&owner, surface(3), 102, 80), nullptr) << "no room beside the pictures in use";
    // A lowered bound frees what was used longest ago.
    memory.setBoundBytes(2 * kPicture);
    EXPECT_LE(memory.bytesHeld(), 2 * kPicture);
    memory.releaseOwner(&owner);
    memory.releaseFrameBuffers();
    EXPECT_EQ(memory.bytesHeld(), 0);
}

// A frame buffer whose graphics was given up (a view container that did not
// close) holds its section until it is made again: counted meanwhile, and
// made again in its own room.
TEST(FrameBuffers, WithoutTheirGraphicsAreCountedUntilMadeAgain) {
    testing::ensureGdiplusStarted();
    DrawingMemory memory;
    render::FrameBuffer* frame = memory.frameBuffer(&owner, surface(1), 100, 80);
    ASSERT_NE(frame, nullptr);
    frame->graphics(1.0f, 1.0f).release();
    EXPECT_EQ(memory.bytesHeld(DrawingMemory::kFrameBuffers), kPicture);
    memory.setBoundBytes(kPicture);
    EXPECT_EQ(memory.frameBuffer(&owner, surface(1), 100, 80), frame);
    memory.setBoundBytes(0);
    EXPECT_EQ(memory.bytesHeld(), 0);
    memory.releaseFrameBuffers();
}

// Six surfaces drawn in turn with room for six backdrops and two frame
// buffers: every surface keeps its backdrop (frame buffers give way to
// backdrops), two keep frame buffers, which the others borrow, and nothing
// is made again.
TEST(FrameBuffers, GiveWayToBackdropsWithoutThrashing) {
    testing::ensureGdiplusStarted();
    DrawingMemory memory;
    memory.setBoundBytes(8 * kPicture);
    int composed = 0;
    for (int round = 0; round < 5; ++round) {
        composed = 0;
        for (int n = 1; n <= 6; ++n) {
            ASSERT_NE(memory.leaseBackdrop(&owner, surface(n), content(100, 80)).bitmap, nullptr) << n;
            composed += memory.frameBuffer(&owner, surface(n), 100, 80) != nullptr;
        }
    }
    EXPECT_EQ(composed, 6);
    EXPECT_EQ(memory.picturesHeld(DrawingMemory::kFrameBuffers), 2);
    EXPECT_EQ(memory.picturesHeld(DrawingMemory::kBackdrops), 6);
    EXPECT_LE(memory.picturesMade(DrawingMemory::kFrameBuffers), 6u) << "made again to be thrown out again";
    memory.releaseOwner(&owner);
    EXPECT_EQ(memory.bytesHeld(), 0);
}

TEST(FrameBuffers, StartFromTheBackdropAndReachTheSurfaceRowForRow) {
    testing::ensureGdiplusStarted();
    testing::TestSurface target(60, 40);
    target.clear(0xff000000u);
    render::OffscreenBitmap backdrop;
    ASSERT_TRUE(backdrop.create(50, 30, true));
    render::SolidBrush red(0xffff0000u);
    render::SolidBrush green(0xff00ff00u);
    const render::Pen redPen(red, 2.0f, gdip::kUnitPixel);
    const render::Pen greenPen(green, 2.0f, gdip::kUnitPixel);
    backdrop.graphics().clear(0xff0000ffu);
    backdrop.graphics().drawLine(redPen, 0.0f, 3.0f, 50.0f, 3.0f);  // rows 2 and 3

    render::FrameBuffer frame;
    ASSERT_TRUE(frame.create(50, 30));
    ASSERT_TRUE(frame.startFrom(backdrop, 0));
    frame.graphics(1.0f, 1.0f).drawLine(greenPen, 41.0f, 0.0f, 41.0f, 30.0f);  // columns 40 and 41
    ASSERT_TRUE(frame.blitTo(target.deviceContext()));

    EXPECT_EQ(target.pixel(10, 2), 0xffff0000u);   // the backdrop's line, at the top
    EXPECT_EQ(target.pixel(10, 26), 0xff0000ffu);  // not flipped to the bottom
    EXPECT_EQ(target.pixel(40, 20), 0xff00ff00u);  // drawn on the frame
    EXPECT_EQ(target.pixel(49, 29), 0xff0000ffu);  // the picture's last pixel
    EXPECT_EQ(target.pixel(50, 29), 0xff000000u);  // nothing beyond it
    EXPECT_EQ(target.pixel(10, 30), 0xff000000u);

    render::OffscreenBitmap other;
    ASSERT_TRUE(other.create(49, 30, true));
    EXPECT_FALSE(frame.startFrom(other, 0)) << "a backdrop of another size";
}

// A picture's cell blended as memory looks as GDI+ copies it: within one
// level of a channel, over an opaque ground and over a line; blended only
// over each row's ink, it is the same bytes as blended whole.
TEST(FrameBuffers, BlendAPictureAsGdiPlusCopiesIt) {
    testing::ensureGdiplusStarted();
    render::OffscreenBitmap picture;
    ASSERT_TRUE(picture.create(120, 40, true));
    picture.graphics().clear(0x00000000u);
    picture.graphics().setSmoothingMode(gdip::kSmoothingModeAntiAlias);
    picture.graphics().setTextRenderingHint(3);  // anti-aliased, grid-fitted, as the block pictures
    render::SolidBrush amber(0xffd08020u);
    const std::unique_ptr<render::FontFamily> family(render::FontFamily::genericSansSerif());
    ASSERT_NE(family, nullptr);
    render::Font font;
    ASSERT_TRUE(font.create(*family, 14.0f, 0, gdip::kUnitPixel));
    picture.graphics().drawText(u"FL350 12.5NM", -1, font, 2.0f, 2.0f, nullptr, &amber);
    const render::Pen half(amber, 3.0f, gdip::kUnitPixel);
    picture.graphics().drawLine(half, 5.0f, 35.0f, 110.0f, 30.0f);

    render::OffscreenBitmap ground;
    ASSERT_TRUE(ground.create(100, 60, true));
    render::SolidBrush blue(0xff203060u);
    const render::Pen cross(blue, 5.0f, gdip::kUnitPixel);
    ground.graphics().clear(0xff001400u);
    ground.graphics().drawLine(cross, 0.0f, 30.0f, 100.0f, 30.0f);

    render::FrameBuffer blended;
    ASSERT_TRUE(blended.create(100, 60));
    ASSERT_TRUE(blended.startFrom(ground, 0));
    ASSERT_TRUE(blended.blendOver(picture, 10, 0, 110, 40, -3, 12));  // clipped on three sides
    render::FrameBuffer copied;
    ASSERT_TRUE(copied.create(100, 60));
    ASSERT_TRUE(copied.startFrom(ground, 0));
    render::Graphics& graphics = copied.graphics(1.0f, 1.0f);
    graphics.setInterpolationMode(gdip::kInterpolationModeNearestNeighbor);
    graphics.drawBitmapPart(picture, render::RectF{-3.0f, 12.0f, 110.0f, 40.0f}, render::RectF{10.0f, 0.0f, 110.0f, 40.0f});

    testing::TestSurface a(100, 60);
    testing::TestSurface b(100, 60);
    ASSERT_TRUE(blended.blitTo(a.deviceContext()));
    ASSERT_TRUE(copied.blitTo(b.deviceContext()));
    int largest = 0;
    int inked = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 100; ++x) {
            inked += a.pixel(x, y) != ground.pixels()[y * 100 + x] ? 1 : 0;
            for (int shift = 0; shift < 24; shift += 8)
                largest = std::max(largest, std::abs(static_cast<int>((a.pixel(x, y) >> shift) & 0xff) -
                                                     static_cast<int>((b.pixel(x, y) >> shift) & 0xff)));
        }
    }
    EXPECT_GT(inked, 200) << "nothing blended";
    EXPECT_LE(largest, 1);

    // Row by row over its ink only, and cut at the top as well: the same bytes.
    render::InkSpan rows[40];
    for (int y = 0; y < 40; ++y) rows[y] = render::inkSpanOf(picture.pixels() + y * 120, 0, 120);
    ASSERT_TRUE(blended.startFrom(ground, 0) && copied.startFrom(ground, 0));
    ASSERT_TRUE(blended.blendOver(picture, 10, 0, 110, 40, -3, -7));
    ASSERT_TRUE(copied.blendInkOver(picture, rows, 10, 0, 110, 40, -3, -7));
    ASSERT_TRUE(blended.blitTo(a.deviceContext()) && copied.blitTo(b.deviceContext()));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(a.pixel(x, y), b.pixel(x, y)) << x << ", " << y;
}

// Started again from the same picture, the frame buffer puts back only
// where the last frame drew: whatever a frame draws, in containers and at
// any scale, must be gone, or it would stay on the gauge as a trail.
TEST(FrameBuffers, StartedAgainFromTheSamePictureKeepNothingOfTheLastFrame) {
    testing::ensureGdiplusStarted();
    constexpr int32_t kWidth = 300;
    constexpr int32_t kHeight = 200;
    render::OffscreenBitmap backdrop;
    ASSERT_TRUE(backdrop.create(kWidth, kHeight, true));
    render::SolidBrush blue(0xff0000ffu);
    render::SolidBrush yellow(0xffffff00u);
    const render::Pen pen(yellow, 3.0f, gdip::kUnitWorld);
    backdrop.graphics().clear(0xff000040u);
    backdrop.graphics().fillEllipse(blue, 20.0f, 20.0f, 260.0f, 160.0f);
    const std::unique_ptr<render::FontFamily> family(render::FontFamily::genericSansSerif());
    ASSERT_NE(family, nullptr);
    render::Font font;
    ASSERT_TRUE(font.create(*family, 12.0f, 0, gdip::kUnitPoint));
    render::StringFormat farFormat(0, 0);
    farFormat.setAlignment(gdip::kStringAlignmentFar);
    farFormat.setLineAlignment(gdip::kStringAlignmentFar);

    render::FrameBuffer frame;
    ASSERT_TRUE(frame.create(kWidth, kHeight));
    constexpr uint64_t kPicture = 7;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(frame.startFrom(backdrop, kPicture));
        render::Graphics& graphics = frame.graphics(0.3f, 0.2f);  // 1000 x 1000 units
        const gdip::GraphicsContainer container = graphics.beginContainer();
        graphics.translateWorldTransform(500.0f, 500.0f);
        graphics.drawLine(pen, 0.0f, 0.0f, 480.0f, -480.0f);  // a long diagonal
        graphics.drawEllipse(pen, -100.0f, -100.0f, 200.0f, 200.0f);
        graphics.drawRectangle(pen, 300.0f, 300.0f, 60.0f, 60.0f);
        graphics.fillPie(yellow, -450.0f, 300.0f, 80.0f, 80.0f, 0.0f, 180.0f);
        const render::PointF arrow[] = {{-300.0f, -300.0f}, {-280.0f, -340.0f}, {-260.0f, -300.0f}};
        graphics.drawLines(pen, arrow, 3);
        ASSERT_TRUE(graphics.endContainer(container));
        graphics.drawText(u"WWW 12.5", -1, font, 1000.0f, 1000.0f, &farFormat, &yellow);
        graphics.drawText(u"FL350", -1, font, 0.0f, 0.0f, nullptr, &yellow);
    }
    // Lent to a surface with another backdrop in between: that frame's
    // pixels are all gone too.
    render::OffscreenBitmap other;
    ASSERT_TRUE(other.create(kWidth, kHeight, true));
    other.graphics().clear(0xff400000u);
    ASSERT_TRUE(frame.startFrom(other, kPicture + 1));
    ASSERT_TRUE(frame.startFrom(backdrop, kPicture));
    testing::TestSurface target(kWidth, kHeight);
    ASSERT_TRUE(frame.blitTo(target.deviceContext()));
    int differing = 0;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) differing += target.pixel(x, y) != backdrop.pixels()[y * kWidth + x];
    EXPECT_EQ(differing, 0);
}

// Where the host's surface is a 32-bit DIB section, the frame is composed in
// its pixels (stored top-down or bottom-up) as it would be in a picture of
// the frame buffer's own and blitted; a section the host swaps is let go.
TEST(FrameBuffers, ComposedInTheHostsSectionAsInAPictureOfTheirOwn) {
    testing::ensureGdiplusStarted();
    render::OffscreenBitmap backdrop;
    ASSERT_TRUE(backdrop.create(50, 30, true));
    render::SolidBrush red(0xffff0000u);
    const render::Pen redPen(red, 2.0f, gdip::kUnitPixel);
    backdrop.graphics().clear(0xff0000ffu);
    backdrop.graphics().drawLine(redPen, 0.0f, 3.0f, 50.0f, 3.0f);
    const auto compose = [&](render::FrameBuffer& frame) {
        ASSERT_TRUE(frame.startFrom(backdrop, 0));
        frame.graphics(1.0f, 1.0f).drawLine(redPen, 41.0f, 0.0f, 47.0f, 30.0f);
    };
    testing::TestSurface expected(50, 30);
    render::FrameBuffer own;
    ASSERT_TRUE(own.create(50, 30));
    compose(own);
    ASSERT_TRUE(own.blitTo(expected.deviceContext()));

    for (const bool bottomUp : {false, true}) {
        std::vector<uint32_t> rows(50 * 32, 0xff000000u);  // a section taller than the surface
        uint32_t* top = bottomUp ? rows.data() + 31 * 50 : rows.data();
        host::DeviceContext host = surface(bottomUp ? 9 : 8);
        sim::gdi_layer::registerSurface(host, reinterpret_cast<uint8_t*>(top), bottomUp ? -200 : 200, 50, 32);
        render::FrameBuffer frame;
        ASSERT_TRUE(frame.createOverSurface(host, 50, 30)) << bottomUp;
        EXPECT_EQ(frame.storageBytes(), 0);
        compose(frame);
        EXPECT_TRUE(frame.blitTo(host)) << "nothing to hand over";
        EXPECT_EQ(rows[bottomUp ? 0 : 31 * 50], 0xff000000u) << "a row beyond the surface, left alone";
        int differing = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 50; ++x) differing += top[(bottomUp ? -y : y) * 50 + x] != expected.pixel(x, y);
        EXPECT_EQ(differing, 0) << bottomUp;
        EXPECT_TRUE(frame.stillOver(host));
        DrawingMemory memory;
        const render::FrameBuffer* lent = memory.frameBuffer(&owner, host, 50, 30);
        EXPECT_TRUE(lent != nullptr && lent->overSurface());
        EXPECT_EQ(memory.bytesHeld(DrawingMemory::kFrameBuffers), 0) << "the host's pixels are not counted";
        if (!bottomUp) {
            // A host that keeps swapping sections gets a picture of the module's
            // own rather than a probe and a new wrapper in every frame.
            std::vector<uint32_t> spare(50 * 32);
            for (int swap = 0; swap <= DrawingMemory::kSectionSwapsTolerated; ++swap) {
                uint32_t* next = swap % 2 == 0 ? spare.data() : rows.data();
                sim::gdi_layer::registerSurface(host, reinterpret_cast<uint8_t*>(next), 200, 50, 32);
                lent = memory.frameBuffer(&owner, host, 50, 30);
            }
            EXPECT_TRUE(lent != nullptr && !lent->overSurface());
            sim::gdi_layer::registerSurface(host, reinterpret_cast<uint8_t*>(top), 200, 50, 32);
        }
        memory.releaseFrameBuffers();
        // The same pixels, now said to be stored the other way up.
        uint32_t* flipped = bottomUp ? rows.data() : rows.data() + 31 * 50;
        sim::gdi_layer::registerSurface(host, reinterpret_cast<uint8_t*>(flipped), bottomUp ? 200 : -200, 50, 32);
        EXPECT_FALSE(frame.stillOver(host)) << "rows in the other order";
        std::vector<uint32_t> other(50 * 32);
        sim::gdi_layer::registerSurface(host, reinterpret_cast<uint8_t*>(other.data()), 200, 50, 32);
        EXPECT_FALSE(frame.stillOver(host)) << "the host put another section in";
        frame.release();
        sim::gdi_layer::forgetSurface(host);
    }
}

// What the module makes as memory beside what the pen strokes, both in a
// view's container, compared pixel by pixel once on surfaces.
struct BesideThePen {
    static constexpr int32_t kWidth = 90;
    static constexpr int32_t kHeight = 70;
    static constexpr float kOriginX = 30.0f;  // world units, as a view's container
    static constexpr float kOriginY = -20.0f;
    render::FrameBuffer mine;
    render::FrameBuffer pens;
    testing::TestSurface a{kWidth, kHeight};
    testing::TestSurface b{kWidth, kHeight};
    render::Graphics* stroking = nullptr;
    gdip::GraphicsContainer container = 0;

    bool create() { return mine.create(kWidth, kHeight) && pens.create(kWidth, kHeight); }
    // Both cleared; the pen's picture in the container until compared.
    render::Graphics& start(float scale, uint32_t background) {
        mine.graphics(scale, scale).clear(background);
        render::Graphics& graphics = pens.graphics(scale, scale);
        graphics.clear(background);
        container = graphics.beginContainer();
        graphics.translateWorldTransform(kOriginX, kOriginY);
        graphics.setSmoothingMode(gdip::kSmoothingModeAntiAlias);
        stroking = &graphics;
        return graphics;
    }
    // The largest difference of a channel; -1 when a picture is missing.
    int largestDifference() {
        if (stroking == nullptr || !stroking->endContainer(container) || !mine.blitTo(a.deviceContext()) ||
            !pens.blitTo(b.deviceContext()))
            return -1;
        int largest = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                for (int shift = 0; shift < 24; shift += 8)
                    largest = std::max(largest, std::abs(static_cast<int>((a.pixel(x, y) >> shift) & 0xff) -
                                                         static_cast<int>((b.pixel(x, y) >> shift) & 0xff)));
        return largest;
    }
    int inkedPixels(uint32_t background) const {
        int inked = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) inked += a.pixel(x, y) != background ? 1 : 0;
        return inked;
    }
};

// A cross blended from the atlas is the cross the pen strokes at the
// nearest eighth of a pixel (at most a sixteenth across and down from the
// point), to within the rounding of one blend: a wrong phase, pen
// or corner, on either side of zero, would differ by tens of levels along
// every edge. Odd scales, both schemes, centres off the picture's edge.
TEST(CrossAtlas, BlendsThePensCrossAtTheNearestEighthOfAPixel) {
    testing::ensureGdiplusStarted();
    constexpr float kOriginX = BesideThePen::kOriginX;
    constexpr float kOriginY = BesideThePen::kOriginY;
    constexpr float kArm = 10.0f;
    DrawingMemory memory;
    BesideThePen pictures;
    ASSERT_TRUE(pictures.create());
    for (const render::SchemeColours& colours : {render::kGreenColours, render::kAmberColours}) {
        render::ColourScheme scheme;
        render::createScheme(scheme, colours);
        ASSERT_TRUE(scheme.complete());
        const render::Pen* pens[2] = {scheme.dimPen.get(), scheme.brightPen.get()};
        const render::CrossAtlasContent content{
            {pens[0], pens[1]}, {colours.dim, colours.bright}, render::kSchemePenWidth, kArm};
        for (const float scale : {0.512f, 0.333f, 1.0f}) {
            const render::CrossAtlas* atlas = memory.crossAtlas(content, scale, scale);
            ASSERT_NE(atlas, nullptr);
            // Where the centres fall, in pixels.
            const float points[][2] = {{40.0f, 35.0f}, {41.3f, 34.1f}, {-2.2f, 30.6f}, {20.7f, -1.9f}, {88.4f, 69.1f}};
            for (int pen = 0; pen < 2; ++pen) {
                for (const auto& point : points) {
                    const float x = point[0] / scale - kOriginX;
                    const float y = point[1] / scale - kOriginY;
                    render::Graphics& graphics = pictures.start(scale, colours.background);
                    ASSERT_TRUE(atlas->blend(pictures.mine, kOriginX, kOriginY, pen, x, y));
                    // The pen's cross at the nearest eighth, as a view strokes it.
                    const double nearX = std::floor((x + kOriginX) * scale * 8.0 + 0.5) / 8.0;
                    const double nearY = std::floor((y + kOriginY) * scale * 8.0 + 0.5) / 8.0;
                    const float cx = static_cast<float>(nearX / scale - kOriginX);
                    const float cy = static_cast<float>(nearY / scale - kOriginY);
                    graphics.drawLine(*pens[pen], cx, cy - kArm, cx, cy + kArm);
                    graphics.drawLine(*pens[pen], cx - kArm, cy, cx + kArm, cy);
                    const int largest = pictures.largestDifference();
                    EXPECT_GT(pictures.inkedPixels(colours.background), 0) << "nothing blended at scale " << scale;
                    EXPECT_TRUE(largest >= 0 && largest <= 1)
                        << "scale " << scale << ", pen " << pen << ", at " << point[0] << ", " << point[1];
                }
            }
        }
        memory.releaseCrossAtlases();
        scheme.release();
    }
}

// A line the module fills is the line the pen strokes, to within what two
// anti-aliasing rasterisers differ by at its edges and ends: half a pixel
// off, a pen's width wrong, or a pen a pixel wide taken for a thinner one
// would differ by a hundred levels and more along the whole line. Pens
// under a pixel (inked a pixel wide), over one, and at an uneven scale
// (where libgdiplus widens the pen as it likes: left to the pen).
TEST(CrossAtlas, FillsTheTargetsLinesAsThePenStrokesThem) {
    testing::ensureGdiplusStarted();
    constexpr float kOriginX = BesideThePen::kOriginX;
    constexpr float kOriginY = BesideThePen::kOriginY;
    constexpr int kMostLevels = 24;
    DrawingMemory memory;
    BesideThePen pictures;
    ASSERT_TRUE(pictures.create());
    const render::SchemeColours& colours = render::kAmberColours;
    render::ColourScheme scheme;
    render::createScheme(scheme, colours);
    ASSERT_TRUE(scheme.complete());
    const render::Pen* pens[2] = {scheme.dimPen.get(), scheme.brightPen.get()};
    const render::CrossAtlasContent content{{pens[0], pens[1]}, {colours.dim, colours.bright}, render::kSchemePenWidth,
                                            10.0f};
    for (const float scale : {0.512f, 0.333f, 1.0f, 1.7f}) {
        const render::CrossAtlas* atlas = memory.crossAtlas(content, scale, scale);
        ASSERT_NE(atlas, nullptr);
        ASSERT_TRUE(atlas->linesMeasured()) << "scale " << scale;
        for (int line = 0; line < 40; ++line) {
            // Every direction, short and long lines, anywhere in a pixel,
            // some running off the picture.
            const double angle = line * 0.4;
            const double length = 3.0 + (line * 7) % 60;
            const double fromX = 20.0 + (line * 37) % 50 + line * 0.137;
            const double fromY = 15.0 + (line * 23) % 45 + line * 0.291;
            const float x1 = static_cast<float>(fromX / scale - kOriginX);
            const float y1 = static_cast<float>(fromY / scale - kOriginY);
            const float x2 = static_cast<float>((fromX + length * std::cos(angle)) / scale - kOriginX);
            const float y2 = static_cast<float>((fromY + length * std::sin(angle)) / scale - kOriginY);
            const int pen = line % 2;
            render::Graphics& graphics = pictures.start(scale, colours.background);
            render::QuadCorners quad;
            ASSERT_TRUE(atlas->penQuad(kOriginX, kOriginY, x1, y1, x2, y2, quad));
            ASSERT_TRUE(pictures.mine.blendQuad(quad, render::premultiplied(content.penColours[pen])));
            graphics.drawLine(*pens[pen], x1, y1, x2, y2);
            const int largest = pictures.largestDifference();
            EXPECT_TRUE(largest >= 0 && largest <= kMostLevels) << "scale " << scale << ", line " << line;
        }
    }
    EXPECT_FALSE(memory.crossAtlas(content, 0.512f, 0.384f)->linesMeasured());
    memory.releaseCrossAtlases();
    scheme.release();
}

// The stand-in's blit clips a corner far outside either bitmap: its sums
// once wrapped past INT32_MAX and copied far beyond the rows.
TEST(FrameBuffers, TheStandInsBlitClipsCornersFarOutside) {
    testing::ensureGdiplusStarted();
    gdi::HDC source = gdi::CreateCompatibleDC(nullptr);
    gdi::BITMAPINFO info{};
    info.bmiHeader = gdi::BITMAPINFOHEADER{sizeof info.bmiHeader, 4, -4, 1, 32, gdi::kBiRgb, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    gdi::HBITMAP section = gdi::CreateDIBSection(source, &info, gdi::kDibRgbColours, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    gdi::HGDIOBJ previous = gdi::SelectObject(source, section);
    std::vector<uint32_t> rows(8 * 8, 0xff000000u);
    const host::DeviceContext host = surface(10);
    sim::gdi_layer::registerSurface(host, reinterpret_cast<uint8_t*>(rows.data()), 32, 8, 8);
    EXPECT_EQ(gdi::BitBlt(host, 0, 0, 4, 4, source, INT_MAX - 1, 0, gdi::kSourceCopy), 0);
    EXPECT_EQ(gdi::BitBlt(host, 0, 0, 4, 4, source, 0, INT_MAX - 1, gdi::kSourceCopy), 0);
    for (const int corner : {INT_MAX - 1, INT_MIN}) {
        gdi::BitBlt(host, corner, 0, 4, 4, source, 0, 0, gdi::kSourceCopy);
        gdi::BitBlt(host, 0, corner, 4, 4, source, 0, 0, gdi::kSourceCopy);
    }
    EXPECT_EQ(std::count(rows.begin(), rows.end(), 0xff000000u), 64);
    sim::gdi_layer::forgetSurface(host);
    gdi::SelectObject(source, previous);
    gdi::DeleteObject(section);
    gdi::DeleteDC(source);
}

// A host's section whose pixels do not start on a 4-byte boundary is not
// composed in: its pixels would be read and blended as misaligned words.
TEST(FrameBuffers, AreNotComposedInAHostsSectionOffItsWords) {
    testing::ensureGdiplusStarted();
    std::vector<uint32_t> rows(8 * 9, 0xff000000u);
    const host::DeviceContext host = surface(11);
    sim::gdi_layer::registerSurface(host, reinterpret_cast<uint8_t*>(rows.data()) + 2, 32, 8, 8);
    render::FrameBuffer frame;
    EXPECT_FALSE(frame.createOverSurface(host, 8, 8));
    sim::gdi_layer::forgetSurface(host);
}

// Where the frame reaches the window through GDI+ (the backdrop copied onto
// it, or the frame buffer's picture when the blit is refused), what is
// drawn on the window afterwards blends over it: a kept picture's cell with
// transparent corners leaves the window showing through them. libgdiplus
// alone keeps drawing with the copy's source-copy mode after the restore.
TEST(FramesCopiedByGdiPlus, LeaveWhatIsDrawnAfterThemBlended) {
    testing::ensureGdiplusStarted();
    render::OffscreenBitmap backdrop;
    ASSERT_TRUE(backdrop.create(40, 20, true));
    backdrop.graphics().clear(0xff0000ffu);
    render::OffscreenBitmap cell;
    ASSERT_TRUE(cell.create(8, 8, true));
    cell.graphics().clear(0x00000000u);
    render::SolidBrush green(0xff00ff00u);
    cell.graphics().fillEllipse(green, 3.0f, 3.0f, 2.0f, 2.0f);
    render::FrameBuffer frame;
    ASSERT_TRUE(frame.create(40, 20));
    ASSERT_TRUE(frame.startFrom(backdrop, 0));

    sim::gdiplus_layer::setRestoreAppliesCompositing(false);
    for (const bool fromFrameBuffer : {false, true}) {
        testing::TestSurface window(40, 20);
        render::Graphics& graphics = window.graphics();
        if (fromFrameBuffer) {
            frame.drawOnto(graphics);
        } else {
            ASSERT_TRUE(graphics.drawBitmap(backdrop, 0, 0));
        }
        graphics.resetWorldTransform();
        graphics.drawBitmapPart(cell, render::RectF{10.0f, 6.0f, 8.0f, 8.0f}, render::RectF{0.0f, 0.0f, 8.0f, 8.0f});
        EXPECT_EQ(window.pixel(10, 6), 0xff0000ffu) << "a transparent corner punched through, buffer " << fromFrameBuffer;
        EXPECT_EQ(window.pixel(14, 10) >> 24, 0xffu) << fromFrameBuffer;
        EXPECT_EQ(window.pixel(30, 15), 0xff0000ffu) << fromFrameBuffer;
    }
    sim::gdiplus_layer::setRestoreAppliesCompositing(true);
}

}  // namespace
}  // namespace quillon
