// Frames composed off the surface, with the stand-in's GDI functions linked
// in as a host provides them: the frame buffer starts from the backdrop's
// pixels, reaches the surface in one blit row for row, and is counted with
// its backdrop against the budget. (The unit tests run without GDI and so
// cover the copy by GDI+ that a host without it gets.)
#include <gtest/gtest.h>

#include "gauge/DrawingMemory.h"
#include "render/FrameBuffer.h"
#include "render/GdiPlusObjects.h"
#include "tests/support/TestSurface.h"

namespace quillon {
namespace {

int owner = 0;

host::DeviceContext surface(int n) { return reinterpret_cast<host::DeviceContext>(static_cast<uintptr_t>(0x1000 + n)); }

BackdropContent content(int32_t width, int32_t height) {
    return BackdropContent{2, 40.0f, width, height, 0xff001400u};
}

constexpr int64_t kPicture = 100 * 80 * 4;

// One frame buffer per surface size serves every surface of that size; it
// counts against the store's one bound, and a surface goes without one
// (its backdrop copied by GDI+) when the pictures in use leave no room.
TEST(FrameBuffers, AreSharedBySizeAndCountedAgainstTheBound) {
    testing::ensureGdiplusStarted();
    ASSERT_TRUE(render::FrameBuffer::available());
    DrawingMemory memory;
    render::FrameBuffer* first = memory.frameBuffer(100, 80);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->width(), 100);
    EXPECT_EQ(memory.frameBuffer(100, 80), first) << "the same size shares it";
    EXPECT_NE(memory.frameBuffer(101, 80), nullptr);
    EXPECT_EQ(memory.bytesHeld(DrawingMemory::kFrameBuffers), kPicture + 101 * 80 * 4);
    EXPECT_EQ(memory.picturesMade(DrawingMemory::kFrameBuffers), 2u);

    // A backdrop in use and a bound with room for one picture more: the
    // frame buffer used longest ago gives way only once it is idle.
    memory.setBoundBytes(4 * kPicture);
    ASSERT_NE(memory.leaseBackdrop(&owner, surface(1), content(100, 80)).bitmap, nullptr);
    EXPECT_EQ(memory.frameBuffer(102, 80), nullptr) << "no room beside the pictures in use";
    // A lowered bound frees what was used longest ago.
    memory.setBoundBytes(2 * kPicture);
    EXPECT_LE(memory.bytesHeld(), 2 * kPicture);
    memory.releaseOwner(&owner);
    memory.releaseFrameBuffers();
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
    ASSERT_TRUE(frame.copyPixelsFrom(backdrop));
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
    EXPECT_FALSE(frame.copyPixelsFrom(other)) << "a backdrop of another size";
}

}  // namespace
}  // namespace quillon
