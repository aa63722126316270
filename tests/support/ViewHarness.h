// A gauge of a chosen variant that draws its views straight onto a test
// surface, without the frame drawing around them: the scheme is made at
// once, the selection and range are set directly, and the traffic list is
// filled from whatever the fake panel's traffic interface offers.
#pragma once

#include <cstring>
#include <memory>

#include "module/PanelTableCalls.h"
#include "views/GaugeVariants.h"
#include "tests/support/TestSurface.h"

namespace quillon::testing {

template <typename Variant>
class ViewHarness {
public:
    explicit ViewHarness(TestSurface& surface) : surface_(surface), gauge_(std::make_unique<Variant>(modulePanelCalls())) {
        gauge_->graphics_ = &surface.graphics();
        gauge_->scaleX_ = static_cast<float>(surface.width() * 0.001);
        gauge_->scaleY_ = static_cast<float>(surface.height() * 0.001);
        gauge_->surfaceWidth_ = surface.width();
        gauge_->surfaceHeight_ = surface.height();
        gauge_->createScheme();
        gauge_->schemeCreated_ = 1;
    }
    // The surface owns the graphics object, not the gauge's cache.
    ~ViewHarness() { gauge_->graphics_ = nullptr; }
    ViewHarness(const ViewHarness&) = delete;
    ViewHarness& operator=(const ViewHarness&) = delete;

    Variant& gauge() { return *gauge_; }
    const Variant* operator->() const { return gauge_.get(); }
    Variant* operator->() { return gauge_.get(); }

    // Clears the surface as the frame drawing does before a view draws.
    void clearSurface() { surface_.clear(gauge_->scheme_.backgroundColour); }

    // Reads the host's traffic now and publishes the count.
    void loadTraffic() {
        gauge_->trafficList_->refresh();
        gauge_->trafficList_->tickUpdate();
    }
    TrafficList& list() { return *gauge_->trafficList_; }
    // Classes the list's aircraft as a frame at the clock would, once
    // alerts are on (the targets stay where the test put them).
    void classify(double clock) {
        TrafficList& traffic = *gauge_->trafficList_;
        if (gauge_->advisories_ == nullptr) return;
        gauge_->advisories_->update(readOwnAircraft(modulePanelCalls(), traffic), traffic.item(0), 1,
                                    static_cast<int>(traffic.count()), clock);
    }

    // The auto range's decision at the end of a frame at the clock.
    void followAutoRange(double clock) { gauge_->followAutoRange(clock); }

    // The data block as the gauge lays it out for the last frame's selection.
    bool layOutBlock(render::TextBlock& block) const { return gauge_->layOutLastDataBlock(block); }

    void setRange(float rangeNm) { gauge_->rangeNm_ = rangeNm; }
    void setMode(int32_t mode) { gauge_->displayMode_ = mode; }
    void select(int32_t index, const char* atcId) {
        gauge_->selectedIndex_ = index;
        std::strncpy(gauge_->selectedAtcId_, atcId, kAtcIdCapacity - 1);
        gauge_->selectedAtcId_[kAtcIdCapacity - 1] = '\0';
    }
    void setSelectionRecord(int32_t drawn, int32_t index, float distanceNm, float bearingDeg) {
        gauge_->selectedDrawn_ = drawn;
        gauge_->selectedIndex_ = index;
        gauge_->selectedDistanceNm_ = distanceNm;
        gauge_->selectedBearingDeg_ = bearingDeg;
    }
    // Feeds the gauge's trails the list's slots as they are (as a refresh
    // at the clock would), with their brushes made as a frame makes them.
    void feedTrails(double clock) {
        gauge_->trails_->update(gauge_->trafficList_->item(0), 1, static_cast<int>(gauge_->trafficList_->count()), clock);
        render::createTrailBrushes(gauge_->scheme_);
    }
    void setPlotPosition(int index, float x, float y) { gauge_->plotPositions_[index] = PlotPosition{x, y}; }

    const render::ColourScheme& colours() const { return gauge_->scheme_; }
    float lineHeight() const { return gauge_->scheme_.lineHeight; }

private:
    TestSurface& surface_;
    std::unique_ptr<Variant> gauge_;
};

}  // namespace quillon::testing
