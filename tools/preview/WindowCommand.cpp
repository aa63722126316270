// The interactive window: gauges side by side, live traffic in real time,
// clicks passed to the gauges, keys for view, range, pause, limited mode,
// altitude tags, the traffic filter and the traffic alerts.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <iostream>
#include <memory>

#include "tools/preview/Arguments.h"
#include "tools/preview/BitmapFont.h"
#include "tools/preview/Commands.h"
#include "tools/preview/ExitCodes.h"
#include "tools/preview/TrafficVoiceData.h"
#include "tools/preview/WindowLayout.h"

namespace preview {
namespace {

constexpr uint32_t kStatusBackground = 0xff202020u;
constexpr uint32_t kStatusText = 0xffd8d8d8u;
// Room left on the screen for the window's frame and title bar.
constexpr int kScreenMarginX = 40;
constexpr int kScreenMarginY = 80;
constexpr double kRangeSteps[] = {5, 10, 20, 40, 80, 160, 320};
constexpr double kLongestStep = 0.25;  // seconds of simulated time one frame may cover

double nextRange(double current, int direction) {
    if (direction > 0) {
        for (double r : kRangeSteps)
            if (r > current) return r;
        return kRangeSteps[std::size(kRangeSteps) - 1];
    }
    for (int i = static_cast<int>(std::size(kRangeSteps)) - 1; i >= 0; --i)
        if (kRangeSteps[i] < current) return kRangeSteps[i];
    return kRangeSteps[0];
}

struct SdlDeleter {
    void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
    void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
};

// The on-screen drivers the environment points at, e.g. "wayland,x11".
std::string displayDrivers() {
    std::string drivers;
    if (SDL_getenv("WAYLAND_DISPLAY") != nullptr) drivers = "wayland";
    if (SDL_getenv("DISPLAY") != nullptr) drivers += drivers.empty() ? "x11" : ",x11";
    return drivers;
}

// The advisories' voice through SDL2's audio, where the machine has sound:
// without, the window runs silent.
class SdlVoice {
public:
    SdlVoice() {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
        started_ = true;
        SDL_RWops* bytes = SDL_RWFromConstMem(sim::kTrafficVoiceWav, static_cast<int>(sim::kTrafficVoiceWavSize));
        SDL_AudioSpec spec{};
        if (bytes == nullptr || SDL_LoadWAV_RW(bytes, 1, &spec, &samples_, &length_) == nullptr) return;
        device_ = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
        if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
    }
    ~SdlVoice() {
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        if (samples_ != nullptr) SDL_FreeWAV(samples_);
        if (started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    SdlVoice(const SdlVoice&) = delete;
    SdlVoice& operator=(const SdlVoice&) = delete;
    // From the start, cutting off a voice that still plays.
    void play() {
        if (device_ == 0) return;
        SDL_ClearQueuedAudio(device_);
        SDL_QueueAudio(device_, samples_, length_);
    }

private:
    bool started_ = false;
    Uint8* samples_ = nullptr;
    Uint32 length_ = 0;
    SDL_AudioDeviceID device_ = 0;
};

class SdlVideo {
public:
    // When no display answers, SDL falls back to its off-screen driver and
    // would run a window nobody sees; so unless the user names a driver in
    // SDL_VIDEODRIVER, only the displays of the environment are tried.
    bool start(std::string& error) {
        if (SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
            const std::string drivers = displayDrivers();
            if (drivers.empty()) {
                error = "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
                return false;
            }
            SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
        }
        started_ = SDL_Init(SDL_INIT_VIDEO) == 0;
        if (!started_) {
            const char* display = SDL_getenv("DISPLAY");
            error = std::string("no display answers") + (display ? std::string(" at DISPLAY=") + display : "") +
                    " (" + SDL_GetError() + ")";
        }
        return started_;
    }
    ~SdlVideo() {
        if (started_) SDL_Quit();
    }

private:
    bool started_ = false;
};

struct WindowState {
    View view;
    double rangeNm;
    bool paused = false;
};

std::string statusText(const WindowState& state, const PreviewHost& host) {
    char text[320];
    char voice[32] = "";
    if (host.alerts() && !host.voices().empty())
        std::snprintf(voice, sizeof voice, " | voice %.1f s", host.voices().back());
    char autoRange[40] = "off";
    if (host.autoRange() && !host.windows().empty()) {
        const double shown = host.shownRangeNm(*host.windows().front());
        if (shown != state.rangeNm)
            std::snprintf(autoRange, sizeof autoRange, "on, AUTO %g NM", shown);
        else
            std::snprintf(autoRange, sizeof autoRange, "on");
    }
    std::snprintf(text, sizeof text,
                  "%s (%d) | %g NM | t %.1f s | %s | %s | tags %s | filter %s | alerts %s | auto range %s | trails %s | "
                  "dim %d%%%s",
                  viewTitle(state.view), static_cast<int>(radarModeValue(state.view)), state.rangeNm, host.clock(),
                  state.paused ? "paused" : "running", host.limited() ? "limited" : "full traffic",
                  host.tags() ? "on" : "off", filterName(host.filter()).c_str(), host.alerts() ? "on" : "off",
                  autoRange, host.trails() ? "on" : "off", host.dimming(), voice);
    return text;
}

}  // namespace

int runWindow(const PreviewOptions& options, const WindowRequest& request) {
    std::string error;
    // The display first: without one, fail before any simulated time is spent.
    SdlVideo video;
    if (!video.start(error)) {
        std::cerr << "quillon-preview: cannot open a window: " << error << "\n";
        return kExitDisplay;
    }
    int exitCode = kExitOk;
    auto host = PreviewHost::create(options, error, exitCode);
    if (!host) {
        std::cerr << "quillon-preview: " << error << "\n";
        return exitCode;
    }
    const int w = request.size.width, h = request.size.height;
    std::vector<sim::Window*> gauges;
    for (const std::string& name : request.gauges) gauges.push_back(&host->addGauge(name, w, h));
    const WindowLayout layout{w, h, static_cast<int>(gauges.size())};
    WindowState state{request.view, request.rangeNm};
    host->setView(state.view);
    host->setRange(state.rangeNm);
    if (request.startSeconds > 0) host->runUntil(request.startSeconds);

    const int totalWidth = layout.width();
    const int totalHeight = layout.height();
    // A frame larger than the screen is shown scaled down; clicks are scaled back.
    SDL_Rect screen{0, 0, 0, 0};
    const double factor = SDL_GetDisplayUsableBounds(0, &screen) == 0
                              ? fitFactor(totalWidth, totalHeight, screen.w - kScreenMarginX, screen.h - kScreenMarginY)
                              : 1.0;
    const int shownWidth = std::max(1, static_cast<int>(totalWidth * factor));
    const int shownHeight = std::max(1, static_cast<int>(totalHeight * factor));
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    std::unique_ptr<SDL_Window, SdlDeleter> sdlWindow(SDL_CreateWindow(
        "Quillon preview", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, shownWidth, shownHeight, 0));
    if (!sdlWindow) {
        std::cerr << "quillon-preview: cannot open a window: " << SDL_GetError() << "\n";
        return kExitDisplay;
    }
    std::unique_ptr<SDL_Renderer, SdlDeleter> renderer(SDL_CreateRenderer(sdlWindow.get(), -1, 0));
    if (!renderer) renderer.reset(SDL_CreateRenderer(sdlWindow.get(), -1, SDL_RENDERER_SOFTWARE));
    std::unique_ptr<SDL_Texture, SdlDeleter> texture(
        renderer ? SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, totalWidth,
                                     totalHeight)
                 : nullptr);
    if (!texture) {
        std::cerr << "quillon-preview: cannot draw into the window: " << SDL_GetError() << "\n";
        return kExitDisplay;
    }

    Image canvas(totalWidth, totalHeight, kStatusBackground);
    const std::vector<std::string> labels = gaugeLabels(request.gauges);
    for (int i = 0; i < layout.gaugeCount; ++i) {
        const int scale = textWidth(labels[i], 2) <= w ? 2 : 1;
        drawText(canvas, layout.gaugeX(i) + (w - textWidth(labels[i], scale)) / 2, layout.labelY(), labels[i],
                 kStatusText, scale);
    }
    SdlVoice voice;
    size_t voicesPlayed = host->voices().size();
    const Uint64 ticksPerSecond = SDL_GetPerformanceFrequency();
    const Uint64 start = SDL_GetPerformanceCounter();
    const double framePeriod = 1.0 / options.fps;
    double nextFrameAt = 0.0;
    double lastFrameAt = 0.0;
    std::string shownTitle;
    bool running = true;
    bool firstFrame = true;
    while (running) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) running = false;
            if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT) {
                int windowWidth = shownWidth, windowHeight = shownHeight;
                SDL_GetWindowSize(sdlWindow.get(), &windowWidth, &windowHeight);
                int x = 0, y = 0;
                const int index = layout.gaugeAt(toFrame(event.button.x, windowWidth, totalWidth),
                                                 toFrame(event.button.y, windowHeight, totalHeight), x, y);
                if (index >= 0) host->clickPixel(*gauges[index], x, y);
            }
            if (event.type != SDL_KEYDOWN) continue;
            switch (event.key.keysym.sym) {
                case SDLK_2: case SDLK_KP_2: state.view = View::FullCircle; host->setView(state.view); break;
                case SDLK_3: case SDLK_KP_3: state.view = View::ForwardArc; host->setView(state.view); break;
                case SDLK_4: case SDLK_KP_4: state.view = View::Grid; host->setView(state.view); break;
                case SDLK_PLUS: case SDLK_EQUALS: case SDLK_KP_PLUS:
                    state.rangeNm = nextRange(state.rangeNm, +1);
                    host->setRange(state.rangeNm);
                    break;
                case SDLK_MINUS: case SDLK_KP_MINUS:
                    state.rangeNm = nextRange(state.rangeNm, -1);
                    host->setRange(state.rangeNm);
                    break;
                case SDLK_SPACE: state.paused = !state.paused; break;
                case SDLK_l: host->setLimited(!host->limited()); break;
                case SDLK_t: host->setTags(!host->tags()); break;
                case SDLK_f: host->setFilter((host->filter() + 1) % 5); break;
                case SDLK_a: host->setAlerts(!host->alerts()); break;
                case SDLK_z: host->setAutoRange(!host->autoRange()); break;
                case SDLK_r: host->setTrails(!host->trails()); break;
                case SDLK_d: host->setDimming((host->dimming() + 10) % 100); break;
                case SDLK_q: case SDLK_ESCAPE: running = false; break;
                default: break;
            }
        }
        const double now = static_cast<double>(SDL_GetPerformanceCounter() - start) / ticksPerSecond;
        // At least one frame is shown, so that a frame dump always holds the gauges.
        if (request.exitAfter >= 0 && now >= request.exitAfter && !firstFrame) running = false;
        if (!running) break;
        if (now < nextFrameAt) {
            SDL_Delay(static_cast<Uint32>(std::min(10.0, (nextFrameAt - now) * 1000.0)) + 1);
            continue;
        }
        // Keep real time; a slow frame is not made up by a burst of frames.
        nextFrameAt = std::max(nextFrameAt + framePeriod, now);
        // Paused, the clock stands still and so does the picture: the gauge
        // redraws only when the host clock changes.
        const bool drawn = !state.paused || firstFrame;
        if (drawn) {
            // Simulated time follows the wall clock even when frames come late;
            // a long stall (a dragged window) is not made up in one jump.
            const double step = firstFrame ? framePeriod : std::min(now - lastFrameAt, kLongestStep);
            host->frame(step);
            if (host->voices().size() > voicesPlayed) voice.play();
            voicesPlayed = host->voices().size();
        }
        lastFrameAt = now;
        firstFrame = false;

        // Reading the surfaces back is the slow part; a paused picture cannot change.
        if (drawn) {
            for (size_t i = 0; i < gauges.size(); ++i) {
                canvas.blit(host->capture(*gauges[i]), layout.gaugeX(static_cast<int>(i)), layout.gaugeY());
            }
        }
        const std::string status = statusText(state, *host);
        canvas.fillRect(0, layout.statusY(), totalWidth, kWindowStatusHeight, kStatusBackground);
        const int scale = textWidth(status, 2) <= totalWidth - 12 ? 2 : 1;
        drawText(canvas, 6, layout.statusY() + (kWindowStatusHeight - textHeight(scale)) / 2, status, kStatusText,
                 scale);
        const std::string title = "Quillon preview - " + status;
        if (title != shownTitle) {
            SDL_SetWindowTitle(sdlWindow.get(), title.c_str());
            shownTitle = title;
        }
        SDL_UpdateTexture(texture.get(), nullptr, canvas.row(0), totalWidth * 4);
        SDL_RenderClear(renderer.get());
        SDL_RenderCopy(renderer.get(), texture.get(), nullptr, nullptr);
        SDL_RenderPresent(renderer.get());
    }

    if (!request.frameDump.empty()) {
        const auto png = [&](const std::string& file, std::string& why) { return writePng(canvas, file, why); };
        if (!writeWhole(request.frameDump, png, error)) {
            std::cerr << "quillon-preview: " << error << "\n";
            return kExitOutput;
        }
    }
    return kExitOk;
}

}  // namespace preview
