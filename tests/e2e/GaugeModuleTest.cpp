// The module as the host sees it: gauges connected, drawn and disconnected
// through panel windows, the named variables on the panel, clicks, and the
// pixels each variant leaves on its surfaces.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sim/Host.h"

namespace {

constexpr uint32_t kGreenBackground = 0xff001400u;
constexpr uint32_t kAmberBackground = 0xff1e0f00u;
constexpr uint32_t kGreenBright = 0xff00ff00u;
constexpr uint32_t kHostBlack = 0xff000000u;
constexpr uint32_t kRedrawFlag = 0x80000000u;

const char* const kGauges[] = {"Rectangular Green", "Rectangular Amber", "Circular Green", "Circular Amber"};
const uint32_t kBackgrounds[] = {kGreenBackground, kAmberBackground, kGreenBackground, kAmberBackground};

bool near(uint32_t argb, uint32_t wanted, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = static_cast<int>((argb >> shift) & 0xff);
        const int b = static_cast<int>((wanted >> shift) & 0xff);
        if (std::abs(a - b) > tolerance) return false;
    }
    return true;
}

// Pixels of the colour within the logical rectangle.
int countInLogical(const sim::Window& window, double left, double top, double right, double bottom, uint32_t colour,
                   int tolerance) {
    int count = 0;
    const int x0 = static_cast<int>(left * window.width() / 1000.0);
    const int x1 = std::min(window.width() - 1, static_cast<int>(right * window.width() / 1000.0));
    const int y0 = static_cast<int>(top * window.height() / 1000.0);
    const int y1 = std::min(window.height() - 1, static_cast<int>(bottom * window.height() / 1000.0));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) count += near(window.pixel(x, y), colour, tolerance) ? 1 : 0;
    return count;
}

bool everyPixelIs(const sim::Window& window, uint32_t colour) {
    for (uint32_t pixel : window.pixels())
        if (pixel != colour) return false;
    return true;
}

// Whether anything but the background lies within a pixel of the point.
bool inkAround(const sim::Window& window, int x, int y, uint32_t background) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int px = std::clamp(x + dx, 0, window.width() - 1);
            const int py = std::clamp(y + dy, 0, window.height() - 1);
            if (window.pixel(px, py) != background) return true;
        }
    return false;
}

// The own aircraft at the equator heading north, one aircraft ahead of it.
sim::Scenario oneAircraftAhead(double milesNorth) {
    sim::Scenario scenario;
    scenario.name = "one ahead";
    scenario.own.objectId = sim::kOwnObjectId;
    scenario.own.atcId = "OWN";
    scenario.own.altitudeFt = 5000.0;
    sim::Aircraft other;
    other.objectId = sim::kFirstTrafficObjectId;
    other.atcId = "N123AB";
    other.airline = "QUILL";
    other.flightNumber = "42";
    other.latitudeDeg = milesNorth / 60.0;
    other.altitudeFt = 6000.0;
    other.groundSpeedKt = 0.0;
    scenario.traffic.push_back(other);
    return scenario;
}

class GaugeModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.loaded()) << host.error(); }
    sim::Host host{QUILLON_MODULE_PATH};
};

TEST_F(GaugeModule, EachVariantClearsToItsSchemeBackgroundAtAnySize) {
    for (int size : {37, 100, 240}) {
        sim::Window* windows[4];
        for (int i = 0; i < 4; ++i) windows[i] = &host.openWindow(kGauges[i], size + 13 * i, size);
        host.frame();  // the first sync publishes the defaults
        host.setNamed("Radar Mode", 7.0);
        host.frame();
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(everyPixelIs(*windows[i], kBackgrounds[i])) << kGauges[i] << " at " << size;
            host.closeWindow(*windows[i]);
        }
        host.setNamed("Radar Mode", 2.0);
    }
}

TEST_F(GaugeModule, PanelSeesTheDefaultsAndLaterGaugesFollowThePanel) {
    sim::Window& first = host.openWindow("Rectangular Green", 100, 100);
    host.frame();
    EXPECT_DOUBLE_EQ(host.named("Radar Mode"), 2.0);
    EXPECT_DOUBLE_EQ(host.named("Radar Range"), 40.0);

    host.setNamed("Radar Mode", 7.0);
    host.frame();
    EXPECT_TRUE(everyPixelIs(first, kGreenBackground));

    // Connected after the registration: the panel's mode holds for it too,
    // and its own defaults are not written over the panel's values.
    sim::Window& second = host.openWindow("Circular Amber", 100, 100);
    host.frames(2);
    EXPECT_TRUE(everyPixelIs(second, kAmberBackground));
    EXPECT_DOUBLE_EQ(host.named("Radar Mode"), 7.0);

    host.setNamed("Radar Mode", 2.0);
    host.frame();
    EXPECT_FALSE(everyPixelIs(second, kAmberBackground));
    EXPECT_FALSE(everyPixelIs(first, kGreenBackground));
}

TEST_F(GaugeModule, WindowsShareTheVariantsGaugeUntilTheLastCloses) {
    sim::Window& a = host.openWindow("Circular Amber", 80, 80);
    sim::Window& b = host.openWindow("Circular Amber", 90, 90);
    host.frame();
    host.closeWindow(a);
    host.advance(0.1);
    host.drawWindow(b);
    EXPECT_EQ(b.drawingElement().imageFlags & kRedrawFlag, 0u);  // still drawn

    host.closeWindow(b);
    host.calls().clear();
    host.advance(0.1);
    host.drawWindow(b);  // the host still notifies: no gauge answers
    host.service(b, 0);
    EXPECT_EQ(b.drawingElement().imageFlags & kRedrawFlag, kRedrawFlag);
    EXPECT_EQ(host.calls().total(), 0u) << host.calls().describe();

    sim::Window& c = host.openWindow("Circular Amber", 80, 80);
    host.frame();
    EXPECT_EQ(c.pixel(1, 1), kAmberBackground);
}

TEST_F(GaugeModule, ClosingOneVariantLeavesTheOthersDrawing) {
    sim::Window& green = host.openWindow("Rectangular Green", 120, 120);
    sim::Window& amber = host.openWindow("Circular Amber", 120, 120);
    host.frames(2);
    host.closeWindow(green);
    host.setNamed("Radar Mode", 7.0);
    host.frame();
    EXPECT_TRUE(everyPixelIs(amber, kAmberBackground));
    host.setNamed("Radar Mode", 2.0);
    host.frame();
    EXPECT_TRUE(inkAround(amber, 60, 3, kAmberBackground));  // the outer ring at the top
}

TEST_F(GaugeModule, SurfaceFirstSeenAtClockZeroWaitsForTheClock) {
    host.setClock(0.0);
    sim::Window& window = host.openWindow("Rectangular Amber", 64, 64);
    host.drawWindow(window);
    EXPECT_TRUE(everyPixelIs(window, kHostBlack));
    EXPECT_EQ(window.drawingElement().imageFlags, 0x26u | kRedrawFlag);

    host.advance(0.05);
    host.drawWindow(window);
    EXPECT_EQ(window.pixel(0, 0), kAmberBackground);
    EXPECT_EQ(window.drawingElement().imageFlags, 0x26u);
}

TEST_F(GaugeModule, OneRedrawPerClockValueLeavesTheSecondNotificationFlagged) {
    sim::Window& window = host.openWindow("Circular Green", 64, 64);
    host.frame();
    ASSERT_EQ(window.drawingElement().imageFlags & kRedrawFlag, 0u);
    host.calls().clear();
    host.drawWindow(window);
    EXPECT_EQ(window.drawingElement().imageFlags & kRedrawFlag, kRedrawFlag);
    EXPECT_EQ(host.calls().count(sim::Call::ObjectsInRadius), 0u);
    // Mode, range, then every option the module follows, read once each.
    EXPECT_EQ(host.calls().count(sim::Call::GetNamedVariable), 9u);
}

TEST_F(GaugeModule, LogicalSpaceStretchesOverAWideSurface) {
    sim::Scenario empty = oneAircraftAhead(10.0);
    empty.traffic.clear();
    host.setScenario(empty);
    sim::Window& window = host.openWindow("Circular Green", 200, 100);
    host.frames(3);
    window.savePng(::testing::TempDir() + "/wide_circular_green.png");
    // Spokes meet at logical (500, 500); the outer ring passes (500, 25) and (975, 500).
    EXPECT_TRUE(inkAround(window, 100, 50, kGreenBackground));
    EXPECT_TRUE(inkAround(window, 100, 2, kGreenBackground));
    EXPECT_TRUE(inkAround(window, 195, 50, kGreenBackground));
    EXPECT_FALSE(inkAround(window, 3, 3, kGreenBackground));
    EXPECT_FALSE(inkAround(window, 196, 96, kGreenBackground));
}

TEST_F(GaugeModule, SelectedTargetShowsTheFullOrCompactBlockByVariant) {
    host.setScenario(oneAircraftAhead(10.0));
    sim::Window& rectangular = host.openWindow("Rectangular Green", 400, 400);
    sim::Window& circular = host.openWindow("Circular Green", 400, 400);
    host.frames(3);
    auto cornerInk = [](const sim::Window& w) { return countInLogical(w, 0, 0, 150, 100, kGreenBright, 60); };
    auto topCentreInk = [](const sim::Window& w) { return countInLogical(w, 420, 40, 580, 100, kGreenBright, 60); };
    EXPECT_EQ(cornerInk(rectangular), 0);
    EXPECT_EQ(cornerInk(circular), 0);

    // 10 of 40 miles ahead: a quarter of the 475-unit radius above the centre.
    const int targetY = static_cast<int>((500.0 - 118.75) * 400 / 1000.0);
    EXPECT_EQ(host.click(rectangular, 200, targetY), 1);
    EXPECT_EQ(host.click(circular, 200, targetY), 1);
    host.frames(2);
    rectangular.savePng(::testing::TempDir() + "/selected_rectangular_green.png");
    circular.savePng(::testing::TempDir() + "/selected_circular_green.png");

    EXPECT_GT(cornerInk(rectangular), 20);
    EXPECT_EQ(cornerInk(circular), 0);
    EXPECT_GT(topCentreInk(circular), topCentreInk(rectangular) + 20);
}

TEST_F(GaugeModule, ElementListRoutinesPassRectangularGreensFirstElement) {
    const host::ImageElement* expected = host.gaugeHeader("Rectangular Green")->elementList[0];
    for (const char* name : kGauges) {
        host.calls().clear();
        host::GaugeHeader* header = host.gaugeHeader(name);
        header->queryRoutine();
        header->installRoutine(5);
        header->initializeRoutine();
        header->updateRoutine();
        header->generateRoutine(6);
        header->drawRoutine();
        header->killRoutine();
        const auto records = host.calls().of(sim::Call::ElementListEntry);
        ASSERT_EQ(records.size(), 7u) << name;
        const int32_t slots[] = {24, 25, 26, 27, 28, 29, 31};
        for (size_t i = 0; i < 7; ++i) {
            EXPECT_EQ(records[i].slot, slots[i]) << name;
            EXPECT_EQ(records[i].id, static_cast<int64_t>(reinterpret_cast<uintptr_t>(expected))) << name;
        }
    }
}

}  // namespace
