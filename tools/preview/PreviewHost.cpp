#include "tools/preview/PreviewHost.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "sim/ScenarioLoader.h"
#include "sim/WinmmLayer.h"
#include "tools/preview/ExitCodes.h"

namespace preview {
namespace {

constexpr double kFeetPerMetre = 3.2808;
constexpr double kHitTolerance = 20.0;  // logical units either side of a plotted point
constexpr double kBoxHalfSide = 25.0;
constexpr size_t kIdentifierLength = 15;

// The host's click mapping: pixel / size * 1000, truncated toward zero.
int hostLogical(int pixel, int pixels) { return static_cast<int>(static_cast<double>(pixel) / pixels * 1000.0); }

bool sameId(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string pointText(double x, double y) {
    char text[64];
    std::snprintf(text, sizeof text, "(%.0f, %.0f)", x, y);
    return text;
}

}  // namespace

std::unique_ptr<PreviewHost> PreviewHost::create(const PreviewOptions& options, std::string& error, int& exitCode) {
    std::unique_ptr<PreviewHost> preview(new PreviewHost());
    sim::HostOptions hostOptions;
    hostOptions.framesPerSecond = options.fps;
    preview->fps_ = options.fps;
    preview->host_ = std::make_unique<sim::Host>(hostOptions);
    if (!options.scenarioPath.empty()) {
        try {
            preview->host_->loadScenario(options.scenarioPath);
        } catch (const std::exception& e) {
            error = std::string("bad scenario: ") + e.what();
            exitCode = kExitScenario;
            return nullptr;
        }
    }
    if (options.limited) preview->host_->traffic().setLimitedMode(true);
    if (options.tags) preview->tags_ = true;
    if (options.filter != 0) preview->filter_ = options.filter;
    if (options.alerts) preview->alerts_ = true;
    if (options.autoRange) preview->autoRange_ = true;
    if (options.trails) preview->trails_ = true;
    if (options.dimming != 0) preview->dimming_ = options.dimming;
    if (!preview->host_->load(options.modulePath)) {
        error = "cannot load the gauge module '" + options.modulePath + "': " + preview->host_->error();
        exitCode = kExitModule;
        return nullptr;
    }
    // The log tells which window's gauge asked for the traffic, and when.
    preview->host_->calls().setEnabled(true);
    preview->host_->calls().clear();
    preview->voicesHeard_ = sim::winmm_layer::playedCount();
    return preview;
}

PreviewHost::~PreviewHost() = default;

sim::Window& PreviewHost::addGauge(const std::string& gaugeName, int width, int height) {
    const int side = std::max(width, height);
    sim::Window& window = host_->openWindow(gaugeName, side, side);
    windows_.push_back(&window);
    shown_.push_back({width, height});
    listedByWindow_.emplace_back();
    watches_.emplace_back();
    autoRanges_.emplace_back();
    noteTrafficQuery(window);
    return window;
}

void PreviewHost::applyNamedVariables() {
    host_->setNamed("Radar Mode", radarModeValue(view_));
    host_->setNamed("Radar Range", rangeNm_);
    if (tags_) host_->setNamed("Radar Altitude Tags", *tags_ ? 1.0 : 0.0);
    if (filter_) host_->setNamed("Radar Filter", *filter_);
    if (alerts_) host_->setNamed("Radar Alerts", *alerts_ ? 1.0 : 0.0);
    if (autoRange_) host_->setNamed("Radar Auto Range", *autoRange_ ? 1.0 : 0.0);
    if (trails_) host_->setNamed("Radar Trails", *trails_ ? 1.0 : 0.0);
    if (dimming_) host_->setNamed("Radar Dimming", *dimming_);
}

void PreviewHost::setAutoRange(bool on) {
    autoRange_ = on;
    if (variablesReady_) applyNamedVariables();
}

double PreviewHost::shownRangeNm(const sim::Window& window) const {
    const size_t index = windowIndex(window);
    const double widened = index < autoRanges_.size() ? autoRanges_[index].rangeNm : 0.0;
    return widened > rangeNm_ ? widened : rangeNm_;
}

// As the gauge after each frame: the smallest range doubling from the
// pilot's (at most 320 NM) that shows every advisory, held ten seconds
// after none needs it.
void PreviewHost::followAutoRange(size_t index) {
    AutoRange& state = autoRanges_[index];
    if (!autoRange() || !alerts()) {
        state.rangeNm = 0.0;
        return;
    }
    double needed = rangeNm_;
    const OwnShipFix own = ownShip();
    const int first = limited() ? 0 : 1;
    for (const ListedAircraft& aircraft : listedByWindow_[index]) {
        if (aircraft.listIndex < first) continue;
        if (watches_[index].reading(aircraft.atcId).alertClass != AlertClass::Advisory) continue;
        double distanceNm = 0.0;
        double bearingDeg = 0.0;
        distanceAndBearing(own.latitudeDeg, own.longitudeDeg, aircraft.fix.latitudeDeg, aircraft.fix.longitudeDeg,
                           distanceNm, bearingDeg);
        while (distanceNm > needed && needed < 320.0) needed = std::min(needed * 2.0, 320.0);
    }
    const double now = clock();
    if (now < state.neededAt) state.neededAt = now;
    if (needed > rangeNm_) {
        state.rangeNm = needed;
        state.neededAt = now;
    } else if (state.rangeNm != 0.0 && !(now - state.neededAt < 10.0)) {
        state.rangeNm = 0.0;
    }
}

void PreviewHost::setTrails(bool on) {
    trails_ = on;
    if (variablesReady_) applyNamedVariables();
}

void PreviewHost::setDimming(int percent) {
    dimming_ = percent;
    if (variablesReady_) applyNamedVariables();
}

void PreviewHost::setAlerts(bool on) {
    alerts_ = on;
    if (variablesReady_) applyNamedVariables();
}

void PreviewHost::setTags(bool on) {
    tags_ = on;
    if (variablesReady_) applyNamedVariables();
}

void PreviewHost::setFilter(int filter) {
    filter_ = filter;
    if (variablesReady_) applyNamedVariables();
}

void PreviewHost::setView(View view) {
    view_ = view;
    if (variablesReady_) applyNamedVariables();
}

void PreviewHost::setRange(double rangeNm) {
    rangeNm_ = rangeNm;
    if (variablesReady_) applyNamedVariables();
}

void PreviewHost::setLimited(bool limited) { host_->traffic().setLimitedMode(limited); }
bool PreviewHost::limited() const { return host_->traffic().limitedMode(); }

size_t PreviewHost::windowIndex(const sim::Window& window) const {
    for (size_t i = 0; i < windows_.size(); ++i) {
        if (windows_[i] == &window) return i;
    }
    return windows_.size();
}

void PreviewHost::noteTrafficQuery(const sim::Window& window) {
    sim::CallLog& log = host_->calls();
    const size_t index = windowIndex(window);
    if (index < windows_.size() && log.count(sim::Call::ObjectsInRadius) > 0) {
        // The last answer counts: the list holds what it was told last.
        const std::vector<sim::CallRecord> queries = log.of(sim::Call::ObjectsInRadius);
        const sim::CallRecord& last = queries.back();
        const bool limitedMode = host_->traffic().limitedMode();
        std::vector<ListedAircraft> listed;
        for (size_t i = 2; i < last.numbers.size(); ++i) {
            const sim::Aircraft* a = host_->traffic().find(static_cast<host::ObjectId>(last.numbers[i]));
            if (a == nullptr) continue;
            ListedAircraft entry;
            entry.listIndex = static_cast<int>(i - 2);
            // In limited mode the gauge knows an aircraft only by its label;
            // either way it keeps at most 15 characters.
            entry.atcId = (limitedMode ? a->label : a->atcId).substr(0, kIdentifierLength);
            entry.scenarioAtcId = a->atcId;
            entry.fix = {a->latitudeDeg, a->longitudeDeg, a->altitudeFt,
                         limitedMode ? a->altitudeFt : a->heightAboveGroundFt()};
            listed.push_back(entry);
        }
        listedByWindow_[index] = std::move(listed);
        watchRefresh(index);
    }
    log.clear();
}

void PreviewHost::frame(double seconds) {
    host_->advance(seconds);
    for (sim::Window* window : windows_) {
        for (int32_t code : host_->options().updateServices) {
            host_->service(*window, code);
            noteTrafficQuery(*window);
        }
    }
    // The module registers its named variables (and writes their first
    // values) on its first update; another gauge sets them after that.
    if (!variablesReady_) {
        variablesReady_ = true;
        applyNamedVariables();
    }
    for (sim::Window* window : windows_) {
        host_->drawWindow(*window);
        noteTrafficQuery(*window);
        const size_t index = windowIndex(*window);
        if (index < autoRanges_.size()) followAutoRange(index);
    }
    for (; voicesHeard_ < sim::winmm_layer::playedCount(); ++voicesHeard_) voices_.push_back(clock());
}

void PreviewHost::runUntil(double seconds, const std::function<void(int, int)>& progress) {
    const int total = std::max(1, static_cast<int>(std::lround((seconds - clock()) * fps_)));
    for (int done = 0; done < total; ++done) {
        frame();
        if (progress) progress(done + 1, total);
    }
}

double PreviewHost::clock() const { return host_->clock(); }

PixelSize PreviewHost::shownSize(const sim::Window& window) const {
    const size_t index = windowIndex(window);
    return index < shown_.size() ? shown_[index] : PixelSize{window.width(), window.height()};
}

Image PreviewHost::captureSurface(const sim::Window& window) const {
    Image image(window.width(), window.height());
    const std::vector<uint32_t> pixels = window.pixels();
    for (int y = 0; y < image.height(); ++y) {
        std::copy_n(pixels.begin() + static_cast<ptrdiff_t>(y) * image.width(), image.width(), image.row(y));
    }
    return image;
}

Image PreviewHost::capture(const sim::Window& window) const {
    const PixelSize shown = shownSize(window);
    return resampled(captureSurface(window), shown.width, shown.height);
}

bool PreviewHost::clickPixel(sim::Window& window, int x, int y) {
    const PixelSize shown = shownSize(window);
    return host_->click(window, x, y, shown.width, shown.height) >= 0;
}

std::vector<ListedAircraft> PreviewHost::listed(const sim::Window& window) const {
    const size_t index = windowIndex(window);
    return index < listedByWindow_.size() ? listedByWindow_[index] : std::vector<ListedAircraft>{};
}

OwnShipFix PreviewHost::ownShip() const {
    const sim::Aircraft& own = host_->traffic().own();
    // Heading and altitude as the gauge reads them from the host's variables.
    return {own.latitudeDeg, own.longitudeDeg, host_->moduleVariable(host::kVarOwnHeading),
            host_->moduleVariable(host::kVarOwnAltitudeMetres) * kFeetPerMetre};
}

// The gauge classifies what its list holds after each refresh, the own
// aircraft (listed first in full mode) aside.
void PreviewHost::watchRefresh(size_t index) {
    const bool limitedMode = limited();
    const sim::Aircraft& own = host_->traffic().own();
    std::vector<WatchedAircraft> aircraft;
    for (const ListedAircraft& listed : listedByWindow_[index]) {
        if (listed.listIndex < (limitedMode ? 0 : 1)) continue;
        aircraft.push_back({listed.atcId, listed.fix});
    }
    const OwnShipFix fix = ownShip();
    watches_[index].refresh(clock(), fix, limitedMode ? fix.altitudeFeet : own.heightAboveGroundFt(), aircraft);
}

Plot PreviewHost::plotFor(const ListedAircraft& aircraft, const AlertReading& alert, double rangeNm) const {
    if (!alerts()) return plotInView(view_, ownShip(), aircraft.fix, rangeNm, filter());
    if (alert.alertClass == AlertClass::Advisory) return plotAdvisory(view_, ownShip(), aircraft.fix, rangeNm);
    Plot plot = plotInView(view_, ownShip(), aircraft.fix, rangeNm, filter());
    // The list looks further than the range for the advisories; the rest beyond it is not drawn.
    if (plot.shown && plot.distanceNm > rangeNm) {
        plot.shown = false;
        char why[96];
        std::snprintf(why, sizeof why, "it is %.1f NM away, beyond the range (%g NM)", plot.distanceNm, rangeNm);
        plot.whyHidden = why;
    }
    return plot;
}

std::vector<Sighting> PreviewHost::sightings(const sim::Window& window) const {
    std::vector<Sighting> out;
    // In full mode the host lists the user's own aircraft first; no view draws it.
    const int first = limited() ? 0 : 1;
    for (const ListedAircraft& aircraft : listed(window)) {
        if (aircraft.listIndex < first) continue;
        const size_t index = windowIndex(window);
        const AlertReading alert = index < watches_.size() ? watches_[index].reading(aircraft.atcId) : AlertReading{};
        Sighting s{aircraft, plotFor(aircraft, alert, shownRangeNm(window)), alert};
        s.pixelX = logicalToPixel(s.plot.x, shownSize(window).width);
        s.pixelY = logicalToPixel(s.plot.y, shownSize(window).height);
        out.push_back(s);
    }
    return out;
}

SelectOutcome PreviewHost::select(sim::Window& window, const std::string& atcId) {
    SelectOutcome outcome;
    const std::vector<Sighting> all = sightings(window);
    // The id the gauge shows, or the scenario's ATC id (which differs in limited mode).
    auto found = std::find_if(all.begin(), all.end(), [&](const Sighting& s) {
        return sameId(s.aircraft.atcId, atcId) || sameId(s.aircraft.scenarioAtcId, atcId);
    });
    if (found == all.end()) {
        std::string known;
        for (const Sighting& s : all) known += (known.empty() ? "" : ", ") + s.aircraft.atcId;
        char range[32];
        std::snprintf(range, sizeof range, "%g", rangeNm_);
        outcome.message = "no aircraft '" + atcId + "' within " + range + " NM of the own aircraft" +
                          (known.empty() ? " (the gauge lists none)" : " (the gauge lists: " + known + ")");
        return outcome;
    }
    const Sighting target = *found;
    if (!target.plot.shown) {
        outcome.message = "'" + atcId + "' is not visible in the " + viewTitle(view_) + " view: " + target.plot.whyHidden;
        return outcome;
    }

    // The gauge picks the lowest list index within the tolerance, so click
    // where this aircraft is hit and no earlier-listed one is.
    auto hits = [](int lx, int ly, const Plot& p) {
        return std::fabs(lx - p.x) < kHitTolerance && std::fabs(ly - p.y) < kHitTolerance;
    };
    const int w = shownSize(window).width, h = shownSize(window).height;
    const int reach = static_cast<int>(std::ceil(kHitTolerance * std::max(w, h) / 1000.0)) + 1;
    int bestX = -1, bestY = -1;
    long bestDistance = -1;
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            const int px = target.pixelX + dx, py = target.pixelY + dy;
            if (px < 0 || py < 0 || px >= w || py >= h) continue;
            const int lx = hostLogical(px, w), ly = hostLogical(py, h);
            if (!hits(lx, ly, target.plot)) continue;
            bool shadowed = false;
            for (const Sighting& other : all) {
                if (other.aircraft.listIndex >= target.aircraft.listIndex) break;
                if (other.plot.shown && hits(lx, ly, other.plot)) shadowed = true;
            }
            const long distance = static_cast<long>(dx) * dx + static_cast<long>(dy) * dy;
            if (!shadowed && (bestDistance < 0 || distance < bestDistance)) {
                bestDistance = distance;
                bestX = px;
                bestY = py;
            }
        }
    }
    if (bestDistance < 0) {
        outcome.message = "'" + atcId + "' at " + pointText(target.plot.x, target.plot.y) +
                          " is covered by an aircraft listed before it; a click there selects that one";
        return outcome;
    }
    outcome.pixelX = bestX;
    outcome.pixelY = bestY;
    if (!clickPixel(window, bestX, bestY)) {
        outcome.message = "the gauge has no mouse area at pixel " + pointText(bestX, bestY);
        return outcome;
    }
    // The selection shows from the next frame on.
    frame();
    const std::vector<Sighting> after = sightings(window);
    auto again = std::find_if(after.begin(), after.end(), [&](const Sighting& s) {
        return sameId(s.aircraft.scenarioAtcId, target.aircraft.scenarioAtcId);
    });
    if (again == after.end() || !again->plot.shown) {
        outcome.message = "'" + atcId + "' left the view right after the click";
        return outcome;
    }
    if (!showsSelectionBox(capture(window), again->plot.x, again->plot.y)) {
        outcome.message = "clicked '" + atcId + "' at pixel " + pointText(bestX, bestY) +
                          " but the next frame shows no selection box around " +
                          pointText(again->plot.x, again->plot.y);
        return outcome;
    }
    outcome.ok = true;
    outcome.message = "selected '" + target.aircraft.atcId + "' with a click at pixel " + pointText(bestX, bestY);
    return outcome;
}

uint32_t backgroundColour(const Image& picture) {
    std::unordered_map<uint32_t, int> counts;
    uint32_t best = 0xff000000u;
    int bestCount = 0;
    for (uint32_t p : picture.pixels()) {
        const int c = ++counts[p];
        if (c > bestCount) {
            bestCount = c;
            best = p;
        }
    }
    return best;
}

bool showsSelectionBox(const Image& picture, double logicalX, double logicalY) {
    if (picture.empty()) return false;
    const uint32_t background = backgroundColour(picture);
    const double sx = picture.width() / 1000.0, sy = picture.height() / 1000.0;
    // Ink within a pixel or two across the line, so that anti-aliasing and
    // rounding do not matter.
    auto inkNear = [&](double lx, double ly, bool vertical) {
        const int cx = static_cast<int>(std::floor(lx * sx)), cy = static_cast<int>(std::floor(ly * sy));
        const int spread = 1 + static_cast<int>(std::ceil(2.0 * (vertical ? sx : sy)));
        for (int d = -spread; d <= spread; ++d) {
            const int x = vertical ? cx + d : cx, y = vertical ? cy : cy + d;
            if (picture.contains(x, y) && colourDistance(picture.pixel(x, y), background) > 24) return true;
        }
        return false;
    };
    // Points along each side, away from the corners and from the cross.
    const double along[] = {-18, -11, -4, 4, 11, 18};
    int sidesSeen = 0;
    for (int side = 0; side < 4; ++side) {
        const bool vertical = side < 2;  // left and right sides
        const double fixed = (side % 2 == 0 ? -kBoxHalfSide : kBoxHalfSide);
        const double lineX = vertical ? logicalX + fixed : logicalX;
        const double lineY = vertical ? logicalY : logicalY + fixed;
        const double lineCoord = vertical ? lineX : lineY;
        const double limit = vertical ? picture.width() / sx : picture.height() / sy;
        if (lineCoord < 0 || lineCoord >= limit) continue;  // this side is off the surface
        int inked = 0, onSurface = 0;
        for (double a : along) {
            const double px = vertical ? lineX : logicalX + a, py = vertical ? logicalY + a : lineY;
            if (px < 0 || py < 0 || px >= 1000 || py >= 1000) continue;
            ++onSurface;
            if (inkNear(px, py, vertical)) ++inked;
        }
        if (onSurface < 3) continue;
        if (inked < onSurface - 1) return false;  // one miss allowed: a line may cross a side
        ++sidesSeen;
    }
    return sidesSeen >= 2;
}

}  // namespace preview
