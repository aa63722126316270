// quillon-render-frames [--time N [--rounds R] [--reference MODULE] [--profile]] [--set NAME=VALUE]...
//                       [--leave-address-space MB] MODULE OUT_DIR [FRAME_NAME...]
// Renders the fixed frame list (or the named frames) through the stand-in
// host: for each frame a fresh load of the module, one window of the gauge,
// the view and range set through the named variables, the clock stepped,
// a target clicked, and the picture saved as OUT_DIR/<name>.png. The same
// program runs on Linux and, built for Windows, under Wine; each frame
// depends only on its own list entry, so the two runs are comparable.
// With --time, each frame is then redrawn N times and the cost of a redraw
// printed (kUsage below).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <system_error>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <time.h>
#endif

#include "sim/Host.h"
#include "tools/render-frames/CallTiming.h"
#include "tools/render-frames/FrameList.h"
#include "tools/render-frames/TargetPicker.h"
#if defined(_WIN32)
#include "sim/AddressSpace.h"
#include "sim/GdiPlusSession.h"
#include "sim/SurfaceDibSection.h"
#endif

namespace {

using quillon::frames::FrameSpec;

constexpr const char* kUsage = R"(usage: quillon-render-frames [--time N [--rounds R] [--reference MODULE] [--profile]]
                             [--set NAME=VALUE]... [--leave-address-space MB] MODULE OUT_DIR [FRAME_NAME...]

Renders the frame list (or the named frames) through the stand-in host with
MODULE (Quillon.so, or Quillon.dll in the Windows builds) and saves each
picture as OUT_DIR/<frame>.png, printing the clock and the selected aircraft.

  --time N     timing mode: after its picture, each frame is redrawn N times
               more (draw notifications only; the clock alternates between two
               values 0.001 apart, so each one redraws and turns the sweep, but
               none refreshes the traffic) and the cost of one redraw printed:
                 <frame>  <wall> us wall  <cpu> us cpu per redraw (R x N)
               wall is elapsed time, cpu the drawing thread's CPU time (coarse
               ticks under Wine: use N so that a round lasts 0.5 s or more).
  --rounds R   with --time: R rounds of N redraws, the median round printed
               (default 3).
  --reference REFERENCE
               with --time: times REFERENCE (Quillon-direct) in the same run,
               its rounds taking turns with MODULE's, and prints its figures
               and the ratio beside MODULE's:
                 <frame>  <cpu> us  <reference cpu> us  <ratio> x  (cpu per redraw)
               Its pictures go to OUT_DIR/reference/.
  --profile    with --time (32-bit Windows build only): one more round of N
               redraws with every GDI+ and GDI call of the module timed, and
               per element (copy, clear, the redraw's first stroke, the other
               lines, rings, box, texts, tags, blit, other calls) the time
               (time-stamp counter, wall time) and calls per redraw.
  --set NAME=VALUE
               gives a named variable a value along with the view and range
               (the pilots' options: values meaning "off" draw the same frames).
  --leave-address-space MB
               (Windows builds) before the first frame, reserves all of the
               process's free address space but one block of MB megabytes, as
               a 32-bit simulator on a heavy panel leaves it; every frame
               must then leave the heap as it found it (the module unloaded,
               nothing of it alive). The figures go to standard error.
  --help       this text.
)";

struct NamedSetting {
    std::string name;
    double value;
};

struct Options {
    std::vector<NamedSetting> settings;
    int redraws = 0;  // 0: no timing
    int rounds = 3;
    std::string referencePath;  // empty: no reference column
    bool profile = false;
    int leaveMegabytes = 0;  // 0: the address space as the process has it
    std::string modulePath;
    std::string outDir;
    std::vector<std::string> names;
};

bool positiveCount(const char* text, int& count) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 1000000) return false;
    count = static_cast<int>(value);
    return true;
}

// "NAME=VALUE" into a setting; false when it is not one.
bool parseSetting(const std::string& text, NamedSetting& setting) {
    const size_t equals = text.rfind('=');
    if (equals == std::string::npos || equals == 0) return false;
    const std::string number = text.substr(equals + 1);
    char* end = nullptr;
    setting.value = std::strtod(number.c_str(), &end);
    setting.name = text.substr(0, equals);
    return !number.empty() && end != nullptr && *end == '\0';
}

// Returns 0 to go on, otherwise the exit code.
int parseOptions(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const bool last = i + 1 == argc;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("%s", kUsage);
            return -1;
        } else if (std::strcmp(argv[i], "--time") == 0) {
            if (last || !positiveCount(argv[++i], options.redraws)) {
                std::fprintf(stderr, "--time needs a count from 1 to 1000000\n%s", kUsage);
                return 2;
            }
        } else if (std::strcmp(argv[i], "--reference") == 0) {
            if (last) {
                std::fprintf(stderr, "--reference needs a module\n%s", kUsage);
                return 2;
            }
            options.referencePath = argv[++i];
        } else if (std::strcmp(argv[i], "--profile") == 0) {
            options.profile = true;
        } else if (std::strcmp(argv[i], "--set") == 0) {
            NamedSetting setting;
            if (last || !parseSetting(argv[++i], setting)) {
                std::fprintf(stderr, "--set needs NAME=VALUE\n%s", kUsage);
                return 2;
            }
            options.settings.push_back(setting);
        } else if (std::strcmp(argv[i], "--leave-address-space") == 0) {
            if (last || !positiveCount(argv[++i], options.leaveMegabytes) || options.leaveMegabytes > 4096) {
                std::fprintf(stderr, "--leave-address-space needs megabytes from 1 to 4096\n%s", kUsage);
                return 2;
            }
#if !defined(_WIN32)
            std::fprintf(stderr, "--leave-address-space is for the Windows builds\n");
            return 2;
#endif
        } else if (std::strcmp(argv[i], "--rounds") == 0) {
            if (last || !positiveCount(argv[++i], options.rounds)) {
                std::fprintf(stderr, "--rounds needs a count from 1 to 1000000\n%s", kUsage);
                return 2;
            }
        } else {
            positional.emplace_back(argv[i]);
        }
    }
    if (positional.size() < 2) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    if ((!options.referencePath.empty() || options.profile) && options.redraws == 0) {
        std::fprintf(stderr, "--reference and --profile go with --time\n%s", kUsage);
        return 2;
    }
    if (options.profile && !quillon::frames::call_timing::available()) {
        std::fprintf(stderr, "--profile needs the 32-bit Windows build\n");
        return 2;
    }
    options.modulePath = positional[0];
    options.outDir = positional[1];
    options.names.assign(positional.begin() + 2, positional.end());
    return 0;
}

// CPU time of the calling thread, in microseconds.
double threadCpuMicroseconds() {
#if defined(_WIN32)
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0.0;
    auto ticks = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10.0;  // 100 ns units
#else
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
#endif
}

struct RoundTime {
    double wallMicroseconds;
    double cpuMicroseconds;
};

RoundTime timeRedraws(sim::Host& host, sim::Window& window, int redraws) {
    const double base = host.clock();
    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = threadCpuMicroseconds();
    for (int i = 0; i < redraws; ++i) {
        host.setClock(base + ((i & 1) == 0 ? 0.001 : 0.0));
        quillon::frames::call_timing::startRedraw();
        host.drawWindow(window);
    }
    const double cpu = threadCpuMicroseconds() - cpuStart;
    const std::chrono::duration<double, std::micro> wall = std::chrono::steady_clock::now() - wallStart;
    host.setClock(base);
    return {wall.count() / redraws, cpu / redraws};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// A frame made ready for timing: its host, with the window as the picture left it.
struct PreparedFrame {
    std::unique_ptr<sim::Host> host;
    sim::Window* window = nullptr;
};

struct Timing {
    std::vector<double> wall;
    std::vector<double> cpu;
    void add(const RoundTime& time) {
        wall.push_back(time.wallMicroseconds);
        cpu.push_back(time.cpuMicroseconds);
    }
};

// The median round of the frame's redraws.
RoundTime timeFrame(PreparedFrame& prepared, const Options& options) {
    Timing timing;
    for (int round = 0; round < options.rounds; ++round)
        timing.add(timeRedraws(*prepared.host, *prepared.window, options.redraws));
    return {median(timing.wall), median(timing.cpu)};
}

// One more round with the calls timed, by element.
std::string profileFrame(PreparedFrame& prepared, int account, const Options& options) {
    namespace timing = quillon::frames::call_timing;
    timing::startAccount(account);
    const RoundTime round = timeRedraws(*prepared.host, *prepared.window, options.redraws);
    char text[160];
    std::snprintf(text, sizeof text, "%8.1f us wall per redraw:", round.wallMicroseconds);
    std::string line = text;
    for (const quillon::frames::ElementTime& element : timing::perRedraw(account, options.redraws)) {
        std::snprintf(text, sizeof text, "  %s %.1f us (%.1f)", element.element, element.microseconds, element.calls);
        line += text;
    }
    return line;
}

bool wanted(const FrameSpec& frame, const std::vector<std::string>& names) {
    if (names.empty()) return true;
    for (const std::string& name : names) {
        if (name == frame.name) return true;
    }
    return false;
}

int pixelOf(double logical, int size) { return static_cast<int>(logical * size / 1000.0); }

// Whether the selection box around a target at a logical point was drawn:
// ink near the middle of its top edge, 25 logical units above the target.
bool selectionBoxDrawn(const sim::Window& window, const FrameSpec& frame, double logicalX, double logicalY) {
    uint32_t background = quillon::frames::schemeBackground(frame);
#if defined(_WIN32)
    if (frame.windowsBitsPerPixel == 16) background = quillon::frames::quantizeTo555(background);
#endif
    const int x = pixelOf(logicalX, frame.width);
    const int y = pixelOf(logicalY - 25.0, frame.height);
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const int px = x + dx;
            const int py = y + dy;
            if (px < 0 || py < 0 || px >= window.width() || py >= window.height()) continue;
            if ((window.pixel(px, py) & 0xffffffu) != (background & 0xffffffu)) return true;
        }
    }
    return false;
}

// Makes one frame with the module and saves its picture; an empty host
// (after saying why) when it could not.
PreparedFrame prepareFrame(const std::string& modulePath, const std::string& outDir, const Options& options,
                           const FrameSpec& frame, std::string& selected) {
#if defined(_WIN32)
    sim::setDibSectionBitsPerPixel(frame.windowsBitsPerPixel);
#endif
    PreparedFrame prepared;
    auto host = std::make_unique<sim::Host>(modulePath);
    if (!host->loaded()) {
        std::fprintf(stderr, "%s: %s\n", frame.name, host->error().c_str());
        return prepared;
    }
    if (options.profile) {
        std::string error;
        if (!quillon::frames::call_timing::instrument(modulePath, error)) {
            std::fprintf(stderr, "%s: %s\n", frame.name, error.c_str());
            return prepared;
        }
    }
    sim::Window& window = host->openWindow(frame.gauge, frame.width, frame.height);
    // The element-list routines too, as the simulator calls them; they only
    // hand the host's own entries back.
    using Element = sim::Host::ElementRoutine;
    for (Element routine : {Element::Query, Element::Install, Element::Initialize, Element::Update, Element::Generate,
                            Element::Draw, Element::Kill})
        host->callElementRoutine(window, routine, 0);
    // The module gives "Radar Mode" and "Radar Range" their start values on
    // its first frame; set them afterwards, as another gauge of the panel would.
    host->frame();
    host->setNamed("Radar Mode", frame.radarMode);
    host->setNamed("Radar Range", frame.rangeNm);
    for (const NamedSetting& setting : options.settings) host->setNamed(setting.name, setting.value);
    host->frames(frame.framesBeforeClick - 1);

    selected = "none";
    quillon::frames::PickedTarget target;
    if (frame.selectTarget) {
        target = quillon::frames::pickTarget(*host, frame.radarMode, frame.rangeNm);
        if (!target.found) {
            // Without a selection the frame would not show its data block:
            // the scenario no longer suits the frame list.
            std::fprintf(stderr, "%s: no aircraft of the scenario can be clicked clear of others\n", frame.name);
            return prepared;
        }
        host->click(window, pixelOf(target.logicalX, frame.width), pixelOf(target.logicalY, frame.height));
        selected = target.atcId;
    }
    host->frames(frame.framesAfterClick);
    if (target.found && !selectionBoxDrawn(window, frame, target.logicalX, target.logicalY)) {
        std::fprintf(stderr, "%s: clicked %s but no selection box is drawn around it\n", frame.name,
                     target.atcId.c_str());
        return prepared;
    }
    window.savePng(outDir + "/" + frame.name + ".png");
    prepared.window = &window;
    prepared.host = std::move(host);
    return prepared;
}

// Renders one frame (and times it); returns false when it could not.
bool renderFrame(const Options& options, const FrameSpec& frame) {
    std::string selected;
    PreparedFrame module = prepareFrame(options.modulePath, options.outDir, options, frame, selected);
    if (module.host == nullptr) return false;
    if (options.redraws == 0) {
        std::printf("%-40s clock %.4f  selected %s\n", frame.name, module.host->clock(), selected.c_str());
        return true;
    }
    const RoundTime time = timeFrame(module, options);
    const std::string profile = options.profile ? profileFrame(module, 0, options) : std::string();
    module = PreparedFrame();  // one stand-in host at a time
    if (options.referencePath.empty()) {
        std::printf("%-40s %9.1f us wall %9.1f us cpu per redraw (%d x %d)\n", frame.name, time.wallMicroseconds,
                    time.cpuMicroseconds, options.rounds, options.redraws);
        if (options.profile) std::printf("  module    %s\n", profile.c_str());
        return true;
    }

    // The reference right after, the same frame, in the same process.
    PreparedFrame reference =
        prepareFrame(options.referencePath, options.outDir + "/reference", options, frame, selected);
    if (reference.host == nullptr) return false;
    const RoundTime referenceTime = timeFrame(reference, options);
    const std::string referenceProfile = options.profile ? profileFrame(reference, 1, options) : std::string();
    reference = PreparedFrame();
    const double ratio = time.cpuMicroseconds > 0.0 ? referenceTime.cpuMicroseconds / time.cpuMicroseconds : 0.0;
    std::printf("%-40s %9.1f us %9.1f us reference %6.2f x cpu per redraw; wall %.1f / %.1f us (%d x %d)\n",
                frame.name, time.cpuMicroseconds, referenceTime.cpuMicroseconds, ratio, time.wallMicroseconds,
                referenceTime.wallMicroseconds, options.rounds, options.redraws);
    if (options.profile) {
        std::printf("  module    %s\n", profile.c_str());
        std::printf("  reference %s\n", referenceProfile.c_str());
    }
    return true;
}

#if defined(_WIN32)
// The host as a heavy panel leaves it: GDI+ running, then almost no address
// space. Returns false (after saying why) when the reservation failed.
bool leaveLittleAddressSpace(int megabytes) {
    sim::ensureGdiPlusStarted();
    const sim::AddressSpaceLeft before = sim::addressSpaceLeft();
    if (!sim::reserveAllAddressSpaceBut(static_cast<size_t>(megabytes) << 20)) {
        std::fprintf(stderr, "could not reserve all but %d MB of the address space (%llu KiB free, %llu KiB at most in one block)\n",
                     megabytes, static_cast<unsigned long long>(before.freeBytes >> 10),
                     static_cast<unsigned long long>(before.largestBlock >> 10));
        return false;
    }
    const sim::AddressSpaceLeft after = sim::addressSpaceLeft();
    std::fprintf(stderr, "address space free: %llu KiB before, %llu KiB in %d blocks after (largest %llu KiB)\n",
                 static_cast<unsigned long long>(before.freeBytes >> 10),
                 static_cast<unsigned long long>(after.freeBytes >> 10), after.blocks,
                 static_cast<unsigned long long>(after.largestBlock >> 10));
    return true;
}

// Whether a frame, its module loaded and unloaded again, left the process's
// heaps with no more live blocks or bytes than it found them. The process's
// first frame is not judged: Wine sets up its fonts and caches in it.
class HeapWatch {
public:
    explicit HeapWatch(bool on) : on_(on) {
        if (on_) before_ = sim::heapInUse();
    }
    bool leftAsFound(const FrameSpec& frame) const {
        if (!on_) return true;
        static bool first = true;
        const bool judged = !first;
        first = false;
        const sim::HeapInUse after = sim::heapInUse();
        const sim::AddressSpaceLeft left = sim::addressSpaceLeft();
        std::fprintf(stderr, "%-40s heap %llu -> %llu blocks, %llu -> %llu bytes; %llu KiB address space free\n",
                     frame.name, static_cast<unsigned long long>(before_.blocks),
                     static_cast<unsigned long long>(after.blocks), static_cast<unsigned long long>(before_.bytes),
                     static_cast<unsigned long long>(after.bytes), static_cast<unsigned long long>(left.freeBytes >> 10));
        if (!judged || (after.blocks <= before_.blocks && after.bytes <= before_.bytes)) return true;
        std::fprintf(stderr, "%s: the heap holds more after the module was unloaded than before it was loaded\n",
                     frame.name);
        return false;
    }

private:
    bool on_;
    sim::HeapInUse before_;
};
#else
bool leaveLittleAddressSpace(int) { return false; }
class HeapWatch {
public:
    explicit HeapWatch(bool) {}
    bool leftAsFound(const FrameSpec&) const { return true; }
};
#endif

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int exitCode = parseOptions(argc, argv, options); exitCode != 0) return exitCode < 0 ? 0 : exitCode;
    std::error_code folderError;
    std::filesystem::create_directories(options.outDir, folderError);
    if (!folderError && !options.referencePath.empty())
        std::filesystem::create_directories(options.outDir + "/reference", folderError);
    if (folderError) {
        std::fprintf(stderr, "cannot create %s: %s\n", options.outDir.c_str(), folderError.message().c_str());
        return 1;
    }

    if (options.leaveMegabytes > 0 && !leaveLittleAddressSpace(options.leaveMegabytes)) return 1;

    // Set by the scripts that run this program where 32-bit code is emulated:
    // times taken so compare two builds there, not what a simmer's Windows does.
    const char* emulated = std::getenv("QUILLON_I386_EMULATED");
    if (options.redraws > 0 && emulated != nullptr && std::strcmp(emulated, "1") == 0)
        std::printf("note: 32-bit code runs under emulation here; these times and ratios are emulated and only "
                    "indicative\n");

    int failures = 0;
    int rendered = 0;
    for (const FrameSpec& frame : quillon::frames::frameList()) {
        if (!wanted(frame, options.names)) continue;
        try {
            const HeapWatch heap(options.leaveMegabytes > 0);
            if (renderFrame(options, frame) && heap.leftAsFound(frame))
                ++rendered;
            else
                ++failures;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s: %s\n", frame.name, error.what());
            ++failures;
        }
    }
    if (rendered == 0 && failures == 0) {
        std::fprintf(stderr, "no frame of that name\n");
        return 2;
    }
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
