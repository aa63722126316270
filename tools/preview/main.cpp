// quillon-preview: the gauges of Quillon.so without the simulator.
//
//   quillon-preview render --gauge circular-green --view arc --range 20 -o arc.png
//   quillon-preview render --all -o sheet.png
//   quillon-preview animate --gauge ra --seconds 6 -o sweep.gif
//   quillon-preview window --gauge cg --gauge rg
//   quillon-preview panel --panel-cfg panel.cfg --window Window03
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>

#include "tools/preview/Arguments.h"
#include "tools/preview/Commands.h"
#include "tools/preview/ExitCodes.h"

using namespace preview;

namespace {

// --module, else the module this build made, else one next to the tool.
std::string findModule(const std::string& given) {
    if (!given.empty()) return given;
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path built = QUILLON_PREVIEW_DEFAULT_MODULE;
    if (fs::exists(built, ec)) return built.string();
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        for (const fs::path& candidate : {self.parent_path() / "Quillon.so", self.parent_path().parent_path() / "Quillon.so"}) {
            if (fs::exists(candidate, ec)) return candidate.string();
        }
    }
    return built.string();
}

// CLI11 validators that reuse the tool's own parsers and messages.
CLI::Validator gaugeValidator() {
    return CLI::Validator(
        [](std::string& text) {
            std::string canonical, error;
            if (!parseGaugeName(text, canonical, error)) return error;
            text = canonical;
            return std::string();
        },
        "GAUGE");
}

CLI::Validator viewValidator() {
    return CLI::Validator(
        [](std::string& text) {
            View view{};
            std::string error;
            return parseView(text, view, error) ? std::string() : error;
        },
        "full|arc|grid");
}

CLI::Validator sizeValidator() {
    return CLI::Validator(
        [](std::string& text) {
            PixelSize size;
            std::string error;
            return parseSize(text, size, error) ? std::string() : error;
        },
        "WxH");
}

// Both coordinates from `low` to `high` (parsePoint refuses NaN and infinities).
CLI::Validator pointValidator(int low, int high) {
    return CLI::Validator(
        [low, high](std::string& text) {
            Point2 point;
            std::string error;
            if (!parsePoint(text, point, error)) return error;
            const auto inside = [&](double v) { return v >= low && v <= high; };
            if (inside(point.x) && inside(point.y)) return std::string();
            return "point '" + text + "' lies outside " + std::to_string(low) + ".." + std::to_string(high);
        },
        "X,Y");
}

// CLI::Range lets NaN through: every comparison with NaN is false.
CLI::Validator numberValidator(double low, double high) {
    return CLI::Validator(
        [low, high](std::string& text) {
            double value = 0;
            std::string error;
            return parseBoundedNumber(text, low, high, value, error) ? std::string() : error;
        },
        "NUMBER");
}

// An empty name would silently stand for the default (the built-in
// scenario, the module this build made): refuse it instead.
CLI::Validator nameValidator() {
    return CLI::Validator(
        [](std::string& text) { return text.empty() ? std::string("the name is empty") : std::string(); }, "NAME");
}

CLI::Validator outputValidator(const std::string& extension) {
    return CLI::Validator(
        [extension](std::string& text) {
            std::string error;
            return checkOutputPath(text, extension, error) ? std::string() : error;
        },
        "FILE" + extension);
}

View viewOf(const std::string& text) {
    View view = View::FullCircle;
    std::string error;
    parseView(text, view, error);
    return view;
}

PixelSize sizeOf(const std::string& text) {
    PixelSize size;
    std::string error;
    parseSize(text, size, error);
    return size;
}

Point2 pointOf(const std::string& text) {
    Point2 point;
    std::string error;
    parsePoint(text, point, error);
    return point;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Quillon preview: the four traffic radar gauges of Quillon.so, drawn by the stand-in host "
                 "without the simulator."};
    app.footer(
        "Gauges: \"Circular Green\", \"Circular Amber\", \"Rectangular Green\", \"Rectangular Amber\" "
        "(also circular-green, cg, ...).\n"
        "Exit codes: 0 done, 2 bad command line, 3 bad scenario file, 4 module not loadable,\n"
        "5 --select failed, 6 output not writable, 7 no display for the window, 8 bad panel.cfg,\n"
        "1 anything else.\n"
        "Numbers must be finite and within the bounds shown; -o must end in .png (render) or .gif (animate).");
    app.set_version_flag("--version", "quillon-preview " QUILLON_VERSION);
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string("quillon-preview: ") + e.what() + " (see --help)\n";
    });
    app.require_subcommand(1);
    app.fallthrough();

    PreviewOptions options;
    std::string module, viewText = "full";
    double rangeNm = 40.0;
    app.add_option("--module", module, "Quillon.so to load (default: the one this build made)")->check(nameValidator());
    // A missing file is reported by the scenario loader, with the other bad files.
    app.add_option("--scenario", options.scenarioPath, "traffic scenario JSON (default: the built-in scenario)")
        ->check(nameValidator());
    app.add_flag("--limited", options.limited, "limited traffic mode: labels, true altitude and heading only");
    app.add_flag("--tags", options.tags, "altitude tags on (sets \"Radar Altitude Tags\" to 1)");
    app.add_flag("--alerts", options.alerts, "traffic advisories on (sets \"Radar Alerts\" to 1)");
    app.add_flag("--auto-range", options.autoRange,
                 "auto range on (sets \"Radar Auto Range\" to 1): off-scale advisories brought into view");
    app.add_flag("--trails", options.trails, "trails on (sets \"Radar Trails\" to 1)");
    app.add_option("--dimming", options.dimming, "dimming in percent through \"Radar Dimming\": 0 to 90, steps of 10")
        ->capture_default_str()
        ->check(CLI::Range(0, 90));
    app.add_option("--filter", options.filter,
                   "traffic filter through \"Radar Filter\": 0 all, 1 airborne, 2 normal band, 3 above, 4 below")
        ->capture_default_str()
        ->check(CLI::Range(0, 4));
    app.add_option("--fps", options.fps, "frames per second of simulated time")
        ->capture_default_str()
        ->check(numberValidator(1.0, 100.0));
    app.add_option("--view", viewText, "view: full, arc or grid (2, 3, 4), set through \"Radar Mode\"")
        ->capture_default_str()
        ->check(viewValidator());
    // The bounds of the window's range keys.
    app.add_option("--range", rangeNm, "range in NM (5 to 320), set through \"Radar Range\"")
        ->capture_default_str()
        ->check(numberValidator(5.0, 320.0));

    // render
    StillRequest still;
    SheetRequest sheet;
    std::string stillSize = "400x400", sheetSize = "300x300", clickPixel, clickLogical, output;
    bool all = false;
    CLI::App* render = app.add_subcommand("render", "still pictures (PNG)");
    auto* gaugeOption = render->add_option("--gauge", still.gauge, "gauge to draw")
                            ->capture_default_str()
                            ->transform(gaugeValidator());
    auto* allFlag = render->add_flag("--all", all, "contact sheet of the four gauges in the three views");
    render->add_option("--size", stillSize, "pixel size (default 400x400; per gauge with --all, default 300x300 then)")
        ->check(sizeValidator());
    render->add_option("--seconds", still.seconds, "simulated time before the picture")
        ->capture_default_str()
        ->check(numberValidator(0.0, 3600.0));
    auto* clickOption =
        render->add_option("--click", clickPixel, "click at a pixel X,Y first")->check(pointValidator(0, 4096));
    auto* logicalOption = render->add_option("--click-logical", clickLogical, "click at a logical point X,Y (0..1000) first")
                              ->check(pointValidator(0, 1000));
    auto* selectOption = render->add_option("--select", still.selectAtcId,
                                            "click on the aircraft with this ATC id and check that it is selected");
    auto* listFlag = render->add_flag("--list", still.listTargets,
                                      "print each aircraft drawn (pixel x y, logical x y, distance NM, ATC id; with --alerts its class "
                                      "none/proximate/advisory and seconds to closest approach before the id) and each "
                                      "hidden one with why");
    render->add_option("-o,--output", output, "PNG to write (default out/<gauge>-<view>.png, out/contact-sheet.png)")
        ->check(outputValidator(".png"));
    clickOption->excludes(logicalOption);
    allFlag->excludes(clickOption)->excludes(logicalOption)->excludes(selectOption)->excludes(gaugeOption)->excludes(listFlag);

    // animate
    AnimationRequest animation;
    std::string animationSize = "320x320";
    CLI::App* animate = app.add_subcommand("animate", "an animated GIF of the sweep and the moving traffic");
    animate->add_option("--gauge", animation.gauge, "gauge to draw")->capture_default_str()->transform(gaugeValidator());
    animate->add_option("--size", animationSize, "pixel size")->capture_default_str()->check(sizeValidator());
    animate->add_option("--seconds", animation.seconds, "length in simulated seconds")
        ->capture_default_str()
        ->check(numberValidator(0.1, 600.0));
    animate->add_option("--start", animation.startSeconds, "simulated time to skip before the first frame")
        ->check(numberValidator(0.0, 3600.0));
    animate->add_option("-o,--output", animation.output, "GIF to write (default out/<gauge>-<view>.gif)")
        ->check(outputValidator(".gif"));

    // window
    WindowRequest window;
    std::string windowSize = "400x400";
    std::vector<std::string> windowGauges;
    CLI::App* windowCommand = app.add_subcommand(
        "window", "an interactive window: click to select; keys 2 3 4 view, + - range, space pause, "
                  "L limited mode, T altitude tags, F next filter, A traffic alerts, Z auto range, R trails, D dimming (10 % steps to 90, then 0), Q or Esc quit");
    windowCommand->add_option("--gauge", windowGauges, "gauge to show (repeat for several side by side)")
        ->transform(gaugeValidator());
    windowCommand->add_option("--size", windowSize, "pixel size of each gauge")->capture_default_str()->check(sizeValidator());
    windowCommand->add_option("--seconds", window.startSeconds, "simulated time to skip before showing")
        ->check(numberValidator(0.0, 3600.0));
    windowCommand->add_option("--frame-dump", window.frameDump, "write the last frame shown as PNG on exit")
        ->check(outputValidator(".png"));
    windowCommand->add_option("--exit-after", window.exitAfter, "close after this many seconds of real time")
        ->check(numberValidator(0.0, 86400.0));

    // panel
    PanelRequest panel;
    CLI::App* panelCommand =
        app.add_subcommand("panel", "one window of an aircraft's panel.cfg as the simulator lays it out (PNG): "
                                    "Quillon's gauges drawn, other gauges as labelled grey boxes");
    panelCommand->add_option("--panel-cfg", panel.panelPath, "the panel.cfg to read")->required()->check(nameValidator());
    panelCommand->add_option("--window", panel.window, "the window's section: Window03 (or 3)")
        ->required()
        ->check(nameValidator());
    panelCommand->add_option("--seconds", panel.seconds, "simulated time before the picture")
        ->capture_default_str()
        ->check(numberValidator(0.0, 3600.0));
    panelCommand->add_option("-o,--output", panel.output, "PNG to write (default out/panel-<window>.png)")
        ->check(outputValidator(".png"));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }

    options.modulePath = findModule(module);
    const View view = viewOf(viewText);
    try {
        if (render->parsed() && all) {
            sheet.rangeNm = rangeNm;
            sheet.seconds = still.seconds;
            sheet.cellSize = sizeOf(render->count("--size") ? stillSize : sheetSize);
            sheet.output = output.empty() ? "out/contact-sheet.png" : output;
            return renderSheet(options, sheet);
        }
        if (render->parsed()) {
            still.view = view;
            still.rangeNm = rangeNm;
            still.size = sizeOf(stillSize);
            still.clickAtPixel = !clickPixel.empty();
            still.clickAtLogical = !clickLogical.empty();
            if (still.clickAtPixel) still.click = pointOf(clickPixel);
            if (still.clickAtLogical) still.click = pointOf(clickLogical);
            still.output = output.empty() ? "out/" + fileStem(still.gauge) + "-" + viewKeyword(view) + ".png" : output;
            return renderStill(options, still);
        }
        if (animate->parsed()) {
            animation.view = view;
            animation.rangeNm = rangeNm;
            animation.size = sizeOf(animationSize);
            if (animation.output.empty()) {
                animation.output = "out/" + fileStem(animation.gauge) + "-" + viewKeyword(view) + ".gif";
            }
            return renderAnimation(options, animation);
        }
        if (panelCommand->parsed()) {
            panel.view = view;
            panel.rangeNm = rangeNm;
            if (panel.output.empty()) panel.output = "out/panel-" + fileStem(panel.window) + ".png";
            return renderPanel(options, panel);
        }
        if (windowCommand->parsed()) {
            window.gauges = windowGauges.empty() ? std::vector<std::string>{"Circular Green"} : windowGauges;
            window.view = view;
            window.rangeNm = rangeNm;
            window.size = sizeOf(windowSize);
            return runWindow(options, window);
        }
    } catch (const std::exception& e) {
        std::cerr << "quillon-preview: " << e.what() << "\n";
        return kExitFailure;
    }
    return kExitUsage;
}
