// Frame drawing as the host's draw notifications drive it: when a surface is
// redrawn, how the logical space lands on its pixels, what the image flags
// show afterwards, and how the surface cache keeps its graphics objects.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <memory>
#include <set>
#include <vector>

#include "gauge/DrawingMemory.h"
#include "module/PanelTableCalls.h"
#include "views/GaugeVariants.h"
#include "host/ExportedRecords.h"
#include "render/GdiPlusFlat.h"
#include "sim/GdiPlusSessionLayer.h"
#include "tests/support/FakePanel.h"
#include "tests/support/RadarGaugeProbe.h"
#include "tests/support/TestSurface.h"

// Graphics creation fails for one chosen device context, as it does when GDI+
// runs out of memory; graphics objects made from device contexts are counted
// as they are made and deleted. Every call goes on to GDI+ itself.
namespace {
void* failingDeviceContext = nullptr;
int graphicsDeleted = 0;
// Never destroyed: a graphics object may still be deleted during exit.
std::set<gdip::GpGraphics*>& graphicsFromDeviceContexts() {
    static auto* made = new std::set<gdip::GpGraphics*>();
    return *made;
}
}

extern "C" gdip::GpStatus GdipCreateFromHDC(void* hdc, gdip::GpGraphics** graphics) {
    using Create = gdip::GpStatus (*)(void*, gdip::GpGraphics**);
    static const Create real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "GdipCreateFromHDC"));
    if (hdc != nullptr && hdc == failingDeviceContext) {
        *graphics = nullptr;
        return gdip::kOutOfMemory;
    }
    const gdip::GpStatus status = real(hdc, graphics);
    if (status == gdip::kOk) graphicsFromDeviceContexts().insert(*graphics);
    return status;
}

extern "C" gdip::GpStatus GdipDeleteGraphics(gdip::GpGraphics* graphics) {
    using Delete = gdip::GpStatus (*)(gdip::GpGraphics*);
    static const Delete real = reinterpret_cast<Delete>(dlsym(RTLD_NEXT, "GdipDeleteGraphics"));
    if (graphicsFromDeviceContexts().erase(graphics) == 1) ++graphicsDeleted;
    return real(graphics);
}

namespace quillon {
namespace {

using testing::FakePanel;
using testing::TestSurface;

constexpr uint32_t kGreenBackground = 0xff001400u;
constexpr uint32_t kAmberBackground = 0xff1e0f00u;
constexpr uint32_t kUntouched = 0xff123456u;

// One panel window of a gauge: the host's own copy of the gauge's header and
// elements, its drawing element on a test surface.
class Window {
public:
    Window(const host::GaugeHeader& gauge, TestSurface& surface) : Window(gauge, surface, surface.width(), surface.height()) {}
    Window(const host::GaugeHeader& gauge, TestSurface& surface, int imageWidth, int imageHeight) : header(gauge) {
        const host::ImageElement* sourceBackground = gauge.elementList[0];
        background = *sourceBackground;
        drawing = *sourceBackground->nextElements[0];
        header.elementList = elements;
        elements[0] = &background;
        background.nextElements = followers;
        followers[0] = &drawing;
        background.header = &header;
        drawing.header = &header;
        image.width = imageWidth;
        image.height = imageHeight;
        drawing.image = &image;
        drawing.deviceContext = surface.deviceContext();
        surface.clear(kUntouched);
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void markForRedraw() { drawing.imageFlags |= host::kImageFlagRedraw; }

    host::GaugeHeader header;
    host::ImageElement background{};
    host::ImageElement drawing{};
    host::ImageElement* elements[2] = {};
    host::ImageElement* followers[2] = {};
    host::ImageRecord image{};
};

class FrameDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        testing::ensureGdiplusStarted();
        RadarGaugeProbe::forgetNamedVariableRegistration();
        gauge.syncVariables();  // registers, so that the panel's "Radar Mode" counts from here on
    }
    void TearDown() override { failingDeviceContext = nullptr; }

    // A draw notification at the given clock.
    void drawAt(RadarGauge& gauge, Window& window, double clock) {
        panel.setClock(clock);
        gauge.drawFrame(&window.header);
    }
    // Sets "Radar Mode" as another gauge of the panel would.
    void setMode(double mode) { panel.setNamedVariable("Radar Mode", mode); }

    FakePanel panel;
    RectangularGreenGauge gauge{modulePanelCalls()};  // "Rectangular Green"
};

TEST_F(FrameDrawing, SurfaceFirstSeenAtClockZeroWaitsForTheClockToMove) {
    TestSurface surface(100, 100);
    Window window(*Linkage.gauges[0], surface);
    window.markForRedraw();
    drawAt(gauge, window, 0.0);
    EXPECT_EQ(gauge.surfaceCache().count(), 1);
    EXPECT_EQ(surface.pixel(2, 2), kUntouched);
    EXPECT_EQ(window.drawing.imageFlags, 0x26u | host::kImageFlagRedraw);

    drawAt(gauge, window, 0.25);
    EXPECT_EQ(surface.pixel(2, 2), kGreenBackground);
    EXPECT_EQ(window.drawing.imageFlags, 0x26u);  // only the top bit goes
}

TEST_F(FrameDrawing, OneRedrawPerClockValueAndTheFlagsStayAfterASkippedOne) {
    TestSurface surface(100, 100);
    Window window(*Linkage.gauges[0], surface);
    setMode(7);  // a bare cleared surface
    drawAt(gauge, window, 2.0);
    EXPECT_EQ(surface.pixel(10, 10), kGreenBackground);

    surface.clear(kUntouched);
    window.markForRedraw();
    panel.clearCalls();
    drawAt(gauge, window, 2.0);
    EXPECT_EQ(surface.pixel(10, 10), kUntouched);
    EXPECT_EQ(window.drawing.imageFlags & host::kImageFlagRedraw, host::kImageFlagRedraw);
    // The named variables are read on every notification, redraw or not:
    // as many reads as a sync of its own makes.
    const size_t reads = panel.callCount(host::kSlotGetNamedVariable);
    panel.clearCalls();
    gauge.syncVariables();
    EXPECT_EQ(reads, panel.callCount(host::kSlotGetNamedVariable));
    EXPECT_GE(reads, 9u);

    drawAt(gauge, window, 3.0);
    EXPECT_EQ(surface.pixel(10, 10), kGreenBackground);
    EXPECT_EQ(window.drawing.imageFlags & host::kImageFlagRedraw, 0u);
}

TEST_F(FrameDrawing, EachWindowHasItsOwnSurfaceEntryRedrawnOncePerClockChange) {
    TestSurface first(120, 80);
    TestSurface second(60, 60);
    Window a(*Linkage.gauges[0], first);
    Window b(*Linkage.gauges[0], second);
    drawAt(gauge, a, 1.0);
    drawAt(gauge, b, 1.0);
    ASSERT_EQ(gauge.surfaceCache().count(), 2);
    EXPECT_EQ(gauge.surfaceCache().entry(0).deviceContext, first.deviceContext());
    EXPECT_EQ(gauge.surfaceCache().entry(1).deviceContext, second.deviceContext());
    EXPECT_EQ(first.pixel(5, 5), kGreenBackground);
    EXPECT_EQ(second.pixel(5, 5), kGreenBackground);

    first.clear(kUntouched);
    second.clear(kUntouched);
    drawAt(gauge, a, 1.0);
    drawAt(gauge, b, 2.0);
    drawAt(gauge, a, 2.0);
    drawAt(gauge, b, 2.0);
    EXPECT_EQ(first.pixel(5, 5), kGreenBackground);
    EXPECT_EQ(second.pixel(5, 5), kGreenBackground);
    EXPECT_EQ(gauge.surfaceCache().count(), 2);
    EXPECT_EQ(gauge.surfaceCache().entry(0).lastClock, 2.0);
    EXPECT_EQ(gauge.surfaceCache().entry(1).lastClock, 2.0);
}

// A thick bright line across the logical point, drawn with the gauge's own
// graphics object and its scaling.
void markLogicalPoint(RadarGauge& gauge, float x, float y) {
    render::Graphics* graphics = RadarGaugeProbe(gauge).graphics();
    ASSERT_NE(graphics, nullptr);
    render::SolidBrush white(0xffffffffu);
    render::Pen pen(white, 20.0f, gdip::kUnitWorld);
    graphics->drawLine(pen, x - 20.0f, y, x + 20.0f, y);
}

TEST_F(FrameDrawing, LogicalSpaceFillsAWideSurface) {
    TestSurface surface(200, 100);
    Window window(*Linkage.gauges[0], surface);
    setMode(7);
    drawAt(gauge, window, 1.0);
    drawAt(gauge, window, 2.0);
    EXPECT_FLOAT_EQ(RadarGaugeProbe(gauge).scaleX(), 0.2f);
    EXPECT_FLOAT_EQ(RadarGaugeProbe(gauge).scaleY(), 0.1f);
    markLogicalPoint(gauge, 500.0f, 500.0f);
    EXPECT_EQ(surface.pixel(100, 50), 0xffffffffu);
    EXPECT_EQ(surface.pixel(100, 45), kGreenBackground);
    EXPECT_EQ(surface.pixel(110, 50), kGreenBackground);
    markLogicalPoint(gauge, 900.0f, 100.0f);
    EXPECT_EQ(surface.pixel(180, 10), 0xffffffffu);
}

// The scale is the nearest float to size / 1000; multiplying in float
// would land one step above it for sizes like these.
TEST_F(FrameDrawing, ScaleIsTheNearestFloatToAThousandthOfTheSize) {
    TestSurface surface(320, 110);
    Window window(*Linkage.gauges[0], surface);
    setMode(7);
    drawAt(gauge, window, 1.0);
    EXPECT_EQ(RadarGaugeProbe(gauge).scaleX(), 0.32f);
    EXPECT_EQ(RadarGaugeProbe(gauge).scaleY(), 0.11f);
}

TEST_F(FrameDrawing, ASurfaceFollowsItsOwnNewSizeEvenWhenNoticedWithoutARedraw) {
    TestSurface big(400, 400);
    TestSurface other(400, 400);
    Window window(*Linkage.gauges[0], big, 200, 100);
    Window otherWindow(*Linkage.gauges[0], other);
    setMode(7);
    drawAt(gauge, window, 1.0);
    drawAt(gauge, window, 2.0);  // scaled for 200 x 100

    // The host resizes the window's image while the clock stands still ...
    window.image.width = 400;
    window.image.height = 400;
    drawAt(gauge, window, 2.0);
    // ... and draws the other window, whose size happens to be the same.
    drawAt(gauge, otherWindow, 2.0);
    drawAt(gauge, window, 3.0);
    markLogicalPoint(gauge, 500.0f, 500.0f);
    EXPECT_EQ(big.pixel(200, 200), 0xffffffffu);
    EXPECT_NE(big.pixel(100, 50), 0xffffffffu);

    // Two windows of different sizes drawn alternately keep their own scaling.
    window.image.width = 200;
    window.image.height = 100;
    for (double clock : {4.0, 5.0}) {
        drawAt(gauge, otherWindow, clock);
        drawAt(gauge, window, clock);
    }
    markLogicalPoint(gauge, 500.0f, 500.0f);
    EXPECT_EQ(big.pixel(100, 50), 0xffffffffu);
}

TEST_F(FrameDrawing, ModeWithoutAViewLeavesOnlyTheBackground) {
    RectangularAmberGauge amber{modulePanelCalls()};
    TestSurface surface(100, 100);
    Window window(*Linkage.gauges[1], surface);
    setMode(7);
    drawAt(amber, window, 1.0);
    drawAt(amber, window, 2.0);
    EXPECT_EQ(amber.displayMode(), 7);
    EXPECT_EQ(surface.countColour(0, 0, 1000, 1000, kAmberBackground, 0), 100 * 100);
}

TEST_F(FrameDrawing, MissingElementOrDeviceContextDrawsNothing) {
    TestSurface surface(50, 50);
    Window window(*Linkage.gauges[0], surface);
    window.markForRedraw();

    window.background.nextElements = nullptr;  // no drawing element
    drawAt(gauge, window, 1.0);
    EXPECT_EQ(gauge.surfaceCache().count(), 0);
    EXPECT_EQ(RadarGaugeProbe(gauge).deviceContext(), nullptr);
    EXPECT_EQ(window.drawing.imageFlags & host::kImageFlagRedraw, host::kImageFlagRedraw);
    EXPECT_EQ(panel.lookedUpTokens().back(), host::kVarClock);

    window.background.nextElements = window.followers;
    window.drawing.deviceContext = nullptr;  // an element without a surface yet
    drawAt(gauge, window, 2.0);
    EXPECT_EQ(gauge.surfaceCache().count(), 0);
    EXPECT_EQ(window.drawing.imageFlags, 0x26u);
    EXPECT_EQ(surface.pixel(5, 5), kUntouched);
}

TEST_F(FrameDrawing, SurfaceWithoutAGraphicsObjectIsRetriedOnTheNextNotification) {
    TestSurface surface(50, 50);
    Window window(*Linkage.gauges[0], surface);
    window.markForRedraw();
    failingDeviceContext = surface.deviceContext();
    drawAt(gauge, window, 1.0);
    EXPECT_EQ(gauge.surfaceCache().count(), 0);
    EXPECT_EQ(surface.pixel(5, 5), kUntouched);
    EXPECT_NE(window.drawing.imageFlags & host::kImageFlagRedraw, 0u);

    failingDeviceContext = nullptr;
    drawAt(gauge, window, 1.0);  // same clock: the failed try drew nothing
    EXPECT_EQ(gauge.surfaceCache().count(), 1);
    EXPECT_EQ(surface.pixel(5, 5), kGreenBackground);
    EXPECT_EQ(window.drawing.imageFlags, 0x26u);
}

TEST_F(FrameDrawing, FullCacheGivesTheSurfaceDrawnLongestAgoToANewOne) {
    setMode(7);
    std::vector<std::unique_ptr<TestSurface>> surfaces;
    std::vector<std::unique_ptr<Window>> windows;
    const int total = SurfaceCache::kCapacity + 1;
    for (int i = 0; i < total; ++i) {
        surfaces.push_back(std::make_unique<TestSurface>(2, 2));
        windows.push_back(std::make_unique<Window>(*Linkage.gauges[0], *surfaces.back()));
    }
    double clock = 1.0;
    for (int i = 0; i < SurfaceCache::kCapacity; ++i) drawAt(gauge, *windows[i], clock += 1.0);
    // Window 0 drawn again: window 1 is now the one drawn longest ago.
    drawAt(gauge, *windows[0], clock += 1.0);
    ASSERT_EQ(gauge.surfaceCache().count(), SurfaceCache::kCapacity);

    const int deletedBefore = graphicsDeleted;
    drawAt(gauge, *windows.back(), clock += 1.0);
    EXPECT_EQ(graphicsDeleted, deletedBefore + 1);  // the reused entry's object
    EXPECT_EQ(gauge.surfaceCache().count(), SurfaceCache::kCapacity);
    EXPECT_EQ(gauge.surfaceCache().entry(1).deviceContext, surfaces.back()->deviceContext());
    EXPECT_EQ(gauge.surfaceCache().entry(0).deviceContext, surfaces[0]->deviceContext());
    EXPECT_EQ(surfaces.back()->pixel(0, 0), kGreenBackground);

    // The window that gave way comes back as a newcomer and draws again.
    surfaces[1]->clear(kUntouched);
    drawAt(gauge, *windows[1], clock += 1.0);
    EXPECT_EQ(surfaces[1]->pixel(0, 0), kGreenBackground);
    EXPECT_EQ(gauge.surfaceCache().count(), SurfaceCache::kCapacity);
    EXPECT_EQ(gauge.surfaceCache().entry(2).deviceContext, surfaces[1]->deviceContext());
}

// A surface beyond the backdrops' budget is drawn directly, to the same
// pixels; a gauge going away frees its backdrops.
TEST_F(FrameDrawing, SurfaceWithoutABackdropShowsTheSamePicture) {
    DrawingMemory& backdrops = drawingMemory();
    const int64_t budget = backdrops.boundBytes();
    TestSurface fromBackdrop(150, 110);
    TestSurface direct(150, 110);
    Window a(*Linkage.gauges[0], fromBackdrop);
    Window b(*Linkage.gauges[0], direct);
    for (double mode : {2.0, 3.0, 4.0}) {
        setMode(mode);
        drawAt(gauge, a, mode);
        EXPECT_EQ(backdrops.picturesHeld(DrawingMemory::kBackdrops), 1);
        backdrops.setBoundBytes(150 * 110 * 4 - 1);  // too small for the surface: a's backdrop goes too
        drawAt(gauge, b, mode);  // the clock has not moved: the sweep is where a left it
        backdrops.setBoundBytes(budget);
        int differing = 0;
        for (int y = 0; y < 110; ++y)
            for (int x = 0; x < 150; ++x) differing += fromBackdrop.pixel(x, y) != direct.pixel(x, y) ? 1 : 0;
        EXPECT_EQ(differing, 0) << "mode " << mode;
        EXPECT_TRUE(fromBackdrop.colourNear(500.0f, 500.0f, 30.0f, 0xff008200u)) << "mode " << mode;
    }
    {
        RectangularGreenGauge other{modulePanelCalls()};
        drawAt(other, a, 10.0);
        EXPECT_EQ(backdrops.picturesHeld(DrawingMemory::kBackdrops), 1);
    }
    EXPECT_EQ(backdrops.picturesHeld(DrawingMemory::kBackdrops), 0);
}

// Steady frames of every view, with tags on, make no call that GDI+ refuses
// (the session layer refuses what Windows' GDI+ does): a refused call in a
// backdrop's painting would have it painted again in every frame.
TEST_F(FrameDrawing, SteadyFramesOfEveryViewMakeNoRefusedCallAndPaintTheBackdropOnce) {
    DrawingMemory& memory = drawingMemory();
    TestSurface surface(200, 150);
    Window window(*Linkage.gauges[0], surface);
    panel.setNamedVariable("Radar Altitude Tags", 1.0);
    double clock = 1.0;
    for (double mode : {2.0, 3.0, 4.0}) {
        setMode(mode);
        drawAt(gauge, window, clock += 1.0);
        const uint64_t failedBefore = render::failedGdiCalls();
        const uint64_t paintedBefore = memory.picturesMade(DrawingMemory::kBackdrops);
        for (int frame = 0; frame < 5; ++frame) drawAt(gauge, window, clock += 1.0);
        EXPECT_EQ(render::failedGdiCalls(), failedBefore) << "mode " << mode;
        EXPECT_EQ(memory.picturesMade(DrawingMemory::kBackdrops), paintedBefore) << "mode " << mode;
    }
}

int differingPixels(const TestSurface& a, const TestSurface& b) {
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return differing;
}

// A call that fails while a frame is drawn may leave a backdrop short of a
// spoke, a container open or the surface's state changed: the next frame is
// drawn as it would have been all the same. Window b, drawn alongside
// without a fault, shows what that is.
TEST_F(FrameDrawing, ACallFailedInAFrameLeavesTheNextFrameAsItWouldHaveBeen) {
    namespace layer = sim::gdiplus_layer;
    struct Failure {
        const char* function;
        int nth;
    } failures[] = {{"GdipDrawLine", 1},           {"GdipEndContainer", 1}, {"GdipEndContainer", 2},
                    {"GdipResetWorldTransform", 1}, {"GdipSaveGraphics", 1}, {"GdipRestoreGraphics", 1}};
    // Every surface outlives the gauge: a new one could take a gone one's
    // device context, which the gauge still knows.
    std::vector<std::unique_ptr<TestSurface>> surfaces;
    for (size_t i = 0; i < 2 * std::size(failures); ++i) surfaces.push_back(std::make_unique<TestSurface>(90, 70));
    RectangularGreenGauge gauge{modulePanelCalls()};
    double clock = 10.0;
    for (const Failure& failure : failures) {
        TestSurface& faulted = *surfaces[2 * (&failure - failures)];
        TestSurface& clean = *surfaces[2 * (&failure - failures) + 1];
        Window a(*Linkage.gauges[0], faulted);
        Window b(*Linkage.gauges[0], clean);
        clock += 1.0;
        layer::startCounting(layer::FaultPlan{failure.nth, layer::kStatusOutOfMemory, false, failure.function});
        drawAt(gauge, a, clock);
        const bool failed = layer::failedFunction() != nullptr;
        layer::stopCounting();
        EXPECT_TRUE(failed) << failure.function;
        drawAt(gauge, b, clock);
        clock += 1.0;
        drawAt(gauge, a, clock);
        drawAt(gauge, b, clock);
        EXPECT_EQ(differingPixels(faulted, clean), 0) << failure.function << " " << failure.nth;
        EXPECT_TRUE(faulted.colourNear(500.0f, 500.0f, 30.0f, 0xff008200u)) << failure.function;
    }
}

// Without a GDI+ session of its own a gauge must not draw, nor release what
// belongs to all gauges; it starts one at a later frame.
TEST_F(FrameDrawing, AGaugeWithoutASessionDrawsNothingAndStartsOneAtALaterFrame) {
    namespace layer = sim::gdiplus_layer;
    TestSurface surface(40, 40);  // outlives the gauge
    Window window(*Linkage.gauges[0], surface);
    layer::startCounting(layer::FaultPlan{1, layer::kStatusOutOfMemory, true, "GdiplusStartup"});
    RectangularGreenGauge starting{modulePanelCalls()};
    for (double clock : {1.0, 2.0, 3.0}) drawAt(starting, window, clock);
    EXPECT_EQ(layer::callsOfFailedFunctionSince(), 2);  // at the first frame, then after two more
    layer::stopCounting();
    EXPECT_EQ(surface.pixel(5, 5), kUntouched);
    EXPECT_EQ(starting.surfaceCache().count(), 0);
    for (double clock : {4.0, 5.0, 6.0}) drawAt(starting, window, clock);
    EXPECT_EQ(surface.pixel(5, 5), kUntouched);
    drawAt(starting, window, 7.0);  // four frames after the last try
    EXPECT_EQ(surface.pixel(5, 5), kGreenBackground);
}

TEST_F(FrameDrawing, DestructionDeletesOneGraphicsObjectPerSurface) {
    TestSurface first(20, 20);
    TestSurface second(30, 20);
    TestSurface third(20, 30);
    Window a(*Linkage.gauges[0], first);
    Window b(*Linkage.gauges[0], second);
    Window c(*Linkage.gauges[0], third);
    int deletedBefore = graphicsDeleted;
    {
        auto drawn = std::make_unique<RectangularGreenGauge>(modulePanelCalls());
        for (double clock : {1.0, 2.0}) {
            drawAt(*drawn, a, clock);
            drawAt(*drawn, b, clock);
            drawAt(*drawn, c, clock);
        }
        EXPECT_EQ(drawn->surfaceCache().count(), 3);
        EXPECT_EQ(graphicsDeleted, deletedBefore);
    }
    EXPECT_EQ(graphicsDeleted, deletedBefore + 3);

    deletedBefore = graphicsDeleted;
    { RectangularGreenGauge neverDrawn{modulePanelCalls()}; }
    EXPECT_EQ(graphicsDeleted, deletedBefore);
}

TEST(SurfaceCacheEntries, ClaimsFillInOrderThenReuseTheOldestAndADiscardFreesTheSlot) {
    auto cache = std::make_unique<SurfaceCache>();
    auto context = [](uintptr_t n) { return reinterpret_cast<host::DeviceContext>(n); };
    for (uintptr_t n = 1; n <= 3; ++n) cache->claim(context(n));
    EXPECT_EQ(cache->count(), 3);
    EXPECT_EQ(cache->find(context(2)), &cache->entry(1));
    EXPECT_EQ(cache->find(context(9)), nullptr);

    SurfaceEntry& last = cache->claim(context(4));
    cache->discard(last);
    EXPECT_EQ(cache->count(), 3);
    EXPECT_EQ(cache->find(context(4)), nullptr);

    for (uintptr_t n = 4; cache->count() < SurfaceCache::kCapacity; ++n) cache->claim(context(n));
    cache->markDrawn(*cache->find(context(1)));
    SurfaceEntry& reused = cache->claim(context(5000));
    EXPECT_EQ(&reused, &cache->entry(1));  // context 2: claimed earliest, never drawn since
    EXPECT_EQ(reused.lastClock, 0.0);
    EXPECT_EQ(cache->find(context(2)), nullptr);
}

}  // namespace
}  // namespace quillon
