// The three things the preview tool does, each from parsed options.
#pragma once

#include <string>
#include <vector>

#include "tools/preview/GaugeNames.h"
#include "tools/preview/PreviewHost.h"

namespace preview {

struct StillRequest {
    std::string gauge = "Circular Green";
    View view = View::FullCircle;
    double rangeNm = 40.0;
    PixelSize size{400, 400};
    double seconds = 3.0;
    bool clickAtPixel = false;
    bool clickAtLogical = false;
    Point2 click;
    std::string selectAtcId;
    bool listTargets = false;
    std::string output;
};

struct SheetRequest {
    double rangeNm = 40.0;
    PixelSize cellSize{300, 300};
    double seconds = 3.0;
    std::string output;
};

struct AnimationRequest {
    std::string gauge = "Circular Green";
    View view = View::FullCircle;
    double rangeNm = 40.0;
    PixelSize size{320, 320};
    double startSeconds = 0.0;  // simulated time skipped before the first frame
    double seconds = 6.0;
    std::string output;
};

struct WindowRequest {
    std::vector<std::string> gauges;
    View view = View::FullCircle;
    double rangeNm = 40.0;
    PixelSize size{400, 400};
    double startSeconds = 0.0;
    double exitAfter = -1.0;  // wall-clock seconds; negative: run until closed
    std::string frameDump;
};

struct PanelRequest {
    std::string panelPath;
    std::string window;  // "Window03"
    View view = View::FullCircle;
    double rangeNm = 40.0;
    double seconds = 3.0;
    std::string output;
};

// Each returns an exit code (ExitCodes.h) and reports on stderr; progress
// goes to stderr too, results (paths, lists) to stdout.
int renderStill(const PreviewOptions& options, const StillRequest& request);
int renderSheet(const PreviewOptions& options, const SheetRequest& request);
int renderAnimation(const PreviewOptions& options, const AnimationRequest& request);
int runWindow(const PreviewOptions& options, const WindowRequest& request);
int renderPanel(const PreviewOptions& options, const PanelRequest& request);

}  // namespace preview
