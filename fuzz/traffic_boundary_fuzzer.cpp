// Fuzz target: a hostile host traffic interface behind all four gauges,
// driven through refreshes, frames of every view, clicks on plotted targets
// (so that both data blocks draw the selected aircraft) and host updates,
// with the traffic alerts flipped on and off and fed hostile rates: clocks
// that stand still, go back, creep or are not numbers, positions that move
// a little or jump, 1e30 speeds, identifiers shared and taken over.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "fuzz/FuzzTraffic.h"
#include "fuzz/HostileValues.h"
#include "gauge/RadarGauge.h"
#include "module/GaugeCallbacks.h"
#include "tests/support/FakePanel.h"
#include "tests/support/PanelWindows.h"

namespace {

using quillon::fuzzing::FuzzTraffic;
using quillon::fuzzing::hostileNumber;
using quillon::testing::FakePanel;
using quillon::testing::HostSurface;
using quillon::testing::PanelWindow;

constexpr int kWindows = quillon::kVariantCount;
constexpr int kSurfacePixels = 100;
constexpr double kLatitudeUnitsPerDegree = 40007000.0 / 360.0;
constexpr double kLongitudeUnitsPerDegree = 281474976710656.0 / 360.0;  // 2^48 / 360

struct Host {
    FakePanel panel;
    FuzzTraffic traffic;
    std::unique_ptr<HostSurface> surfaces[kWindows];
    std::unique_ptr<PanelWindow> windows[kWindows];

    Host() {
        panel.offerTrafficInfo(&traffic);
        for (int i = 0; i < kWindows; ++i) {
            surfaces[i] = std::make_unique<HostSurface>(kSurfacePixels, kSurfacePixels);
            windows[i] = std::make_unique<PanelWindow>(i);
            windows[i]->attach(surfaces[i]->deviceContext(), kSurfacePixels, kSurfacePixels);
        }
    }
};

// A click on the point where the gauge last plotted a target (or near it),
// in a click area as large as the logical space, so pixels are logical units.
void clickPlottedTarget(FuzzedDataProvider& data, PanelWindow& window) {
    const quillon::RadarGauge* gauge = quillon::variantGauge(static_cast<quillon::GaugeVariant>(window.variant()));
    if (gauge == nullptr) return;
    // Mostly a target the list holds now; sometimes any slot.
    const uint32_t count = gauge->trafficList() != nullptr ? gauge->trafficList()->count() : 0;
    const int index = count > 0 && data.ConsumeIntegralInRange<int>(0, 7) != 0
                          ? static_cast<int>(data.ConsumeIntegralInRange<uint32_t>(0, count - 1))
                          : data.ConsumeIntegralInRange<int>(0, quillon::TrafficList::kSlots - 1);
    const quillon::PlotPosition& plotted = gauge->plotPosition(index);
    quillon::ViewOrigin origin{};
    if (!quillon::viewOriginOf(gauge->displayMode(), origin)) origin = quillon::kFullCircleOrigin;
    const double x = origin.x + plotted.x + data.ConsumeIntegralInRange<int>(-25, 25);
    const double y = origin.y + plotted.y + data.ConsumeIntegralInRange<int>(-25, 25);
    // Plot positions may be anything (NaN, huge): the host only ever sends whole pixels.
    const auto pixel = [](double v) { return v == v && v > -1e9 && v < 1e9 ? static_cast<int32_t>(v) : 0; };
    window.click(pixel(x), pixel(y), 1000, 1000);
}

int32_t pickMode(FuzzedDataProvider& data) {
    switch (data.ConsumeIntegralInRange<int>(0, 7)) {
        case 0: return data.ConsumeIntegral<int32_t>();
        case 1: case 2: return 2;
        case 3: case 4: return 3;
        default: return 4;
    }
}

// The pilots' options: mostly off or on, sometimes any value at all.
void setPilotOptions(FuzzedDataProvider& data, FakePanel& panel) {
    panel.setNamedVariable("Radar Altitude Tags", data.ConsumeBool() ? 1.0 : hostileNumber(data, -1.0, 3.0));
    panel.setNamedVariable("Radar Filter", data.ConsumeBool() ? data.ConsumeIntegralInRange<int>(0, 4)
                                                              : hostileNumber(data, -1.0, 6.0));
    panel.setNamedVariable("Radar Alerts", data.ConsumeIntegralInRange<int>(0, 3) != 0 ? 1.0 : hostileNumber(data, -1.0, 3.0));
    panel.setNamedVariable("Radar Alert Mute", data.ConsumeBool() ? 0.0 : hostileNumber(data, -1.0, 3.0));
    panel.setNamedVariable("Radar Auto Range", data.ConsumeBool() ? 1.0 : hostileNumber(data, -1.0, 3.0));
    panel.setNamedVariable("Radar Trails", data.ConsumeIntegralInRange<int>(0, 3) != 0 ? 1.0 : hostileNumber(data, -1.0, 3.0));
    panel.setNamedVariable("Radar Dimming", data.ConsumeBool() ? 10.0 * data.ConsumeIntegralInRange<int>(0, 9)
                                                               : hostileNumber(data, -200.0, 200.0));
}

// The host clock of the next frame: mostly a steady step with a refresh now
// and then; sometimes standing still, going back, creeping or lost.
double nextClock(FuzzedDataProvider& data, double clock, FakePanel& panel) {
    switch (data.ConsumeIntegralInRange<int>(0, 15)) {
        case 0: case 1: case 2: clock += 1.5; break;
        case 3: break;  // no step at all
        case 4: clock -= data.ConsumeFloatingPointInRange<double>(0.01, 100.0); break;
        case 5: clock += 1e-9; break;
        case 6: panel.setClock(hostileNumber(data, -1e9, 1e9)); return clock;
        default: clock += 1.0 / 18.0; break;
    }
    panel.setClock(clock);
    return clock;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static Host* host = new Host();  // lives for the whole run
    // The first bytes steer the host (clock, views, clicks); the rest are the
    // traffic interface's answers, which may run out at any point.
    const size_t controlSize = size < 64 ? size : 64 + (size - 64) / 8;
    FuzzedDataProvider data(bytes, controlSize);
    FuzzedDataProvider answers(bytes + controlSize, size - controlSize);
    host->traffic.use(&answers);
    host->traffic.setSpread(data.ConsumeBool() ? 0.5 : 5.0);
    host->traffic.setModePolicy(data.ConsumeIntegralInRange<int>(0, 2));
    host->traffic.setMotion(data.ConsumeBool());

    double clock = 2.0;
    host->panel.setClock(clock);
    host->panel.setModuleVariable(host::kVarOwnHeading, hostileNumber(data, 0.0, 360.0));
    const bool displaced = data.ConsumeIntegralInRange<int>(0, 7) == 0;
    host->panel.setModuleVariable(host::kVarOwnLatitude,
                                  displaced ? hostileNumber(data, -1e9, 1e9) : 0.1 * kLatitudeUnitsPerDegree);
    host->panel.setModuleVariable(host::kVarOwnLongitude,
                                  displaced ? hostileNumber(data, -1e15, 1e15) : 0.1 * kLongitudeUnitsPerDegree);
    host->panel.setModuleVariable(host::kVarOwnAltitudeMetres, hostileNumber(data, 0.0, 12000.0));
    host->panel.setNamedVariable("Radar Mode", pickMode(data));
    host->panel.setNamedVariable("Radar Range", data.ConsumeBool() ? 40.0 : hostileNumber(data, 0.0, 400.0));
    setPilotOptions(data, host->panel);

    for (auto& window : host->windows) window->service(host::kServiceCreate);

    const int frames = data.ConsumeIntegralInRange<int>(1, 16);
    for (int frame = 0; frame < frames; ++frame) {
        clock = nextClock(data, clock, host->panel);
        if (data.ConsumeIntegralInRange<int>(0, 3) == 0) host->panel.setNamedVariable("Radar Mode", pickMode(data));
        if (data.ConsumeIntegralInRange<int>(0, 3) == 0) setPilotOptions(data, host->panel);  // flipped between frames
        if (data.ConsumeIntegralInRange<int>(0, 7) == 0) {
            host->panel.setNamedVariable("Radar Range", hostileNumber(data, 5.0, 400.0));
        }
        if (data.ConsumeIntegralInRange<int>(0, 7) == 0) {
            host->panel.setModuleVariable(host::kVarOwnHeading, hostileNumber(data, 0.0, 360.0));
        }
        for (auto& window : host->windows) {
            if (data.ConsumeIntegralInRange<int>(0, 3) == 0) window->service(data.ConsumeIntegralInRange<int32_t>(0, 20));
            window->service(host::kServiceDraw);
            if (data.ConsumeBool()) clickPlottedTarget(data, *window);
        }
        host->panel.clearCalls();
    }

    // To look at what an input draws: QUILLON_FUZZ_PNG_DIR=<dir> <target> <input>
    if (const char* directory = std::getenv("QUILLON_FUZZ_PNG_DIR")) {
        for (int i = 0; i < kWindows; ++i) {
            char path[512];
            std::snprintf(path, sizeof path, "%s/window-%d.png", directory, i);
            host->surfaces[i]->savePng(path);
        }
    }
    quillon::testing::disconnectEveryGauge();
    host->traffic.use(nullptr);
    host->panel.clearCalls();
    return 0;
}
