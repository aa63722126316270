// The stand-in host driving the built module: loading and reloading,
// windows and their surfaces, services, clicks, and what the module calls.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sim/Host.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

bool fileIsPng(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    unsigned char signature[8] = {};
    size_t n = std::fread(signature, 1, 8, f);
    std::fclose(f);
    return n == 8 && signature[0] == 0x89 && signature[1] == 'P' && signature[2] == 'N' && signature[3] == 'G';
}

class HostModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.loaded()) << host.error(); }
    sim::Host host{QUILLON_MODULE_PATH};
};

TEST_F(HostModule, LoadsTheModuleAndListsItsGauges) {
    EXPECT_EQ(host.importTable()->panels.pointer, host.panelTable());
    EXPECT_EQ(host.gaugeNames(),
              (std::vector<std::string>{"Rectangular Green", "Rectangular Amber", "Circular Green", "Circular Amber"}));
    EXPECT_EQ(host.calls().total(), 0u) << host.calls().describe();
}

TEST_F(HostModule, AWindowHasItsOwnRecordsAndSurface) {
    sim::Window& a = host.openWindow("Circular Green", 200, 150);
    sim::Window& b = host.openWindow("Circular Green", 100, 100);
    EXPECT_NE(&a.header(), &b.header());
    EXPECT_NE(&a.header(), a.moduleHeader());
    EXPECT_NE(&a.drawingElement(), &b.drawingElement());
    EXPECT_NE(a.deviceContext(), b.deviceContext());
    EXPECT_EQ(a.drawingElement().deviceContext, a.deviceContext());
    EXPECT_EQ(a.drawingElement().image->width, 200);
    EXPECT_EQ(a.drawingElement().image->height, 150);
    EXPECT_EQ(a.drawingElement().header, &a.header());
    // The module's own records stay untouched.
    EXPECT_EQ(a.moduleHeader()->elementList[0]->nextElements[0]->deviceContext, nullptr);
}

TEST_F(HostModule, ConnectAndDisconnectReachTheGauge) {
    // Creating the gauge looks up the traffic service; a second window of
    // the same gauge only adds a reference.
    sim::Window& first = host.openWindow("Rectangular Amber", 120, 120);
    EXPECT_EQ(host.calls().count(sim::Call::FindService), 1u);
    sim::Window& second = host.openWindow("Rectangular Amber", 120, 120);
    EXPECT_EQ(host.calls().count(sim::Call::FindService), 1u);
    host.closeWindow(first);
    host.closeWindow(second);
    EXPECT_FALSE(second.open());
    host.openWindow("Rectangular Amber", 120, 120);
    EXPECT_EQ(host.calls().count(sim::Call::FindService), 2u);
}

TEST_F(HostModule, DrawMarksTheElementForRedrawAndTheGaugeClearsTheMark) {
    sim::Window& w = host.openWindow("Circular Amber", 128, 128);
    host.advance(0.5);
    host.drawWindow(w);
    EXPECT_EQ(w.drawingElement().imageFlags & host::kImageFlagRedraw, 0u);
    EXPECT_EQ(w.drawingElement().imageFlags & 0x26u, 0x26u);
    EXPECT_GT(host.calls().moduleVariableCount(host::kVarClock), 0u);
}

TEST_F(HostModule, PixelsCanBeReadBetweenFramesWithoutDisturbingTheGauge) {
    sim::Window& w = host.openWindow("Circular Green", 160, 160);
    host.frames(5);
    std::vector<uint32_t> before = w.pixels();
    EXPECT_NE(w.pixel(1, 1), kBlack);
    host.frames(9);  // the sweep moves on each clock change
    std::vector<uint32_t> after = w.pixels();
    EXPECT_NE(before, after);
    std::string path = ::testing::TempDir() + "/sim_read_between.png";
    w.savePng(path);
    EXPECT_TRUE(fileIsPng(path));
    host.frames(9);
    EXPECT_NE(w.pixels(), after);
    EXPECT_THROW(w.pixel(160, 0), std::out_of_range);
    EXPECT_EQ(w.pixelAtLogical(0, 0), w.pixel(0, 0));
    EXPECT_EQ(w.pixelAtLogical(999.9, 999.9), w.pixel(159, 159));
    EXPECT_EQ(w.pixelAtLogical(500, 250), w.pixel(80, 40));
}

TEST_F(HostModule, PicturesStillSaveAfterTheGaugeShutItsGraphicsDown) {
    sim::Window& w = host.openWindow("Rectangular Green", 100, 100);
    host.frames(3);
    host.closeWindow(w);  // the last window: the gauge goes, and with it its graphics session
    std::string path = ::testing::TempDir() + "/sim_after_close.png";
    std::remove(path.c_str());
    w.savePng(path);
    EXPECT_TRUE(fileIsPng(path));
    // New windows work too.
    sim::Window& again = host.openWindow("Rectangular Green", 64, 64);
    host.frames(2);
    EXPECT_NE(again.pixel(0, 0), kBlack);
}

TEST_F(HostModule, ResizingKeepsOrReplacesTheDeviceContext) {
    sim::Window& w = host.openWindow("Circular Green", 100, 100, 300, 300);
    host.frames(2);
    host::DeviceContext dc = w.deviceContext();

    w.resize(300, 200, sim::ResizeMode::KeepDeviceContext);
    EXPECT_EQ(w.deviceContext(), dc);
    EXPECT_EQ(w.drawingElement().image->width, 300);
    EXPECT_EQ(w.drawingElement().image->height, 200);
    EXPECT_THROW(w.resize(301, 200, sim::ResizeMode::KeepDeviceContext), std::invalid_argument);

    w.resize(240, 240, sim::ResizeMode::NewSurface);
    EXPECT_NE(w.deviceContext(), dc);
    EXPECT_EQ(w.drawingElement().deviceContext, w.deviceContext());
    EXPECT_EQ(w.drawingElement().image->width, 240);
    host.frames(2);
    EXPECT_NE(w.pixel(239, 239), kBlack);
    EXPECT_NE(w.pixel(0, 0), kBlack);
    std::string path = ::testing::TempDir() + "/sim_resized.png";
    w.savePng(path);
    EXPECT_TRUE(fileIsPng(path));
}

TEST_F(HostModule, ClicksUseTheMouseAreaScaledToTheWindow) {
    sim::Window& w = host.openWindow("Rectangular Green", 300, 200);
    std::vector<host::MouseArea*> areas = w.clickAreas();
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_EQ(areas[0]->boxWidth, 300);
    EXPECT_EQ(areas[0]->boxHeight, 200);
    EXPECT_EQ(host.click(w, 150, 100), 1);
    EXPECT_EQ(host.click(w, 300, 100), -1);
    EXPECT_EQ(host.click(w, -1, 0), -1);
    // The module's design-size record is unchanged.
    EXPECT_EQ(w.moduleHeader()->mouseAreas[1].boxWidth, 100);
}

TEST_F(HostModule, ElementListRoutinesReachTheirPanelSlots) {
    sim::Window& w = host.openWindow("Circular Amber", 100, 100);
    host.calls().clear();
    w.header().drawRoutine();
    w.header().installRoutine(42);
    std::vector<sim::CallRecord> calls = host.calls().of(sim::Call::ElementListEntry);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].slot, static_cast<int32_t>(host::kSlotElementDraw));
    EXPECT_EQ(calls[1].slot, static_cast<int32_t>(host::kSlotElementInstall));
    EXPECT_EQ(calls[1].numbers[0], 42.0);
    EXPECT_EQ(host.calls().slotCount(host::kSlotElementDraw), 1u);
}

TEST_F(HostModule, ReloadingGivesTheModuleFreshState) {
    sim::Window& w = host.openWindow("Circular Green", 100, 100);
    host.frames(2);
    EXPECT_EQ(host.named("Radar Mode"), 2.0);
    host.setNamed("Radar Mode", 4.0);
    host.frames(2);
    host.unload();
    EXPECT_FALSE(host.loaded());
    EXPECT_FALSE(sim::moduleLibraryStillLoaded(QUILLON_MODULE_PATH));
    (void)w;  // closed and released with the module

    ASSERT_TRUE(host.load(QUILLON_MODULE_PATH)) << host.error();
    host.calls().clear();
    host.openWindow("Circular Green", 100, 100);
    host.frames(2);
    // A fresh module registers its variables again and writes their first values.
    EXPECT_GE(host.calls().count(sim::Call::RegisterNamedVariable), 2u);
    EXPECT_EQ(host.named("Radar Mode"), 2.0);
}

TEST_F(HostModule, OnlyOneHostServesALoadedModuleAtATime) {
    sim::Host second(QUILLON_MODULE_PATH);
    EXPECT_FALSE(second.loaded());
    EXPECT_NE(second.error().find("another stand-in host"), std::string::npos) << second.error();
    // The first host is undisturbed.
    sim::Window& w = host.openWindow("Circular Green", 64, 64);
    host.frames(2);
    EXPECT_NE(w.pixel(0, 0), kBlack);
}

TEST_F(HostModule, TheTrafficServiceCanBeWithheld) {
    host.openWindow("Rectangular Green", 100, 100);
    host.frames(40);
    EXPECT_GT(host.calls().count(sim::Call::ObjectsInRadius), 0u);

    host.unload();
    ASSERT_TRUE(host.load(QUILLON_MODULE_PATH));
    host.calls().clear();
    host.setTrafficServiceAvailable(false);
    host.openWindow("Rectangular Green", 100, 100);
    host.frames(40);
    // Looked for at creation and again at refreshes, never found.
    ASSERT_GE(host.calls().count(sim::Call::FindService), 1u);
    for (const sim::CallRecord& call : host.calls().of(sim::Call::FindService)) EXPECT_EQ(call.result, 0.0);
    EXPECT_EQ(host.calls().count(sim::Call::ObjectsInRadius), 0u);
}

}  // namespace
