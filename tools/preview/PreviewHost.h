// The stand-in host as the preview tool drives it: a module, a scenario,
// gauge windows, the two named variables another gauge would set, frames,
// clicks, and what the host has told each gauge about the traffic.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/Host.h"
#include "tools/preview/AdvisoryWatch.h"
#include "tools/preview/GaugeNames.h"
#include "tools/preview/Image.h"
#include "tools/preview/ViewGeometry.h"

namespace preview {

struct PreviewOptions {
    std::string modulePath;
    std::string scenarioPath;  // empty: the built-in scenario
    bool limited = false;
    double fps = 18.0;
    // The pilots' options, written to the panel only when asked for.
    bool tags = false;
    int filter = 0;  // 0 all, 1 airborne, 2 normal band, 3 above, 4 below
    bool alerts = false;
    bool autoRange = false;
    bool trails = false;
    int dimming = 0;  // percent, steps of 10 up to 90
};

// One aircraft as a gauge's traffic list holds it: its place in the list
// and its state when the host last answered that gauge's traffic query.
struct ListedAircraft {
    int listIndex = 0;
    std::string atcId;          // as the gauge holds it (the label in limited mode)
    std::string scenarioAtcId;  // the aircraft's ATC id in the scenario
    AircraftFix fix;
};

// Where an aircraft is drawn in a window, worked out from the host's side.
struct Sighting {
    ListedAircraft aircraft;
    Plot plot;
    AlertReading alert;  // what the gauge makes of it while alerts are on
    int pixelX = 0;
    int pixelY = 0;
};

struct SelectOutcome {
    bool ok = false;
    std::string message;  // what went wrong, or where the click went
    int pixelX = -1;
    int pixelY = -1;
};

class PreviewHost {
public:
    // Loads the module and the scenario. On failure returns null, sets
    // `error` and `exitCode` (kExitModule or kExitScenario).
    static std::unique_ptr<PreviewHost> create(const PreviewOptions& options, std::string& error, int& exitCode);
    ~PreviewHost();

    // Opens a window (service 14). Gauge names must be canonical. A gauge
    // that is not square is drawn on a square surface of its longer side and
    // shown resampled to its size: libgdiplus squeezes the glyphs of text
    // under unequal scales differently from their spacing, which garbles the
    // digits, while the simulator's GDI+ scales glyphs like everything else.
    sim::Window& addGauge(const std::string& gaugeName, int width, int height);
    // The size the gauge is shown at: pixels of capture(), clickPixel() and sightings.
    PixelSize shownSize(const sim::Window& window) const;
    const std::vector<sim::Window*>& windows() const { return windows_; }

    // The first frame lets the module register and initialise its named
    // variables; the view and range are set after it, as another gauge would.
    void setView(View view);
    void setRange(double rangeNm);
    View view() const { return view_; }
    double rangeNm() const { return rangeNm_; }
    void setLimited(bool limited);
    bool limited() const;
    // "Radar Altitude Tags" and "Radar Filter", as another gauge would set them.
    void setTags(bool on);
    void setFilter(int filter);
    // "Radar Alerts", as another gauge would set it.
    void setAlerts(bool on);
    bool alerts() const { return alerts_.value_or(false); }
    // "Radar Auto Range", as another gauge would set it.
    void setAutoRange(bool on);
    bool autoRange() const { return autoRange_.value_or(false); }
    // The range the window's gauge shows: the pilot's, or the auto range's.
    double shownRangeNm(const sim::Window& window) const;
    // The clock at each time the module sounded the advisories' voice.
    const std::vector<double>& voices() const { return voices_; }
    // "Radar Trails" and "Radar Dimming" (percent), as another gauge would set them.
    void setTrails(bool on);
    void setDimming(int percent);
    bool trails() const { return trails_.value_or(false); }
    int dimming() const { return dimming_.value_or(0); }
    bool tags() const { return tags_.value_or(false); }
    int filter() const { return filter_.value_or(0); }

    // One frame at the frame rate: time passes, every window gets its update
    // service and then its draw notification.
    void frame() { frame(fps_ > 0 ? 1.0 / fps_ : 0.0); }
    // The same with a time step of one's own (the window keeps to the wall clock).
    void frame(double seconds);
    // Frames until the clock reaches `seconds`; `progress` gets (done, total).
    void runUntil(double seconds, const std::function<void(int, int)>& progress = {});
    double clock() const;
    double fps() const { return fps_; }

    Image capture(const sim::Window& window) const;
    // The surface as the module drew it, before resampling to the shown size.
    Image captureSurface(const sim::Window& window) const;
    // A left click at a shown pixel, through the window's mouse area.
    bool clickPixel(sim::Window& window, int x, int y);

    // The aircraft a window's gauge lists, and where its view draws them.
    std::vector<ListedAircraft> listed(const sim::Window& window) const;
    std::vector<Sighting> sightings(const sim::Window& window) const;
    OwnShipFix ownShip() const;

    // Clicks on the aircraft with this ATC id where the view draws it,
    // draws a frame and checks the selection box in it.
    SelectOutcome select(sim::Window& window, const std::string& atcId);

private:
    PreviewHost() = default;
    void applyNamedVariables();
    void noteTrafficQuery(const sim::Window& window);
    size_t windowIndex(const sim::Window& window) const;
    Plot plotFor(const ListedAircraft& aircraft, const AlertReading& alert, double rangeNm) const;
    void watchRefresh(size_t index);
    void followAutoRange(size_t index);

    std::unique_ptr<sim::Host> host_;
    std::vector<sim::Window*> windows_;
    std::vector<PixelSize> shown_;
    std::vector<std::vector<ListedAircraft>> listedByWindow_;
    std::vector<AdvisoryWatch> watches_;  // one per window: each gauge's list refreshes on its own
    View view_ = View::FullCircle;
    double rangeNm_ = 40.0;
    std::optional<bool> tags_;
    std::optional<int> filter_;
    std::optional<bool> alerts_;
    std::optional<bool> autoRange_;
    // Per window, as its gauge works it out after each frame: the range
    // widened for the advisories (0: the pilot's) and when last needed.
    struct AutoRange {
        double rangeNm = 0.0;
        double neededAt = 0.0;
    };
    std::vector<AutoRange> autoRanges_;
    std::vector<double> voices_;
    int voicesHeard_ = 0;  // the stand-in's count of sound calls already noted
    std::optional<bool> trails_;
    std::optional<int> dimming_;
    bool variablesReady_ = false;
    double fps_ = 18.0;
};

// True when the picture shows a selection box (50 x 50 logical units) around
// the logical point: ink on each of its sides that lies on the surface.
bool showsSelectionBox(const Image& picture, double logicalX, double logicalY);

// The most common colour of a picture: the gauge's background.
uint32_t backgroundColour(const Image& picture);

}  // namespace preview
