// What a gauge costs the simulator's frame, measured through the stand-in
// host exactly as the simulator drives the module: draw notifications that
// redraw (per view, data block, number of aircraft and surface size), draw
// notifications that find the clock unchanged, update services, traffic
// refreshes with the number of host calls they make, and panel windows of
// several large gauges whose backdrops together exceed the module's bound.
// Some frames have the pilots' options on: altitude tags, the traffic
// filter's normal band, or the traffic alerts (whose classification runs
// after each refresh: frames that refresh every time measure it).
//
// Every case runs three times: against the module drawing with libgdiplus,
// against a copy of the module linked to a GDI+ that does nothing, and
// against the reference module that draws every frame directly, without the
// surfaces' backdrops. The second is the module's own cost; its share of the
// first is what the module adds to the drawing library's work. The third
// over the first is what the backdrops save.
//
//   quillon_bench [--json=FILE] [--log=FILE] [--pictures=DIR] [--quick] [--iterations=N] [benchmark flags]
//
// --log sends the runs as they finish to a file, leaving the tables alone on
// the standard output; --pictures saves the 512-pixel cases as PNG;
// --quick runs each case briefly and once (for trying the harness);
// --iterations=N runs each case exactly N times, once: two counts under
// callgrind give the instructions of a frame by their difference, without
// the case's preparation.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench/SyntheticTraffic.h"
#include "sim/Host.h"

namespace {

// ---- The two modules ---------------------------------------------------------

enum Drawing { kLibGdiPlus, kNullGdiPlus, kDirect, kDrawingCount };
const char* const kDrawingNames[kDrawingCount] = {"libgdiplus", "null-gdiplus", "direct"};
const char* const kModulePaths[kDrawingCount] = {QUILLON_MODULE_PATH, QUILLON_NULLGDI_MODULE_PATH,
                                                 QUILLON_DIRECT_MODULE_PATH};

enum Block { kCompact, kFull };
const char* blockName(Block block) { return block == kCompact ? "compact" : "full"; }
// The circular gauges carry the compact block, the rectangular ones the full block.
const char* gaugeFor(Block block) { return block == kCompact ? "Circular Green" : "Rectangular Green"; }

const char* viewName(int mode) {
    switch (mode) {
        case 2: return "full-circle";
        case 3: return "forward-arc";
        case 4: return "grid";
        default: return "?";
    }
}

// The pilots' options a frame case turns on through the panel.
// Alerts come with the advisories' and proximate traffic's tags; "alerts-auto"
// adds the auto range.
enum Options { kPlain, kTags, kFilter, kAlerts, kAlertsAutoRange, kTrails, kDimming };
const char* optionsName(Options options) {
    switch (options) {
        case kTags: return "tags";
        case kFilter: return "filter";
        case kAlerts: return "alerts";
        case kAlertsAutoRange: return "alerts-auto";
        case kTrails: return "trails";
        case kDimming: return "dimming";
        default: return "plain";
    }
}

// A small step of the clock: enough for a redraw, never enough for a refresh.
constexpr double kFrameStep = 0.001;
// A trail's sampling interval: every step refreshes and adds a position.
constexpr double kTrailStep = 4.0;
constexpr int kTrailPositions = 6;
// More than the refresh interval: every step refreshes.
constexpr double kRefreshStep = 1.5;

// One stand-in host per module, with its windows and current traffic.
class Stage {
public:
    explicit Stage(const char* modulePath) : host_(std::make_unique<sim::Host>(modulePath)) {
        if (!host_->loaded()) {
            std::fprintf(stderr, "quillon_bench: %s\n", host_->error().c_str());
            std::exit(2);
        }
        host_->calls().setEnabled(false);
    }

    sim::Host& host() { return *host_; }

    sim::Window& window(Block block, int pixels) {
        const std::string key = std::string(gaugeFor(block)) + "/" + std::to_string(pixels);
        auto found = windows_.find(key);
        if (found != windows_.end()) return *found->second;
        sim::Window& opened = host_->openWindow(gaugeFor(block), pixels, pixels);
        windows_[key] = &opened;
        // The first draw of the module registers its named variables.
        redraw(opened);
        return opened;
    }

    // With encounters: the five closing aircraft besides.
    void useTraffic(int count, bool encounters = false) {
        if (count == trafficCount_ && encounters == encounters_) return;
        sim::Scenario scenario = bench::syntheticTraffic(count);
        if (encounters) bench::addEncounters(scenario);
        host_->setScenario(scenario);
        trafficCount_ = count;
        encounters_ = encounters;
    }

    // Redraws with the clock moved on by step.
    void redraw(sim::Window& window, double step = kFrameStep) {
        host_->setClock(host_->clock() + step);
        host_->drawWindow(window);
    }

    // The view showing the current traffic, refreshed, with the aircraft to
    // select selected by a click on it, or the selection cleared by a click
    // on empty space (a frame without the data block).
    enum class Selection { Keep, Select, Clear };
    void prepareView(sim::Window& window, int mode, Selection selection, Options options = kPlain) {
        host_->setNamed("Radar Mode", mode);
        const bool autoRange = options == kAlertsAutoRange;
        host_->setNamed("Radar Range", autoRange ? bench::kEncountersRangeNm : bench::kRangeNm);
        host_->setNamed("Radar Altitude Tags", options == kTags ? 1.0 : 0.0);
        host_->setNamed("Radar Filter", options == kFilter ? 2.0 : 0.0);  // 2,700 ft either way
        host_->setNamed("Radar Alerts", options == kAlerts || options == kAlertsAutoRange ? 1.0 : 0.0);
        host_->setNamed("Radar Auto Range", autoRange ? 1.0 : 0.0);
        // The advisories' rates need two sights of them in flight.
        for (int sight = 0; autoRange && sight < 3; ++sight) {
            host_->advance(kRefreshStep);
            host_->drawWindow(window);
        }
        host_->setNamed("Radar Trails", options == kTrails ? 1.0 : 0.0);
        host_->setNamed("Radar Dimming", options == kDimming ? 50.0 : 0.0);
        // Trails full: every aircraft with all its positions.
        if (options == kTrails)
            for (int i = 0; i < kTrailPositions; ++i) redraw(window, kTrailStep);
        redraw(window, kRefreshStep);  // reads the traffic
        redraw(window);                // plots it in this view
        if (selection != Selection::Keep) {
            const bench::LogicalPoint at =
                selection == Selection::Select ? bench::selectedAircraftPoint(mode) : bench::emptyPoint();
            host_->click(window, static_cast<int>(at.x * window.width() / 1000.0),
                         static_cast<int>(at.y * window.height() / 1000.0));
        }
        redraw(window);
    }

    // The windows of a panel of count gauges of the size, opened once.
    std::vector<sim::Window*> panelWindows(int count, int pixels) {
        std::vector<sim::Window*> panel;
        for (int i = 0; i < count; ++i) {
            const std::string key = "panel/" + std::to_string(i) + "/" + std::to_string(pixels);
            auto found = windows_.find(key);
            if (found == windows_.end()) {
                sim::Window& opened = host_->openWindow(gaugeFor(kCompact), pixels, pixels);
                found = windows_.emplace(key, &opened).first;
            }
            panel.push_back(found->second);
        }
        return panel;
    }

    // Host calls made by one run of the action.
    template <typename Action>
    size_t countCalls(Action action) {
        sim::CallLog& log = host_->calls();
        log.clear();
        log.setEnabled(true);
        action();
        log.setEnabled(false);
        const size_t total = log.total();
        lastCounts_.clear();
        for (int kind = 0; kind < static_cast<int>(sim::Call::Count_); ++kind) {
            const size_t n = log.count(static_cast<sim::Call>(kind));
            if (n > 0) lastCounts_[sim::callName(static_cast<sim::Call>(kind))] = n;
        }
        log.clear();
        return total;
    }
    const std::map<std::string, size_t>& lastCounts() const { return lastCounts_; }

private:
    std::unique_ptr<sim::Host> host_;
    std::map<std::string, sim::Window*> windows_;
    int trafficCount_ = -1;
    bool encounters_ = false;
    std::map<std::string, size_t> lastCounts_;
};

// The stand-in host serves one loaded module per process: switching to the
// other module unloads the first (cases prepare their windows afresh).
Stage& stage(Drawing drawing) {
    static std::unique_ptr<Stage> current;
    static Drawing currentDrawing = kDrawingCount;
    if (!current || currentDrawing != drawing) {
        current.reset();
        current = std::make_unique<Stage>(kModulePaths[drawing]);
        currentDrawing = drawing;
    }
    return *current;
}

// ---- Cases ----------------------------------------------------------------

// What changes before every redraw: nothing, the range (the backdrop is
// painted again), the surface's size (a new backdrop is made), or the clock
// by more than the refresh interval (the traffic list refreshes, and with
// alerts on its aircraft are classified).
enum class Change { None, Range, Size, Refresh };
const char* changeName(Change change) {
    switch (change) {
        case Change::Range: return "range";
        case Change::Size: return "size";
        case Change::Refresh: return "refresh";
        default: return "none";
    }
}

struct FrameCase {
    FrameCase(int m, Block b, int n, int px, Change ch = Change::None, Options o = kPlain, bool sel = true)
        : mode(m), block(b), aircraft(n), pixels(px), change(ch), options(o), selected(sel) {}
    int mode;
    Block block;
    int aircraft;  // besides the own one
    int pixels;
    Change change;
    Options options;
    // With traffic, one aircraft is selected and its data block drawn; a case
    // without the selection gives the block's cost by difference.
    bool selected;
    double micros[kDrawingCount] = {NAN, NAN, NAN};
    size_t hostCalls = 0;  // per redraw
    // An option's cost is taken against a plain frame measured right before
    // it, drawing by drawing: this machine's speed drifts over a run by more
    // than the options cost. The twin is that plain frame.
    Options twinOf = kPlain;
    double plainMicros[kDrawingCount] = {NAN, NAN, NAN};
    FrameCase plainTwin() const {
        FrameCase twin = *this;
        twin.options = kPlain;
        twin.twinOf = options;
        return twin;
    }
    std::string name(Drawing drawing) const {
        return std::string("frame/") + viewName(mode) + "/" + blockName(block) + "/aircraft:" +
               std::to_string(aircraft) + "/px:" + std::to_string(pixels) +
               (change == Change::None ? "" : std::string("/change:") + changeName(change)) +
               optionsPart() + (selected ? "" : "/unselected") + "/" + kDrawingNames[drawing];
    }
    // A twin is named after its option, so that a filter on the option keeps it.
    std::string optionsPart() const {
        if (options != kPlain) return std::string("/") + optionsName(options);
        return twinOf == kPlain ? "" : std::string("/") + optionsName(twinOf) + "/plain-before";
    }
};

enum class Notice { DrawUnchanged, Update, RefreshFull, RefreshLimited };

struct NoticeCase {
    NoticeCase(Notice n, const char* text) : notice(n), label(text) {}
    Notice notice;
    const char* label;
    double micros[kDrawingCount] = {NAN, NAN, NAN};
    size_t hostCalls = 0;
    std::map<std::string, size_t> callKinds;
    std::string name(Drawing drawing) const { return std::string("notice/") + label + "/" + kDrawingNames[drawing]; }
};

// One panel window with several large gauges, all redrawn in every frame.
struct PanelCase {
    PanelCase(int n, int px) : gauges(n), pixels(px) {}
    int gauges;
    int pixels;
    double micros[kDrawingCount] = {NAN, NAN, NAN};
    std::string name(Drawing drawing) const {
        return "panel/gauges:" + std::to_string(gauges) + "/px:" + std::to_string(pixels) + "/" +
               kDrawingNames[drawing];
    }
};
constexpr int kPanelAircraft = 30;

constexpr int kNoticeAircraft = 300;
constexpr int kNoticePixels = 512;
constexpr int32_t kUpdateService = 0;

Stage::Selection selectionFor(const FrameCase& c) {
    if (c.aircraft == 0) return Stage::Selection::Keep;
    return c.selected ? Stage::Selection::Select : Stage::Selection::Clear;
}

void runFrames(benchmark::State& state, FrameCase& c, Drawing drawing) {
    Stage& s = stage(drawing);
    s.useTraffic(c.aircraft, c.options == kAlertsAutoRange);
    sim::Window& window = s.window(c.block, c.pixels);
    s.prepareView(window, c.mode, selectionFor(c), c.options);
    sim::Host& host = s.host();
    // Two clock values in turn: each notification redraws, none refreshes.
    // A range change refreshes the traffic list (in both modules alike).
    const double base = host.clock();
    bool odd = false;
    for (auto _ : state) {
        odd = !odd;
        // A refreshing frame's clock only goes forward: set back, it would start the advisories afresh.
        host.setClock(c.change == Change::Refresh ? host.clock() + kRefreshStep
                                                  : base + (odd ? kFrameStep : 2 * kFrameStep));
        if (c.change == Change::Range) host.setNamed("Radar Range", odd ? bench::kRangeNm : bench::kRangeNm - 0.5);
        if (c.change == Change::Size)
            window.resize(c.pixels - (odd ? 1 : 0), c.pixels, sim::ResizeMode::KeepDeviceContext);
        host.drawWindow(window);
    }
    if (c.change == Change::Range) host.setNamed("Radar Range", bench::kRangeNm);
    if (c.change == Change::Size) window.resize(c.pixels, c.pixels, sim::ResizeMode::KeepDeviceContext);
    c.hostCalls = s.countCalls([&] { s.redraw(window); });
}

void runPanel(benchmark::State& state, PanelCase& c, Drawing drawing) {
    Stage& s = stage(drawing);
    s.useTraffic(kPanelAircraft);
    const std::vector<sim::Window*> panel = s.panelWindows(c.gauges, c.pixels);
    s.prepareView(*panel.front(), 2, Stage::Selection::Keep);
    sim::Host& host = s.host();
    const double base = host.clock();
    bool odd = false;
    for (auto _ : state) {
        odd = !odd;
        host.setClock(base + (odd ? kFrameStep : 2 * kFrameStep));
        for (sim::Window* window : panel) host.drawWindow(*window);
    }
}

void runNotice(benchmark::State& state, NoticeCase& c, Drawing drawing) {
    Stage& s = stage(drawing);
    s.useTraffic(kNoticeAircraft);
    sim::Window& window = s.window(kCompact, kNoticePixels);
    s.host().traffic().setLimitedMode(c.notice == Notice::RefreshLimited);
    s.prepareView(window, 2, Stage::Selection::Select);
    sim::Host& host = s.host();
    auto once = [&] {
        switch (c.notice) {
            case Notice::DrawUnchanged: host.drawWindow(window); break;
            case Notice::Update: host.service(window, kUpdateService); break;
            case Notice::RefreshFull:
            case Notice::RefreshLimited:
                host.setClock(host.clock() + kRefreshStep);
                host.service(window, kUpdateService);
                break;
        }
    };
    for (auto _ : state) once();
    c.hostCalls = s.countCalls(once);
    c.callKinds = s.lastCounts();
    host.traffic().setLimitedMode(false);
}

// ---- Results --------------------------------------------------------------

// Keeps the figure of every run; the runs themselves are shown as they
// finish, or only counted on the error stream when they go to a log file.
class Collector : public benchmark::ConsoleReporter {
public:
    explicit Collector(bool progressOnly)
        : ConsoleReporter(progressOnly ? OO_Tabular : OO_Defaults), progressOnly_(progressOnly && isatty(2)) {}
    std::map<std::string, double> microsByName;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        if (progressOnly_) {
            std::fprintf(stderr, "\r  benchmark runs done: %zu", ++done_);
            std::fflush(stderr);
        }
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!single && !median) continue;
            double value = run.GetAdjustedCPUTime();  // in the run's unit, microseconds here
            microsByName[run.run_name.function_name] = value;
        }
    }

private:
    bool progressOnly_;
    size_t done_ = 0;
};

double share(const double micros[kDrawingCount]) {
    return 100.0 * micros[kNullGdiPlus] / micros[kLibGdiPlus];
}

// How many times cheaper the frame is than the directly drawn one.
double saving(const double micros[kDrawingCount]) { return micros[kDirect] / micros[kLibGdiPlus]; }

const FrameCase* findCase(const std::vector<FrameCase>& frames, int mode, int aircraft, Change change,
                         Options options) {
    for (const FrameCase& c : frames)
        if (c.mode == mode && c.block == kCompact && c.pixels == 512 && c.aircraft == aircraft && c.change == change &&
            c.options == options && c.selected && !std::isnan(c.micros[kLibGdiPlus]))
            return &c;
    return nullptr;
}

// The classification runs in the frame after a refresh and draws nothing:
// its cost is what a refreshing frame with alerts takes more than one
// without in the module's own time (null GDI+, free of the drawing
// library's noise), against the whole refreshing frame with alerts (the
// worst frame; at 18 frames a second one frame in 18 refreshes).
void printAlertsShare(const std::vector<FrameCase>& frames) {
    const FrameCase* plain = findCase(frames, 2, 300, Change::Refresh, kPlain);
    const FrameCase* alerts = findCase(frames, 2, 300, Change::Refresh, kAlerts);
    if (plain == nullptr || alerts == nullptr) return;
    const double cost = alerts->micros[kNullGdiPlus] - plain->micros[kNullGdiPlus];
    std::printf("\nTraffic alerts' classification, 300 aircraft, refreshing frame (full circle, compact, 512 px)\n");
    std::printf("%-12s %14s %14s %14s\n", "", "libgdiplus us", "null GDI+ us", "direct us");
    std::printf("%-12s %14.1f %14.2f %14.1f\n", "alerts off", plain->micros[kLibGdiPlus], plain->micros[kNullGdiPlus],
                plain->micros[kDirect]);
    std::printf("%-12s %14.1f %14.2f %14.1f\n", "alerts on", alerts->micros[kLibGdiPlus], alerts->micros[kNullGdiPlus],
                alerts->micros[kDirect]);
    std::printf("  classification: %.1f us, %.1f %% of the frame (libgdiplus), %.1f %% (direct)\n", cost,
                100.0 * cost / alerts->micros[kLibGdiPlus], 100.0 * cost / alerts->micros[kDirect]);
}

void printTables(const std::vector<FrameCase>& frames, const std::vector<NoticeCase>& notices,
                 const std::vector<PanelCase>& panels) {
    std::printf("\nRedrawing draw notification, per frame (CPU time; module's share = do-nothing GDI+ / libgdiplus;\n"
                "direct = the reference module drawing without backdrops; saving = direct / libgdiplus)\n");
    std::printf("%-12s %-8s %-7s %8s %4s %6s %-6s %14s %14s %8s %11s %11s %7s\n", "view", "block", "options",
                "aircraft", "sel", "px", "change", "libgdiplus us", "null GDI+ us", "share", "host calls", "direct us", "saving");
    for (const FrameCase& c : frames) {
        if (std::isnan(c.micros[kLibGdiPlus]) && std::isnan(c.micros[kNullGdiPlus]) && std::isnan(c.micros[kDirect]))
            continue;  // filtered out
        std::printf("%-12s %-8s %-7s %8d %4s %6d %-6s %14.1f %14.2f %7.1f%% %11zu %11.1f %6.2fx\n", viewName(c.mode),
                    blockName(c.block), optionsName(c.options), c.aircraft, c.selected ? "yes" : "no", c.pixels,
                    changeName(c.change),
                    c.micros[kLibGdiPlus], c.micros[kNullGdiPlus], share(c.micros), c.hostCalls, c.micros[kDirect],
                    saving(c.micros));
    }
    // The options against the plain frame of the same view, block, traffic and size, measured right before.
    std::printf("\nPilots' options, cost against the plain frame measured right before each "
                "(libgdiplus; null GDI+; the direct reference)\n");
    std::printf("%-12s %-8s %-7s %8s %6s %-7s %10s %10s %10s\n", "view", "block", "options", "aircraft", "px", "change",
                "ratio", "null", "direct");
    for (const FrameCase& c : frames) {
        if (c.options == kPlain || std::isnan(c.micros[kLibGdiPlus]) || std::isnan(c.plainMicros[kLibGdiPlus]))
            continue;
        std::printf("%-12s %-8s %-7s %8d %6d %-7s %10.3f %10.3f %10.3f\n", viewName(c.mode), blockName(c.block),
                    optionsName(c.options), c.aircraft, c.pixels, changeName(c.change),
                    c.micros[kLibGdiPlus] / c.plainMicros[kLibGdiPlus],
                    c.micros[kNullGdiPlus] / c.plainMicros[kNullGdiPlus], c.micros[kDirect] / c.plainMicros[kDirect]);
    }
    printAlertsShare(frames);
    std::printf("\nPanel windows, every gauge redrawn per frame (%d aircraft, full circle, compact block)\n",
                kPanelAircraft);
    std::printf("%-8s %6s %14s %14s %11s %8s\n", "gauges", "px", "libgdiplus us", "null GDI+ us", "direct us", "saving");
    for (const PanelCase& c : panels) {
        if (std::isnan(c.micros[kLibGdiPlus]) && std::isnan(c.micros[kDirect])) continue;
        std::printf("%-8d %6d %14.1f %14.2f %11.1f %7.2fx\n", c.gauges, c.pixels, c.micros[kLibGdiPlus],
                    c.micros[kNullGdiPlus], c.micros[kDirect], saving(c.micros));
    }
    std::printf("\nOther notifications (%d aircraft, %d px full-circle, compact block)\n", kNoticeAircraft,
                kNoticePixels);
    std::printf("%-32s %14s %14s %11s\n", "notification", "libgdiplus us", "null GDI+ us", "host calls");
    for (const NoticeCase& c : notices) {
        if (std::isnan(c.micros[kLibGdiPlus]) && std::isnan(c.micros[kNullGdiPlus])) continue;
        std::printf("%-32s %14.2f %14.2f %11zu\n", c.label, c.micros[kLibGdiPlus], c.micros[kNullGdiPlus],
                    c.hostCalls);
    }
    for (const NoticeCase& c : notices) {
        if (c.notice != Notice::RefreshFull && c.notice != Notice::RefreshLimited) continue;
        std::printf("  %s:", c.label);
        for (const auto& [kind, n] : c.callKinds) std::printf(" %s %zu", kind.c_str(), n);
        std::printf("\n");
    }
    // Growth with the number of aircraft: the module's own cost per drawn aircraft.
    std::printf("\nModule's own cost per aircraft (null GDI+, (t[300] - t[0]) / 299), us\n");
    std::printf("%-12s %-8s %6s %10s %10s\n", "view", "block", "px", "per aircr.", "t[0]");
    for (const FrameCase& none : frames) {
        if (none.aircraft != 0 || none.options != kPlain) continue;
        for (const FrameCase& most : frames) {
            if (most.options != kPlain || !most.selected || most.mode != none.mode || most.block != none.block ||
                most.pixels != none.pixels || most.change != Change::None || none.change != Change::None ||
                most.aircraft != 300 || std::isnan(most.micros[kNullGdiPlus]) || std::isnan(none.micros[kNullGdiPlus]))
                continue;
            std::printf("%-12s %-8s %6d %10.3f %10.2f\n", viewName(none.mode), blockName(none.block), none.pixels,
                        (most.micros[kNullGdiPlus] - none.micros[kNullGdiPlus]) / 299.0, none.micros[kNullGdiPlus]);
        }
    }
}

// What follows the colon on the first line of a file that starts with the key.
std::string lineOf(const char* path, const std::string& key) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) return "";
        const size_t value = line.find_first_not_of(" \t", colon + 1);
        return value == std::string::npos ? "" : line.substr(value);
    }
    return "";
}

std::string utcNow() {
    const std::time_t now = std::time(nullptr);
    char text[32] = "";
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
    return text;
}

// The 1, 5 and 15 minutes' load averages, as the system gives them.
std::string loadAverages() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return file ? one + " " + five + " " + fifteen : "";
}

// Where and when the figures were taken: they mean little without it on a shared machine.
struct RunConditions {
    std::string started = utcNow();
    std::string loadAtStart = loadAverages();
    nlohmann::json asJson() const {
        return {{"processor", lineOf("/proc/cpuinfo", "model name")},
                {"processors", sysconf(_SC_NPROCESSORS_ONLN)},
                {"started", started},
                {"finished", utcNow()},
                {"loadAverageAtStart", loadAtStart},
                {"loadAverageAtEnd", loadAverages()}};
    }
};

void writeJson(const std::string& path, const RunConditions& conditions, const std::vector<FrameCase>& frames,
               const std::vector<NoticeCase>& notices, const std::vector<PanelCase>& panels) {
    nlohmann::json out;
    out["unit"] = "microseconds of CPU time per notification";
    out["machine"] = conditions.asJson();
    out["aircraftNote"] = "aircraft besides the own one; the host returns at most 300 objects, the own one first";
    for (const FrameCase& c : frames) {
        if (std::isnan(c.micros[kLibGdiPlus]) && std::isnan(c.micros[kNullGdiPlus])) continue;  // filtered out
        out["frames"].push_back({{"view", viewName(c.mode)},
                                 {"displayMode", c.mode},
                                 {"block", blockName(c.block)},
                                 {"aircraft", c.aircraft},
                                 {"options", optionsName(c.options)},
                                 {"pixels", c.pixels},
                                 {"changeBeforeEachFrame", changeName(c.change)},
                                 {"selected", c.selected},
                                 {"libgdiplus", c.micros[kLibGdiPlus]},
                                 {"nullGdiplus", c.micros[kNullGdiPlus]},
                                 {"direct", c.micros[kDirect]},
                                 {"moduleSharePercent", share(c.micros)},
                                 {"directOverBackdrop", saving(c.micros)},
                                 {"hostCallsPerFrame", c.hostCalls}});
        if (c.options != kPlain)
            out["frames"].back()["plainBefore"] = {{"libgdiplus", c.plainMicros[kLibGdiPlus]},
                                                   {"nullGdiplus", c.plainMicros[kNullGdiPlus]},
                                                   {"direct", c.plainMicros[kDirect]}};
    }
    for (const NoticeCase& c : notices) {
        if (std::isnan(c.micros[kLibGdiPlus]) && std::isnan(c.micros[kNullGdiPlus])) continue;
        nlohmann::json entry = {{"notification", c.label},
                                {"libgdiplus", c.micros[kLibGdiPlus]},
                                {"nullGdiplus", c.micros[kNullGdiPlus]},
                                {"hostCalls", c.hostCalls}};
        for (const auto& [kind, n] : c.callKinds) entry["hostCallsByKind"][kind] = n;
        out["notifications"].push_back(entry);
    }
    for (const PanelCase& c : panels) {
        if (std::isnan(c.micros[kLibGdiPlus]) && std::isnan(c.micros[kDirect])) continue;
        out["panels"].push_back({{"gauges", c.gauges},
                                 {"pixels", c.pixels},
                                 {"aircraft", kPanelAircraft},
                                 {"libgdiplus", c.micros[kLibGdiPlus]},
                                 {"nullGdiplus", c.micros[kNullGdiPlus]},
                                 {"direct", c.micros[kDirect]},
                                 {"directOverBackdrop", saving(c.micros)}});
    }
    std::ofstream file(path);
    file << out.dump(2) << "\n";
    if (!file) {
        std::fprintf(stderr, "quillon_bench: cannot write %s\n", path.c_str());
        return;
    }
    std::printf("\nFigures written to %s\n", path.c_str());
}

void savePictures(const std::string& dir, std::vector<FrameCase>& frames) {
    std::error_code ignored;  // a folder that cannot be made fails at the first picture, naming it
    std::filesystem::create_directories(dir, ignored);
    for (FrameCase& c : frames) {
        if (c.pixels != 512 || c.change != Change::None) continue;
        Stage& s = stage(kLibGdiPlus);
        s.useTraffic(c.aircraft, c.options == kAlertsAutoRange);
        sim::Window& window = s.window(c.block, c.pixels);
        s.prepareView(window, c.mode, selectionFor(c), c.options);
        window.savePng(dir + "/" + viewName(c.mode) + "-" + blockName(c.block) + "-" + std::to_string(c.aircraft) +
                       (c.options == kPlain ? "" : std::string("-") + optionsName(c.options)) +
                       (c.selected ? "" : "-unselected") + ".png");
    }
}

std::string optionValue(const char* arg, const char* option) {
    const size_t n = std::strlen(option);
    return std::strncmp(arg, option, n) == 0 ? std::string(arg + n) : std::string();
}

}  // namespace

int main(int argc, char** argv) {
    std::string jsonPath;
    std::string picturesDir;
    std::string logPath;
    bool quick = false;
    int iterations = 0;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::string v = optionValue(argv[i], "--json="); !v.empty()) {
            jsonPath = v;
        } else if (std::string l = optionValue(argv[i], "--log="); !l.empty()) {
            logPath = l;
        } else if (std::string d = optionValue(argv[i], "--pictures="); !d.empty()) {
            picturesDir = d;
        } else if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else if (std::string n = optionValue(argv[i], "--iterations="); !n.empty()) {
            iterations = std::atoi(n.c_str());
        } else {
            rest.push_back(argv[i]);
        }
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());

    std::vector<FrameCase> frames;
    for (int mode : {2, 3, 4})
        for (Block block : {kCompact, kFull})
            for (int pixels : {128, 512, 1024})
                for (int aircraft : {0, 30, 100, 300}) frames.push_back(FrameCase{mode, block, aircraft, pixels});
    // The first frame after a change, which paints or makes the backdrop.
    for (int mode : {2, 3, 4})
        for (Change change : {Change::Range, Change::Size}) frames.push_back(FrameCase{mode, kCompact, 30, 512, change});
    // The pilots' options where they act: tags in the two scopes, the filter in every view.
    for (int mode : {2, 3, 4})
        for (Options options : {kTags, kFilter}) {
            if (options == kTags && mode == 4) continue;  // the grid has no tags
            for (int aircraft : {30, 100, 300})
                frames.push_back(FrameCase{mode, kCompact, aircraft, 512, Change::None, options});
        }
    // Without the selection: what the data block costs, by difference.
    for (int mode : {2, 3, 4}) {
        for (int aircraft : {30, 100, 300})
            frames.push_back(FrameCase{mode, kCompact, aircraft, 512, Change::None, kPlain, false});
        frames.push_back(FrameCase{mode, kFull, 100, 512, Change::None, kPlain, false});
    }
    // The traffic alerts in every view, and frames that refresh (and so classify) every time.
    for (int mode : {2, 3, 4})
        for (int aircraft : {30, 100, 300})
            for (Options options : {kAlerts, kAlertsAutoRange})
                frames.push_back(FrameCase{mode, kCompact, aircraft, 512, Change::None, options});
    for (Options options : {kPlain, kAlerts, kAlertsAutoRange})
        frames.push_back(FrameCase{2, kCompact, 300, 512, Change::Refresh, options});
    // Trails in the two scopes, each aircraft with its six dots; dimming on
    // a steady frame in every view.
    for (int mode : {2, 3})
        for (int aircraft : {30, 100, 300})
            frames.push_back(FrameCase{mode, kCompact, aircraft, 512, Change::None, kTrails});
    for (int mode : {2, 3, 4}) frames.push_back(FrameCase{mode, kCompact, 300, 512, Change::None, kDimming});
    // Three gauges of 1,024 pixels fit the backdrops' bound, six do not.
    std::vector<PanelCase> panels{{3, 1024}, {6, 1024}};
    std::vector<NoticeCase> notices{
        {Notice::DrawUnchanged, "draw, clock unchanged"},
        {Notice::Update, "update service, no refresh"},
        {Notice::RefreshFull, "refresh, 300 objects, full mode"},
        {Notice::RefreshLimited, "refresh, 300 objects, limited"},
    };

    const double minTime = quick ? 0.02 : 0.1;
    const int repetitions = quick ? 1 : 3;
    auto configure = [&](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMicrosecond);
        if (iterations > 0) {
            b->Iterations(iterations);
            return;
        }
        b->MinTime(minTime);
        if (repetitions > 1) b->Repetitions(repetitions)->ReportAggregatesOnly(true);
    };
    // Each case runs against both modules back to back, so that both see
    // the same load on the machine; an option's case right after its plain twin.
    std::vector<FrameCase> twins;
    twins.reserve(frames.size());  // registered by reference: never moved
    for (FrameCase& c : frames) {
        FrameCase* twin = nullptr;
        if (c.options != kPlain) {
            twins.push_back(c.plainTwin());
            twin = &twins.back();
        }
        for (int d = 0; d < kDrawingCount; ++d) {
            const Drawing drawing = static_cast<Drawing>(d);
            for (FrameCase* one : {twin, &c}) {
                if (one == nullptr) continue;
                configure(benchmark::RegisterBenchmark(one->name(drawing).c_str(),
                                                       [one, drawing](benchmark::State& st) {
                                                           runFrames(st, *one, drawing);
                                                       }));
            }
        }
    }
    for (PanelCase& c : panels)
        for (int d = 0; d < kDrawingCount; ++d) {
            const Drawing drawing = static_cast<Drawing>(d);
            configure(benchmark::RegisterBenchmark(c.name(drawing).c_str(), [&c, drawing](benchmark::State& st) {
                runPanel(st, c, drawing);
            }));
        }
    for (NoticeCase& c : notices)
        for (int d = 0; d < kDrawingCount; ++d) {
            const Drawing drawing = static_cast<Drawing>(d);
            configure(benchmark::RegisterBenchmark(c.name(drawing).c_str(), [&c, drawing](benchmark::State& st) {
                runNotice(st, c, drawing);
            }));
        }

    Collector collector(!logPath.empty());
    std::ofstream log;
    if (!logPath.empty()) {
        log.open(logPath);
        if (!log) {
            std::fprintf(stderr, "quillon_bench: cannot write %s\n", logPath.c_str());
            return 2;
        }
        collector.SetOutputStream(&log);
        collector.SetErrorStream(&log);
    }
    const RunConditions conditions;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    if (!logPath.empty()) std::fprintf(stderr, "\n  runs logged in %s\n", logPath.c_str());

    for (FrameCase& c : frames)
        for (int d = 0; d < kDrawingCount; ++d) {
            auto found = collector.microsByName.find(c.name(static_cast<Drawing>(d)));
            if (found != collector.microsByName.end()) c.micros[d] = found->second;
            if (c.options == kPlain) continue;
            found = collector.microsByName.find(c.plainTwin().name(static_cast<Drawing>(d)));
            if (found != collector.microsByName.end()) c.plainMicros[d] = found->second;
        }
    for (NoticeCase& c : notices)
        for (int d = 0; d < kDrawingCount; ++d) {
            auto found = collector.microsByName.find(c.name(static_cast<Drawing>(d)));
            if (found != collector.microsByName.end()) c.micros[d] = found->second;
        }
    for (PanelCase& c : panels)
        for (int d = 0; d < kDrawingCount; ++d) {
            auto found = collector.microsByName.find(c.name(static_cast<Drawing>(d)));
            if (found != collector.microsByName.end()) c.micros[d] = found->second;
        }

    printTables(frames, notices, panels);
    if (!jsonPath.empty()) writeJson(jsonPath, conditions, frames, notices, panels);
    if (!picturesDir.empty()) savePictures(picturesDir, frames);
    return 0;
}
