// Every GDI+ call of a scripted panel session made to fail in turn.
//
// The session: the four gauges over four aircraft of the default scene,
// altitude tags, a filter and the traffic advisories on, an aircraft
// selected on every gauge, the three views, a surface resized in place, a range change, a
// window moved onto a new surface, every window closed and the module
// unloaded. A first run counts the module's GDI+ calls and keeps every frame's
// pictures. Then the session runs again step by step, and before each step a
// process is forked for every call of that step to fail: up to the failure
// each such process is the run without a fault, after it its own.
//
// Each run must survive: no crash; at the unload no GDI+ object of the module
// alive, none used after it was deleted or outside a session (the session
// layer's report); from the second frame after the failed call every picture
// as in the run without it. With --keep-failing a creation goes on failing
// from the same place in the module, and must not be tried again in every
// frame after it.
//
//   quillon_gdiplus_fault_sweep <Quillon.so> [--stride K] [--calls N[-M]]
//                               [--status S|all] [--keep-failing] [--jobs J]
//                               [--direct <Quillon-direct.so>] [--verbose]
//                               [--pictures FOLDER]
// The build without backdrops is looked for beside the module unless named.
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sim/GdiPlusSessionLayer.h"
#include "sim/Host.h"
#include "sim/ScenarioLoader.h"
#include "tests/e2e/GaugePictures.h"

namespace {

namespace layer = sim::gdiplus_layer;

constexpr int kSide = 64;
constexpr int kCapacity = 96;  // the first window is resized in place within it
constexpr int kWindows = 4;
constexpr int kMaxFrames = 64;
constexpr int kMaxSteps = 96;

// ---- What the run without a fault leaves for the others --------------------------

struct FramePictures {
    int width[kWindows];
    int height[kWindows];
    uint32_t pixels[kWindows][kCapacity * kCapacity];
};

struct Baseline {
    int steps;
    int frames;
    int64_t callsAfterStep[kMaxSteps];
    int framesAfterStep[kMaxSteps];
    FramePictures pictures[kMaxFrames];
    // The same session drawn by the build that keeps no backdrops: what a
    // window shows once its backdrop could not be made.
    FramePictures direct[kMaxFrames];
};

// One failed call's run, written by its process.
struct Outcome {
    enum Verdict : int32_t {
        NotRun,
        Survived,
        SurvivedDrawnDirectly,
        SurvivedKnownDifference,
        NoCreation,
        Crashed,
        LayerReport,
        PictureWrong,
        RetriedEveryFrame
    };
    int32_t verdict;
    int32_t wrongFrame;       // first frame that should have been right and was not
    int32_t wrongPixels;
    int32_t windowsDrawnDirectly;  // windows that showed the direct build's picture instead
    int32_t mostKnownDifference;   // pixels, in windows within the known difference below
    int32_t failedInFrame;    // the frame during or before which the call failed
    int64_t retries;          // calls from the failed place after it, keep-failing runs
    int32_t framesRetried;    // frames after the failure with such a call
    int32_t framesAfter;
    char function[48];
    char report[240];
};

template <typename T>
T* sharedArray(size_t count) {
    void* memory = mmap(nullptr, sizeof(T) * count, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        std::perror("mmap");
        std::exit(2);
    }
    return static_cast<T*>(memory);
}

// ---- The scripted session ------------------------------------------------------

struct Session {
    sim::Host* host = nullptr;
    sim::Window* windows[kWindows] = {};
    bool frameStep = false;  // the step just run drew a frame
};

using Step = std::function<void(Session&)>;

// A few aircraft, each drawn its own way, so that every call a target makes
// is in the session while the session stays short enough to fail each call
// in turn: one dead ahead (selected), one below climbing towards the own
// aircraft (a traffic advisory), one on the ground (filtered out), one behind
// beyond the shorter range.
sim::Scenario scriptedScenario() {
    sim::Scenario scenario = sim::defaultScenario();
    const sim::Aircraft& own = scenario.own;
    const double heading = own.headingTrueDeg;
    scenario.traffic.clear();
    sim::Aircraft picked = pictures::aircraftAt(own, heading, "PICKED", 20.0, 0.0, heading + 40.0, 180.0);
    picked.altitudeFt = own.altitudeFt + 800.0;
    picked.verticalSpeedFpm = 1200.0;
    sim::Aircraft closing = pictures::aircraftAt(own, heading, "CLOSING", 4.0, 15.0, heading + 195.0, 250.0);
    closing.altitudeFt = own.altitudeFt - 600.0;
    closing.verticalSpeedFpm = 900.0;
    sim::Aircraft ground = pictures::aircraftAt(own, heading, "GROUND", 8.0, -10.0, heading, 0.0);
    ground.altitudeFt = 400.0;
    ground.groundElevationFt = 400.0;
    ground.verticalSpeedFpm = 0.0;
    sim::Aircraft behind = pictures::aircraftAt(own, heading, "BEHIND", 30.0, 160.0, heading + 90.0, 300.0);
    behind.altitudeFt = own.altitudeFt;
    behind.verticalSpeedFpm = 0.0;
    scenario.traffic = {picked, closing, ground, behind};
    return scenario;
}

std::vector<Step> scriptedSession(const std::string& modulePath) {
    std::vector<Step> steps;
    auto frames = [&](int count) {
        for (int i = 0; i < count; ++i)
            steps.push_back([](Session& s) {
                s.host->frame();
                s.frameStep = true;
            });
    };
    steps.push_back([modulePath](Session& s) {
        s.host = new sim::Host(modulePath);
        if (!s.host->loaded()) {
            std::fprintf(stderr, "cannot load %s: %s\n", modulePath.c_str(), s.host->error().c_str());
            std::exit(2);
        }
        s.host->setScenario(scriptedScenario());
        // Two frames a second of clock: the traffic list refreshes every
        // other frame, so that the advisories have rates to work from.
        s.host->setFramesPerSecond(2.0);
    });
    for (int i = 0; i < kWindows; ++i)
        steps.push_back([i](Session& s) {
            s.windows[i] = &s.host->openWindow(pictures::kVariants[i].name, kSide, kSide, kCapacity, kCapacity);
        });
    frames(1);  // the named variables registered
    steps.push_back([](Session& s) {
        s.host->setNamed("Radar Altitude Tags", 1.0);
        s.host->setNamed("Radar Filter", 1.0);
        s.host->setNamed("Radar Alerts", 1.0);
    });
    frames(2);
    steps.push_back([](Session& s) {
        for (sim::Window* window : s.windows) pictures::clickAt(*s.host, *window, 500.0, 262.5);  // PICKED
    });
    frames(2);
    for (double mode : {3.0, 4.0}) {
        steps.push_back([mode](Session& s) { s.host->setNamed("Radar Mode", mode); });
        frames(2);
    }
    steps.push_back([](Session& s) { s.windows[0]->resize(80, 56, sim::ResizeMode::KeepDeviceContext); });
    frames(2);
    steps.push_back([](Session& s) {
        s.host->setNamed("Radar Mode", 2.0);
        s.host->setNamed("Radar Range", 20.0);
    });
    frames(2);
    steps.push_back([](Session& s) { s.windows[1]->resize(kSide, kSide, sim::ResizeMode::NewSurface); });
    frames(2);
    for (int i = 0; i < kWindows; ++i) steps.push_back([i](Session& s) { s.host->closeWindow(*s.windows[i]); });
    steps.push_back([](Session& s) { s.host->unload(); });
    steps.push_back([](Session& s) {
        delete s.host;
        s.host = nullptr;
    });
    return steps;
}

void keepPictures(const Session& session, FramePictures& pictures) {
    for (int i = 0; i < kWindows; ++i) {
        const sim::Window& window = *session.windows[i];
        pictures.width[i] = window.width();
        pictures.height[i] = window.height();
        const std::vector<uint32_t> pixels = window.pixels();
        std::copy(pixels.begin(), pixels.end(), pictures.pixels[i]);
    }
}

bool tracing = false;  // each wrong window of each frame checked, on stderr

int differingPixels(const std::vector<uint32_t>& pixels, const FramePictures& expected, int window) {
    int wrong = 0;
    for (size_t p = 0; p < pixels.size(); ++p) wrong += pixels[p] != expected.pixels[window][p] ? 1 : 0;
    return wrong;
}

// The backdrop's bitmap, its storage or its graphics object: a creation the
// module does not try again at the same size, drawing directly instead.
bool isBackdropCreation(const char* function) {
    for (const char* name : {"GdipCreateBitmapFromScan0", "GdipGetImageGraphicsContext", "GdipAlloc"})
        if (std::strcmp(function, name) == 0) return true;
    return false;
}

// The run without a fault as pictures, to see what the session shows.
const char* picturesFolder = nullptr;

void savePictures(const Session& session, const char* folder, int frame) {
    for (int i = 0; i < kWindows; ++i) {
        char path[512];
        std::snprintf(path, sizeof path, "%s/frame%02d-window%d.png", folder, frame, i);
        session.windows[i]->savePng(path);
    }
}

// A known difference, listed in docs/robustness.md: a window whose frame
// buffer could not be made has its backdrop copied onto the surface and
// draws what moves there; libgdiplus then draws a few pixels of the forward
// arc otherwise than on the frame buffer (and otherwise than the build
// without backdrops, which differs from the frame buffer's picture there
// too). Such a window may differ from the run without the fault in this many
// pixels at most; the runs are listed.
constexpr int kCopiedBackdropTolerance = 8;

// Pixels that differ from the frame of the run without a fault. A window
// whose backdrop creation failed may show the direct build's frame instead.
int wrongPixels(const Session& session, const Baseline& baseline, int frame, bool directAllowed,
                int& windowsDrawnDirectly, int& mostKnownDifference) {
    int wrong = 0;
    const FramePictures& expected = baseline.pictures[frame];
    for (int i = 0; i < kWindows; ++i) {
        const sim::Window& window = *session.windows[i];
        if (window.width() != expected.width[i] || window.height() != expected.height[i]) return -1;
        const std::vector<uint32_t> pixels = window.pixels();
        int wrongHere = differingPixels(pixels, expected, i);
        if (wrongHere > 0 && directAllowed && differingPixels(pixels, baseline.direct[frame], i) == 0) {
            wrongHere = 0;
            ++windowsDrawnDirectly;
        }
        if (wrongHere > 0 && directAllowed && wrongHere <= kCopiedBackdropTolerance) {
            mostKnownDifference = std::max(mostKnownDifference, wrongHere);
            wrongHere = 0;
        }
        if (tracing && wrongHere > 0) std::fprintf(stderr, "frame %d window %d: %d pixels\n", frame, i, wrongHere);
        wrong += wrongHere;
    }
    return wrong;
}

// ---- One run with a failed call ------------------------------------------------------

// The calls that hand out something new, which a module might try again.
bool isCreation(const char* function) {
    for (const char* prefix : {"GdipCreate", "GdipGetImageGraphicsContext", "GdipGetGenericFontFamily", "GdipAlloc",
                               "GdipCloneBrush", "GdiplusStartup"})
        if (std::strncmp(function, prefix, std::strlen(prefix)) == 0) return true;
    return false;
}

void copyText(char* to, size_t size, const char* from) {
    std::snprintf(to, size, "%s", from != nullptr ? from : "");
}

// Runs the session from `firstStep` on; call `failCall` fails. Never returns.
[[noreturn]] void runWithFault(const std::vector<Step>& steps, Session session, int firstStep, int framesDone,
                               const Baseline& baseline, const layer::FaultPlan& plan, Outcome& outcome) {
    layer::setOnFailure(layer::OnFailure::Count);
    layer::planFault(plan);
    outcome = Outcome{};
    outcome.failedInFrame = -1;
    outcome.wrongFrame = -1;
    int frame = framesDone;
    int firstChecked = -1;
    int64_t retriesBefore = 0;
    for (int step = firstStep; step < baseline.steps; ++step) {
        const bool failedBefore = layer::failedFunction() != nullptr;
        session.frameStep = false;
        steps[step](session);
        if (!failedBefore && layer::failedFunction() != nullptr) {
            // Within a frame: right from the second frame after it; before
            // one: from the frame after the first one it shows in.
            outcome.failedInFrame = frame;
            firstChecked = frame + (session.frameStep ? 2 : 1);
            retriesBefore = layer::callsOfFailedFunctionSince();
            if (plan.keepFailing && !isCreation(layer::failedFunction())) {
                outcome.verdict = Outcome::NoCreation;
                _exit(0);
            }
        }
        if (!session.frameStep) continue;
        if (failedBefore && plan.keepFailing) {
            const int64_t retries = layer::callsOfFailedFunctionSince();
            ++outcome.framesAfter;
            outcome.framesRetried += retries > retriesBefore ? 1 : 0;
            retriesBefore = retries;
        }
        if (!plan.keepFailing && firstChecked >= 0 && frame >= firstChecked && (outcome.wrongFrame < 0 || tracing)) {
            const bool directAllowed = isBackdropCreation(layer::failedFunction());
            int mostKnown = outcome.mostKnownDifference;
            const int wrong = wrongPixels(session, baseline, frame, directAllowed, outcome.windowsDrawnDirectly,
                                          mostKnown);
            outcome.mostKnownDifference = mostKnown;
            if (wrong != 0 && outcome.wrongFrame < 0) {
                outcome.wrongFrame = frame;
                outcome.wrongPixels = wrong;
            }
        }
        ++frame;
    }
    copyText(outcome.function, sizeof outcome.function, layer::failedFunction());
    outcome.retries = layer::callsOfFailedFunctionSince();
    const layer::Figures figures = layer::figures();
    if (figures.failures > 0 || figures.moduleObjects > 0 || figures.moduleSessions > 0) {
        outcome.verdict = Outcome::LayerReport;
        char report[240];
        std::snprintf(report, sizeof report, "%d objects alive, %d sessions open, %d reports: %s",
                      figures.moduleObjects, figures.moduleSessions, figures.failures, layer::lastFailure());
        copyText(outcome.report, sizeof outcome.report, report);
    } else if (outcome.wrongFrame >= 0) {
        outcome.verdict = Outcome::PictureWrong;
    } else if (plan.keepFailing && outcome.framesAfter >= 4 && outcome.framesRetried == outcome.framesAfter) {
        outcome.verdict = Outcome::RetriedEveryFrame;
    } else {
        outcome.verdict = outcome.mostKnownDifference > 0   ? Outcome::SurvivedKnownDifference
                          : outcome.windowsDrawnDirectly > 0 ? Outcome::SurvivedDrawnDirectly
                                                             : Outcome::Survived;
    }
    std::fflush(nullptr);
    _exit(0);
}

// ---- The sweep ---------------------------------------------------------------------

struct Options {
    std::string modulePath;
    std::string directModulePath;  // the build without backdrops, beside it
    int64_t stride = 1;
    int64_t first = 1;             // the calls failed: first, first + stride, ... up to last
    int64_t last = INT64_MAX;
    std::vector<int32_t> statuses{layer::kStatusOutOfMemory, layer::kStatusGenericError,
                                  layer::kStatusInvalidParameter};
    bool keepFailing = false;
    int jobs = 2;
    bool verbose = false;
};

const char* statusName(int32_t status) {
    switch (status) {
        case layer::kStatusOutOfMemory: return "OutOfMemory";
        case layer::kStatusGenericError: return "GenericError";
        case layer::kStatusInvalidParameter: return "InvalidParameter";
        default: return "?";
    }
}

Options parse(int argc, char** argv) {
    Options options;
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: %s <Quillon.so> [--stride K] [--calls N[-M]] [--status OutOfMemory|GenericError|InvalidParameter|all]"
                     " [--keep-failing] [--jobs J] [--direct Quillon-direct.so] [--verbose] [--pictures FOLDER]\n",
                     argv[0]);
        std::exit(2);
    }
    options.modulePath = argv[1];
    const size_t folder = options.modulePath.find_last_of('/');
    options.directModulePath = options.modulePath.substr(0, folder == std::string::npos ? 0 : folder + 1) +
                               "Quillon-direct.so";
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (argument == "--stride") {
            options.stride = std::max<int64_t>(1, std::atoll(value));
            ++i;
        } else if (argument == "--calls") {
            // N or N-M
            char* end = nullptr;
            options.first = std::max<int64_t>(1, std::strtoll(value, &end, 10));
            options.last = end != nullptr && *end == '-' ? std::strtoll(end + 1, nullptr, 10) : options.first;
            ++i;
        } else if (argument == "--jobs") {
            options.jobs = std::max(1, std::atoi(value));
            ++i;
        } else if (argument == "--status") {
            if (std::strcmp(value, "all") != 0) {
                options.statuses.clear();
                for (int32_t status : {layer::kStatusOutOfMemory, layer::kStatusGenericError,
                                       layer::kStatusInvalidParameter})
                    if (std::strcmp(value, statusName(status)) == 0) options.statuses.push_back(status);
                if (options.statuses.empty()) {
                    std::fprintf(stderr, "unknown status %s\n", value);
                    std::exit(2);
                }
            }
            ++i;
        } else if (argument == "--keep-failing") {
            options.keepFailing = true;
        } else if (argument == "--direct") {
            options.directModulePath = value;
            ++i;
        } else if (argument == "--pictures") {
            picturesFolder = argv[++i];
        } else if (argument == "--verbose") {
            options.verbose = true;
            tracing = true;
        } else {
            std::fprintf(stderr, "unknown argument %s\n", argument.c_str());
            std::exit(2);
        }
    }
    return options;
}

// The run without a fault, in a process of its own so that this one starts
// the session afresh. The direct build's run keeps its pictures only.
bool recordBaseline(const std::vector<Step>& steps, Baseline& baseline, bool direct) {
    const pid_t child = fork();
    if (child == 0) {
        layer::startCounting();
        Session session;
        int frame = 0;
        for (size_t step = 0; step < steps.size(); ++step) {
            session.frameStep = false;
            steps[step](session);
            if (session.frameStep) {
                keepPictures(session, (direct ? baseline.direct : baseline.pictures)[frame]);
                if (picturesFolder != nullptr && !direct) savePictures(session, picturesFolder, frame);
                ++frame;
            }
            if (direct) continue;
            baseline.callsAfterStep[step] = layer::moduleCalls();
            baseline.framesAfterStep[step] = frame;
        }
        if (!direct) {
            baseline.steps = static_cast<int>(steps.size());
            baseline.frames = frame;
        }
        const layer::Figures figures = layer::figures();
        _exit(figures.failures == 0 && figures.moduleObjects == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Running {
    pid_t pid;
    Outcome* outcome;
};

void reap(std::vector<Running>& running, size_t keepAtMost) {
    while (running.size() > keepAtMost) {
        int status = 0;
        const pid_t done = wait(&status);
        if (done < 0) return;
        auto it = std::find_if(running.begin(), running.end(), [&](const Running& r) { return r.pid == done; });
        if (it == running.end()) continue;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            it->outcome->verdict = Outcome::Crashed;
            std::snprintf(it->outcome->report, sizeof it->outcome->report, "%s %d",
                          WIFSIGNALED(status) ? "signal" : "exit status",
                          WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status));
        }
        running.erase(it);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    const std::vector<Step> steps = scriptedSession(options.modulePath);
    if (steps.size() > static_cast<size_t>(kMaxSteps)) return 2;

    Baseline& baseline = *sharedArray<Baseline>(1);
    if (!recordBaseline(steps, baseline, false) ||
        !recordBaseline(scriptedSession(options.directModulePath), baseline, true)) {
        std::fprintf(stderr, "the session without a fault does not pass the session layer\n");
        return 1;
    }
    const int64_t calls = baseline.callsAfterStep[baseline.steps - 1];
    if (tracing) {
        for (int frame = 0; frame < baseline.frames; ++frame)
            for (int i = 0; i < kWindows; ++i) {
                const FramePictures& direct = baseline.direct[frame];
                const std::vector<uint32_t> pixels(direct.pixels[i], direct.pixels[i] + direct.width[i] * direct.height[i]);
                if (const int differing = differingPixels(pixels, baseline.pictures[frame], i))
                    std::fprintf(stderr, "the build without backdrops: frame %d window %d: %d pixels\n", frame, i,
                                 differing);
            }
    }
    std::vector<int64_t> failing;
    for (int64_t n = options.first; n <= std::min(calls, options.last); n += options.stride) failing.push_back(n);
    const size_t runs = failing.size() * options.statuses.size();
    Outcome* outcomes = sharedArray<Outcome>(runs);

    // The session again, each step preceded by the runs whose call it makes.
    layer::startCounting();
    Session session;
    std::vector<Running> running;
    size_t next = 0;
    int frames = 0;
    for (int step = 0; step < baseline.steps; ++step) {
        const int64_t stepEnd = baseline.callsAfterStep[step];
        for (; next < failing.size() && failing[next] <= stepEnd; ++next) {
            for (size_t s = 0; s < options.statuses.size(); ++s) {
                Outcome& outcome = outcomes[next * options.statuses.size() + s];
                reap(running, static_cast<size_t>(options.jobs - 1));
                std::fflush(nullptr);
                const pid_t child = fork();
                if (child == 0)
                    runWithFault(steps, session, step, frames, baseline,
                                 layer::FaultPlan{failing[next], options.statuses[s], options.keepFailing}, outcome);
                if (child < 0) {
                    std::perror("fork");
                    return 2;
                }
                running.push_back(Running{child, &outcome});
            }
        }
        session.frameStep = false;
        steps[step](session);
        if (session.frameStep) ++frames;
        if (layer::moduleCalls() != stepEnd) {
            std::fprintf(stderr, "the session is not repeatable: step %d ends at call %lld, before at %lld\n", step,
                         static_cast<long long>(layer::moduleCalls()), static_cast<long long>(stepEnd));
            reap(running, 0);
            return 1;
        }
    }
    reap(running, 0);

    size_t survived = 0;
    size_t drawnDirectly = 0;
    size_t knownDifference = 0;
    size_t noCreation = 0;
    for (size_t r = 0; r < runs; ++r) {
        const Outcome& outcome = outcomes[r];
        if (outcome.verdict == Outcome::NoCreation) {
            ++noCreation;
            continue;
        }
        const int64_t n = failing[r / options.statuses.size()];
        const char* status = statusName(options.statuses[r % options.statuses.size()]);
        if (outcome.verdict == Outcome::SurvivedKnownDifference) {
            ++survived;
            ++knownDifference;
            std::printf("call %lld (%s, %s, frame %d): survived with the known difference (backdrop copied onto the "
                        "surface, up to %d pixels)\n",
                        static_cast<long long>(n), outcome.function, status, outcome.failedInFrame,
                        outcome.mostKnownDifference);
            continue;
        }
        if (outcome.verdict == Outcome::Survived || outcome.verdict == Outcome::SurvivedDrawnDirectly) {
            ++survived;
            const bool direct = outcome.verdict == Outcome::SurvivedDrawnDirectly;
            drawnDirectly += direct ? 1 : 0;
            if (options.verbose)
                std::printf("call %lld (%s, %s, frame %d): survived%s\n", static_cast<long long>(n), outcome.function,
                            status, outcome.failedInFrame, direct ? ", a window drawn directly" : "");
            continue;
        }
        std::printf("call %lld (%s, %s, frame %d): ", static_cast<long long>(n), outcome.function, status,
                    outcome.failedInFrame);
        switch (outcome.verdict) {
            case Outcome::Crashed: std::printf("crashed (%s)\n", outcome.report); break;
            case Outcome::LayerReport: std::printf("session layer: %s\n", outcome.report); break;
            case Outcome::PictureWrong:
                std::printf("frame %d differs from the run without the fault (%d pixels)\n", outcome.wrongFrame,
                            outcome.wrongPixels);
                break;
            case Outcome::RetriedEveryFrame:
                std::printf("tried again in each of the %d frames after it (%lld calls)\n", outcome.framesAfter,
                            static_cast<long long>(outcome.retries));
                break;
            default: std::printf("not run\n"); break;
        }
    }
    if (options.keepFailing) {
        std::printf("GDI+ fault sweep, creations that keep failing: %lld calls in the session (%d frames), %zu "
                    "creations failed for good in turn (stride %lld) x %zu statuses, %zu survived\n",
                    static_cast<long long>(calls), baseline.frames, runs - noCreation,
                    static_cast<long long>(options.stride), options.statuses.size(), survived);
    } else {
        std::printf("GDI+ fault sweep: %lld calls in the session (%d frames), %zu failed in turn (stride %lld) x %zu "
                    "statuses = %zu runs, %zu survived (%zu of them with a window drawn directly, its backdrop "
                    "not made; %zu with the known difference of a backdrop copied onto the surface)\n",
                    static_cast<long long>(calls), baseline.frames, failing.size(),
                    static_cast<long long>(options.stride), options.statuses.size(), runs, survived, drawnDirectly,
                    knownDifference);
    }
    return survived + noCreation == runs ? 0 : 1;
}
