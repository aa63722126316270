// What a picture kept from frame to frame marks as drawn, so that the next
// frame puts its backdrop back there.
#include <gtest/gtest.h>

#include <cmath>

#include "render/DrawnRegion.h"
#include "render/GdiPlusObjects.h"
#include "tests/support/TestSurface.h"

namespace render {
namespace {

// The drawing library runs a line with a coordinate that is not a number to
// the picture's corner: all of it is marked, whichever point it is of
// several stroked as one.
TEST(DrawnRegion, DrawingAtAPointThatIsNotANumberMarksTheWholePicture) {
    quillon::testing::ensureGdiplusStarted();
    OffscreenBitmap picture;
    ASSERT_TRUE(picture.create(256, 256, true));
    const SolidBrush brush(0xffffffffu);
    const Pen pen(brush, 1.0f, gdip::kUnitWorld);
    DrawnRegion region;
    region.reset(256, 256);
    Graphics& graphics = picture.graphics();
    graphics.markDrawingIn(&region);
    const float nan = std::nanf("");

    const PointF points[] = {{10.0f, 10.0f}, {20.0f, nan}, {30.0f, 30.0f}};
    graphics.drawLines(pen, points, 3);
    EXPECT_TRUE(region.all()) << "connected lines";
    region.clear();
    StrokePath path;
    path.addLine(10.0f, 10.0f, 20.0f, 20.0f);
    path.addLine(nan, 20.0f, 30.0f, 30.0f);
    graphics.drawPath(pen, path);
    EXPECT_TRUE(region.all()) << "a path";
    graphics.markDrawingIn(nullptr);
}

}  // namespace
}  // namespace render
