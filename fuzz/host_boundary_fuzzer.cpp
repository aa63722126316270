// Fuzz target: the host's side of the gauge interface in any order and with
// any values: service codes (unmatched disconnects, draws and updates before
// the first connect and after the last disconnect), clicks anywhere in areas
// of any size, named-variable values, surface sizes, device contexts (shared
// between windows, swapped, more than the surface cache holds), surfaces
// whose pixels GDI reports as a 32-bit DIB section (top-down or bottom-up,
// rows padded, of another size than the window says, swapped for another or
// taken away between frames, the old pixels freed at once), clock
// values that stand still, go back or are not numbers, runs of frames with
// the size, range or view changed before each, and backdrop budgets from
// nothing to the module's own. The backdrops never hold more than their
// bound, and nothing once every gauge is gone.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/HostileValues.h"
#include "gauge/DrawingMemory.h"
#include "module/GaugeCallbacks.h"
#include "host/ExportedRecords.h"
#include "sim/Gdi32Layer.h"
#include "tests/support/FakePanel.h"
#include "tests/support/PanelWindows.h"
#include "tests/support/ScriptedTraffic.h"

namespace {

using quillon::fuzzing::hostileNumber;
using quillon::testing::FakePanel;
using quillon::testing::HostSurface;
using quillon::testing::PanelWindow;
using quillon::testing::ScriptedTraffic;

constexpr size_t kMaxWindows = 12;
constexpr size_t kMaxSurfaces = 16;
// More device contexts than a gauge's surface cache has entries.
constexpr int kFloodSurfaces = 1010;

// A few aircraft around the own aircraft at the origin, so that the views
// have targets to plot, select and describe.
void scriptTraffic(ScriptedTraffic& traffic) {
    const double places[][4] = {{0.0, 0.0, 3000, 0}, {0.1, 0.05, 5000, 90}, {-0.2, 0.1, 12000, 200},
                                {0.05, -0.3, 36000, 300}, {0.3, 0.3, 800, 45}};
    host::ObjectId id = 1;
    for (const auto& place : places) {
        traffic.add(id, "LBL" + std::to_string(id))
            .number("PLANE LATITUDE", "DEGREES", place[0])
            .number("PLANE LONGITUDE", "DEGREES", place[1])
            .number("INDICATED ALTITUDE", "FEET", place[2])
            .number("PLANE ALTITUDE", "FEET", place[2])
            .number("PLANE ALT ABOVE GROUND", "FEET", place[2])
            .number("VELOCITY WORLD Y", "FEET PER MINUTE", 700.0 * static_cast<double>(id) - 2000.0)
            .number("GROUND VELOCITY", "KNOTS", 250)
            .number("PLANE HEADING DEGREES MAGNETIC", "DEGREES", place[3])
            .number("PLANE HEADING DEGREES TRUE", "DEGREES", place[3])
            .text("ATC ID", "N" + std::to_string(100 * id))
            .text("ATC AIRLINE", "QUILLAIR")
            .text("ATC FLIGHT NUMBER", std::to_string(id));
        ++id;
    }
}

struct Host {
    FakePanel panel;
    ScriptedTraffic traffic;
    std::vector<std::unique_ptr<HostSurface>> flood;  // made once, on first need

    Host() {
        scriptTraffic(traffic);
        panel.offerTrafficInfo(&traffic);
        // The module registers its named variables once per process, with
        // whatever table the first sync finds: let that be an intact one, so
        // that inputs which break the table later do not decide it.
        PanelWindow window(0);
        window.service(host::kServiceCreate);
        window.service(0);
        window.service(host::kServiceDestroy);
    }

    void makeFlood() {
        if (!flood.empty()) return;
        for (int i = 0; i < kFloodSurfaces; ++i) flood.push_back(std::make_unique<HostSurface>(1, 1));
    }
};

int32_t hostileSize(FuzzedDataProvider& data) {
    switch (data.ConsumeIntegralInRange<int>(0, 7)) {
        case 0: return 0;
        case 1: return 1;
        case 2: return INT32_MAX;
        case 3: return INT32_MIN;
        case 4: return data.ConsumeIntegral<int32_t>();
        default: return data.ConsumeIntegralInRange<int32_t>(2, 300);
    }
}

double hostileClock(FuzzedDataProvider& data, double clock) {
    switch (data.ConsumeIntegralInRange<int>(0, 7)) {
        case 0: return hostileNumber(data, -1e6, 1e6);  // anything, NaN and infinities included
        case 1: return clock;                           // frozen
        case 2: return clock - data.ConsumeIntegralInRange<int>(0, 100);  // back
        case 3: return clock + 1.5;                                       // past the refresh interval
        default: return clock + 1.0 / 18.0;
    }
}

// The pixels GDI reports behind a device context, as a host's DIB section.
struct HostSection {
    host::DeviceContext deviceContext = nullptr;
    std::unique_ptr<uint32_t[]> pixels;
};

struct Run {
    Host& host;
    FuzzedDataProvider& data;
    std::vector<std::unique_ptr<HostSurface>> surfaces;
    std::vector<HostSection> sections;
    std::vector<std::unique_ptr<PanelWindow>> windows;
    double clock = 0.0;
    std::vector<std::pair<size_t, void*>> removed;  // panel entries taken away
    bool flooded = false;  // at most one flood per input: it is slow

    host::DeviceContext pickDeviceContext(int32_t width, int32_t height) {
        const int kind = data.ConsumeIntegralInRange<int>(0, 5);
        if (kind == 0) return nullptr;
        if (kind == 1 && !surfaces.empty()) {  // one already in use (shared or reused)
            return surfaces[data.ConsumeIntegralInRange<size_t>(0, surfaces.size() - 1)]->deviceContext();
        }
        if (surfaces.size() >= kMaxSurfaces) return surfaces.back()->deviceContext();
        surfaces.push_back(std::make_unique<HostSurface>(width, height));
        return surfaces.back()->deviceContext();
    }

    // A window's device context gets a section of its own (or another one,
    // or none any more): the pixels it had are freed at once, so that any
    // use of them after the swap is an ASan report.
    void placeSection(PanelWindow& window) {
        const host::DeviceContext deviceContext = window.drawingElement().deviceContext;
        if (deviceContext == nullptr) return;
        HostSection* held = nullptr;
        for (HostSection& section : sections)
            if (section.deviceContext == deviceContext) held = &section;
        if (held == nullptr) {
            if (sections.size() >= kMaxSurfaces) return;
            held = &sections.emplace_back();
            held->deviceContext = deviceContext;
        }
        if (data.ConsumeIntegralInRange<int>(0, 4) == 0) {
            sim::gdi_layer::forgetSurface(deviceContext);
            held->pixels.reset();
            return;
        }
        const host::ImageRecord* image = window.drawingElement().image;
        const int32_t reportedWidth = image != nullptr ? image->width : 1;
        const int32_t reportedHeight = image != nullptr ? image->height : 1;
        const auto side = [&](int32_t reported) {
            const bool fits = reported > 2 && reported < 300;
            if (fits && data.ConsumeBool()) return reported + data.ConsumeIntegralInRange<int32_t>(-2, 2);
            return data.ConsumeIntegralInRange<int32_t>(1, 300);
        };
        const int32_t width = side(reportedWidth);
        const int32_t height = side(reportedHeight);
        const int32_t rowPixels = width + data.ConsumeIntegralInRange<int32_t>(0, 3);
        const bool bottomUp = data.ConsumeBool();
        auto pixels = std::make_unique<uint32_t[]>(static_cast<size_t>(rowPixels) * static_cast<size_t>(height));
        uint32_t* top = bottomUp ? pixels.get() + static_cast<size_t>(rowPixels) * (height - 1) : pixels.get();
        sim::gdi_layer::registerSurface(deviceContext, reinterpret_cast<uint8_t*>(top),
                                        (bottomUp ? -4 : 4) * rowPixels, width, height);
        held->pixels = std::move(pixels);
    }

    void forgetSections() {
        for (HostSection& section : sections) sim::gdi_layer::forgetSurface(section.deviceContext);
        sections.clear();
    }

    PanelWindow* pickWindow() {
        if (windows.empty()) return nullptr;
        return windows[data.ConsumeIntegralInRange<size_t>(0, windows.size() - 1)].get();
    }

    void openWindow() {
        if (windows.size() >= kMaxWindows) return;
        windows.push_back(std::make_unique<PanelWindow>(data.ConsumeIntegralInRange<int>(0, 3)));
        const int32_t width = hostileSize(data);
        const int32_t height = hostileSize(data);
        windows.back()->attach(pickDeviceContext(width, height), width, height);
        if (data.ConsumeIntegralInRange<int>(0, 3) != 0) windows.back()->service(host::kServiceCreate);
    }

    void resize(PanelWindow& window) {
        const int32_t width = hostileSize(data);
        const int32_t height = hostileSize(data);
        const host::DeviceContext deviceContext =
            data.ConsumeBool() ? window.drawingElement().deviceContext : pickDeviceContext(width, height);
        window.attach(deviceContext, width, height);
    }

    // One window drawn on ever new device contexts, past the cache's size.
    void flood(PanelWindow& window) {
        host.makeFlood();
        const int count = data.ConsumeIntegralInRange<int>(1, kFloodSurfaces);
        for (int i = 0; i < count; ++i) {
            window.attach(host.flood[static_cast<size_t>(i)]->deviceContext(), 1, 1);
            clock += 1.0 / 18.0;
            host.panel.setClock(clock);
            window.service(host::kServiceDraw);
        }
        host.panel.clearCalls();
        host.traffic.clearCalls();
    }

    void click(PanelWindow& window) {
        switch (data.ConsumeIntegralInRange<int>(0, 5)) {
            case 0: window.clickWithoutArea(data.ConsumeIntegral<int32_t>(), data.ConsumeIntegral<int32_t>()); return;
            case 1: window.clickWithoutRecord(); return;
            case 2:
                window.click(data.ConsumeIntegral<int32_t>(), data.ConsumeIntegral<int32_t>(), hostileSize(data),
                             hostileSize(data));
                return;
            default:
                window.click(data.ConsumeIntegralInRange<int32_t>(-10, 110), data.ConsumeIntegralInRange<int32_t>(-10, 110),
                             100, 100);
                return;
        }
    }

    // The header's element-list routines, as the host calls them while it
    // builds and tears down a panel.
    void elementRoutine(PanelWindow& window) {
        const host::GaugeHeader& header = *window.header();
        const uintptr_t value = data.ConsumeIntegral<uintptr_t>();
        switch (data.ConsumeIntegralInRange<int>(0, 6)) {
            case 0: header.queryRoutine(); return;
            case 1: header.installRoutine(value); return;
            case 2: header.initializeRoutine(); return;
            case 3: header.updateRoutine(); return;
            case 4: header.generateRoutine(value); return;
            case 5: header.drawRoutine(); return;
            default: header.killRoutine(); return;
        }
    }

    // Frames of one window with its size, the range or the view changed
    // before each: every one paints its backdrop again or makes a new one.
    void changingFrames(PanelWindow& window) {
        const int count = data.ConsumeIntegralInRange<int>(1, 12);
        for (int i = 0; i < count && data.remaining_bytes() > 0; ++i) {
            switch (data.ConsumeIntegralInRange<int>(0, 2)) {
                case 0: resize(window); break;
                case 1: host.panel.setNamedVariable("Radar Range", hostileNumber(data, 4.0, 300.0)); break;
                default: host.panel.setNamedVariable("Radar Mode", data.ConsumeIntegralInRange<int>(1, 5)); break;
            }
            clock += 1.0 / 18.0;
            host.panel.setClock(clock);
            window.service(host::kServiceDraw);
            checkBackdropBudget();
        }
    }

    void setBackdropBudget() {
        constexpr int64_t kBudgets[] = {0, 4, 4096, 65536, 1 << 20, quillon::DrawingMemory::kBoundBytes};
        quillon::drawingMemory().setBoundBytes(data.PickValueInArray(kBudgets));
    }

    static void checkBackdropBudget() {
        const quillon::DrawingMemory& memory = quillon::drawingMemory();
        if (memory.bytesHeld() > memory.boundBytes() || memory.bytesHeld() < 0) __builtin_trap();
    }

    // A panel table with an entry missing, or none at all, for a while.
    void breakPanelTable() {
        if (data.ConsumeBool()) {
            if (host.panel.tableWithdrawn()) {
                host.panel.restoreTable();
            } else {
                host.panel.withdrawTable();
            }
            return;
        }
        constexpr size_t kSlots[] = {host::kSlotElementQuery,         host::kSlotElementInstall,
                                     host::kSlotElementInitialize,    host::kSlotElementUpdate,
                                     host::kSlotElementGenerate,      host::kSlotElementDraw,
                                     host::kSlotElementKill,          host::kSlotLookupModuleVariable,
                                     host::kSlotRegisterNamedVariable, host::kSlotGetNamedVariable,
                                     host::kSlotSetNamedVariable,     host::kSlotFindService};
        const size_t slot = data.PickValueInArray(kSlots);
        void*& entry = host.panel.table().slots[slot];
        if (entry != nullptr) {
            removed.push_back({slot, entry});
            entry = nullptr;
        }
    }

    // Puts the table back as the host had it.
    void repairPanelTable() {
        host.panel.restoreTable();
        for (const auto& [slot, entry] : removed) host.panel.table().slots[slot] = entry;
        removed.clear();
    }

    void step() {
        PanelWindow* window = pickWindow();
        switch (data.ConsumeIntegralInRange<int>(0, 27)) {
            case 23: if (window) placeSection(*window); return;
            case 18: if (window) changingFrames(*window); return;
            case 19: setBackdropBudget(); return;
            case 16: if (window) elementRoutine(*window); return;
            case 17: if (data.ConsumeIntegralInRange<int>(0, 3) == 0) breakPanelTable(); return;
            case 0: openWindow(); return;
            case 1: if (window) window->service(host::kServiceCreate); return;
            case 2: if (window) window->service(host::kServiceDestroy); return;
            case 3: case 4: case 5: if (window) window->service(host::kServiceDraw); return;
            case 6: if (window) window->service(data.ConsumeIntegral<int32_t>()); return;
            case 7: if (window) window->serviceWithoutHeader(data.ConsumeIntegralInRange<int32_t>(9, 16)); return;
            case 8: if (window) click(*window); return;
            case 9: host.panel.setNamedVariable("Radar Mode", hostileNumber(data, -2.0, 6.0)); return;
            case 10: host.panel.setNamedVariable("Radar Range", hostileNumber(data, -10.0, 500.0)); return;
            case 20: host.panel.setNamedVariable("Radar Altitude Tags", hostileNumber(data, -1.0, 3.0)); return;
            case 21: host.panel.setNamedVariable("Radar Filter", hostileNumber(data, -1.0, 6.0)); return;
            // The alerts flipped on and off, or set to anything at all.
            case 22:
                host.panel.setNamedVariable("Radar Alerts", data.ConsumeBool() ? (data.ConsumeBool() ? 1.0 : 0.0)
                                                                               : hostileNumber(data, -1.0, 3.0));
                return;
            // The voice's mute and the auto range: on, off, or anything at all.
            case 24:
                host.panel.setNamedVariable("Radar Alert Mute", data.ConsumeBool() ? (data.ConsumeBool() ? 1.0 : 0.0)
                                                                                   : hostileNumber(data, -1.0, 3.0));
                return;
            case 25:
                host.panel.setNamedVariable("Radar Auto Range", data.ConsumeBool() ? (data.ConsumeBool() ? 1.0 : 0.0)
                                                                                   : hostileNumber(data, -1.0, 3.0));
                return;
            // Trails flipped on and off, or anything; the dimmer on its
            // steps, or anything.
            case 26:
                host.panel.setNamedVariable("Radar Trails", data.ConsumeBool() ? (data.ConsumeBool() ? 1.0 : 0.0)
                                                                               : hostileNumber(data, -1.0, 3.0));
                return;
            case 27:
                host.panel.setNamedVariable("Radar Dimming", data.ConsumeBool()
                                                                 ? 10.0 * data.ConsumeIntegralInRange<int>(0, 9)
                                                                 : hostileNumber(data, -200.0, 200.0));
                return;
            case 11: clock = hostileClock(data, clock); host.panel.setClock(clock); return;
            case 12: if (window) resize(*window); return;
            case 13:
                if (window == nullptr) return;
                if (data.ConsumeBool()) window->detachDrawingElement(); else window->dropImageRecord();
                return;
            case 14:
                host.panel.setModuleVariable(
                    data.PickValueInArray({host::kVarOwnHeading, host::kVarOwnLatitude, host::kVarOwnLongitude,
                                           host::kVarOwnAltitudeMetres}),
                    hostileNumber(data, -1e6, 1e6));
                return;
            case 15:
                if (window != nullptr && !flooded && data.ConsumeIntegralInRange<int>(0, 7) == 0) {
                    flooded = true;
                    flood(*window);
                }
                return;
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static Host* host = new Host();  // lives for the whole run
    FuzzedDataProvider data(bytes, size);
    host->panel.setClock(0.0);
    host->panel.setModuleVariable(host::kVarOwnHeading, 0.0);
    host->panel.setModuleVariable(host::kVarOwnLatitude, 0.0);
    host->panel.setModuleVariable(host::kVarOwnLongitude, 0.0);
    host->panel.setNamedVariable("Radar Mode", 2.0);
    host->panel.setNamedVariable("Radar Range", 40.0);
    host->panel.setNamedVariable("Radar Altitude Tags", 0.0);
    host->panel.setNamedVariable("Radar Filter", 0.0);
    host->panel.setNamedVariable("Radar Alerts", 0.0);
    host->panel.setNamedVariable("Radar Alert Mute", 0.0);
    host->panel.setNamedVariable("Radar Auto Range", 0.0);
    host->panel.setNamedVariable("Radar Trails", 0.0);
    host->panel.setNamedVariable("Radar Dimming", 0.0);
    if (data.ConsumeIntegralInRange<int>(0, 7) == 0) host->panel.withdrawService();
    else host->panel.offerTrafficInfo(&host->traffic);

    Run run{*host, data};
    for (int steps = 0; steps < 400 && data.remaining_bytes() > 0; ++steps) run.step();

    // Every gauge goes before the surfaces it drew on: a graphics object
    // must not outlive its device context.
    run.repairPanelTable();
    quillon::testing::disconnectEveryGauge();
    Run::checkBackdropBudget();
    // Gone with their gauges.
    if (quillon::drawingMemory().bytesHeld() != 0) __builtin_trap();
    quillon::drawingMemory().setBoundBytes(quillon::DrawingMemory::kBoundBytes);
    run.windows.clear();
    run.forgetSections();
    run.surfaces.clear();
    host->panel.clearCalls();
    host->traffic.clearCalls();
    return 0;
}
