// The object behind one gauge variant: shared by every panel window that
// shows the variant, it keeps the surfaces, the colour scheme, the traffic
// list, the display settings and the selection.
#pragma once

#include <cstdint>

#include "gauge/RadarView.h"
#include "gauge/SurfaceCache.h"
#include "host/GaugeRecords.h"
#include "host/PanelCalls.h"
#include "render/ColourScheme.h"
#include "render/FrameBuffer.h"
#include "render/GdiPlusObjects.h"
#include "render/RetryPacing.h"
#include "traffic/TrafficList.h"

namespace quillon {

namespace testing {
template <typename Variant>
class ViewHarness;
}

struct LogicalPoint {
    int32_t x;
    int32_t y;
};

struct CentrePoint {
    float x;
    float y;
};

constexpr int kTargetVariableCount = 8;
constexpr int kAlertVariableCount = 7;  // level, count and the most urgent advisory

// The selection keeps a whole copy of a target's identifier.
constexpr size_t kAtcIdCapacity = TrafficTarget::kAtcIdCapacity;

// Smoothing and text quality of every view's drawing.
void applyRenderingQualityTo(render::Graphics& graphics);

// The views and the data block a gauge draws with; they keep no state of
// one gauge, so every gauge of the module may share them.
struct GaugeParts {
    RadarView* fullCircle;
    RadarView* forwardArc;
    RadarView* grid;
    const DataBlock* dataBlock;
};

class RadarGauge {
public:
    RadarGauge(const PanelCalls& panel, const GaugeParts& parts);
    RadarGauge(const RadarGauge&) = delete;
    RadarGauge& operator=(const RadarGauge&) = delete;

    // The ten operations, in their table order.
    virtual void drawFrame(host::GaugeHeader* header);
    virtual void onClick(const LogicalPoint* point);
    virtual void update();
    virtual void createScheme();
    virtual void drawFullCircleView();
    virtual void drawForwardArcView();
    virtual void drawGridView();
    virtual void drawDataBlock();
    virtual void selectTargetAt(const LogicalPoint* click, const CentrePoint* centre);
    virtual void syncVariables();
    // After the ten, so that they keep their places.
    virtual ~RadarGauge();

    // False when construction could not get its traffic list: the module
    // then discards the gauge as it would a failed allocation.
    bool constructedWhole() const { return trafficList_ != nullptr; }

    int32_t displayMode() const { return displayMode_; }
    float rangeNm() const { return rangeNm_; }
    // The range the views show: the pilot's, or the auto range's while it
    // brings advisories in.
    float shownRangeNm() const { return autoRangeNm_ > rangeNm_ ? autoRangeNm_ : rangeNm_; }
    int32_t selectedIndex() const { return selectedIndex_; }
    const char* selectedAtcId() const { return selectedAtcId_; }
    int32_t selectedDrawn() const { return selectedDrawn_; }
    float selectedDistanceNm() const { return selectedDistanceNm_; }
    float selectedBearingDeg() const { return selectedBearingDeg_; }
    const PlotPosition& plotPosition(int index) const { return plotPositions_[index]; }
    const TrafficList* trafficList() const { return trafficList_; }
    const render::ColourScheme& scheme() const { return scheme_; }
    bool schemeCreated() const { return schemeCreated_ != 0; }
    const SurfaceCache& surfaceCache() const { return surfaceCache_; }
    const PilotOptions& pilotOptions() const { return options_; }
    // The classes of the list's aircraft; null until alerts were first on.
    const TrafficAdvisories* advisories() const { return advisories_; }
    // Where the list's aircraft have been; null while trails are off.
    const TrafficTrails* trails() const { return trails_; }
    // Whether list slot index was drawn in the most recent frame of the
    // current view: only such targets take clicks.
    bool targetShown(int index) const;

    // Number of gauges alive in the module (the last one releases the shared
    // GDI+ objects before its shut-down).
    static int liveGauges();

protected:
    void applyRenderingQuality();
    // The dimming the panel asks for, in steps of a tenth (0 to 9).
    int dimmingStep() const;

    // The view of a display mode; null for a mode that draws none.
    RadarView* viewOf(int32_t displayMode) const;
    // What a view needs to draw at all: the traffic list and a whole scheme.
    bool viewHasItsResources() const { return trafficList_ != nullptr && scheme_.complete(); }
    // One frame of a view, the same for all three: its container at the
    // own-ship centre, the fixed part unless the backdrop showed it, the
    // live part, then the data block.
    void drawView(RadarView& view);
    bool layOutLastDataBlock(render::TextBlock& block) const;
    // False, with the drawn flag cleared, when the surface, the list or the
    // scheme is missing.
    bool viewCanDraw();
    // Forgets which targets were drawn: a new frame of the view begins.
    void beginShownTargets();

    // The named variables are registered once per module; every gauge then
    // polls with the ids that registration got.
    struct RegisteredVariables {
        int32_t registered = 0;
        int32_t modeVarId = 0;
        int32_t rangeVarId = 0;
        int32_t targetVarIds[kTargetVariableCount] = {};
        int32_t tagsVarId = 0;
        int32_t filterVarId = 0;
        int32_t alertsVarId = 0;
        int32_t alertVarIds[kAlertVariableCount] = {};
        int32_t alertMuteVarId = 0;
        int32_t autoRangeVarId = 0;
        int32_t trailsVarId = 0;
        int32_t dimmingVarId = 0;
    };
    static RegisteredVariables registeredVariables_;

    const PanelCalls& panel_;
    GaugeParts parts_;
    host::ModuleVariableRecord clockRecord_ = moduleVariable(host::kVarClock);

    host::ImageElement* drawingElement_ = nullptr;
    host::DeviceContext deviceContext_ = nullptr;
    int32_t surfaceWidth_ = 0;
    int32_t surfaceHeight_ = 0;
    uintptr_t gdiplusToken_ = 0;
    render::Graphics* graphics_ = nullptr;
    render::ColourScheme scheme_;
    float scaleX_ = 0.0f;
    float scaleY_ = 0.0f;
    int32_t schemeCreated_ = 0;
    SurfaceCache surfaceCache_;
    int32_t modeVarId_ = 0;
    int32_t rangeVarId_ = 0;
    int32_t targetVarIds_[kTargetVariableCount] = {};
    TrafficList* trafficList_ = nullptr;
    PlotPosition plotPositions_[TrafficList::kSlots] = {};
    float selectedDistanceNm_ = 0.0f;
    float selectedBearingDeg_ = 0.0f;
    int32_t displayMode_ = kFullCircleView;
    float rangeNm_ = 40.0f;
    int32_t selectedDrawn_ = 0;
    int32_t selectedIndex_ = kNoSelection;
    char selectedAtcId_[kAtcIdCapacity] = {};
    // This redraw started from the surface's backdrop: the view's unchanging
    // drawing is on the surface already.
    bool fixedPartShown_ = false;
    // The frame buffer this redraw composes on; null when it draws on the surface.
    render::FrameBuffer* composing_ = nullptr;

    // Beyond the ten operations' fields: the pilots' options and their
    // variable ids, and which slots the last frame drew and in which view.
    int32_t tagsVarId_ = 0;
    int32_t filterVarId_ = 0;
    PilotOptions options_;
    TrafficAdvisories* advisories_ = nullptr;  // made when alerts are first turned on
    // The auto range: the range in use while it is widened (0: the pilot's),
    // and the clock at which an advisory last needed it.
    float autoRangeNm_ = 0.0f;
    double autoRangeNeededAt_ = 0.0;
    TrafficTrails* trails_ = nullptr;          // made when trails are turned on
    float trailsRangeNm_ = 0.0f;               // the range the trails were kept at
    uint8_t shownTargets_[TrafficList::kSlots] = {};
    int32_t shownMode_ = 0;
    // Creations whose GDI+ calls failed, tried again frame by frame less often.
    render::RetryPacing sessionRetry_;
    render::RetryPacing schemeRetry_;
    render::RetryPacing graphicsRetry_;

    friend struct RadarGaugeProbe;  // tests only
    template <typename Variant>
    friend class testing::ViewHarness;  // tests only

private:
    // Finds or makes the surface's cache entry and redraws it when the clock
    // has moved; false when the call must end without touching the flags.
    bool redrawSurface(double clock);
    SurfaceEntry* surfaceEntryFor(host::DeviceContext deviceContext);
    // Puts the backdrop on the surface, or clears it for direct drawing.
    void startPicture();
    bool copyBackdrop();
    bool composeOffSurface(render::FrameBuffer* frame, const render::OffscreenBitmap& backdrop, uint64_t picture);
    void finishPicture(render::Graphics& surface);
    void paintBackdrop(render::OffscreenBitmap& backdrop, const RadarView& view);
    // Starts GDI+ and makes the scheme, or tries again when their time has come.
    bool ensureSessionAndScheme();
    void followDimming();
    bool startGdiPlusSession();
    void drawSelectedView();
    void registerVariables();
    void adoptRegisteredIds();
    void readRange();
    void readMode();
    void readPilotOptions();
    // The traffic advisories (gauge/TrafficAlerts.cpp): the list's query
    // range, the classification after a refresh, and the panel's variables.
    float queryRangeNm() const;
    bool alertsOn() const { return options_.alerts == 1 && advisories_ != nullptr; }
    void followAlertsSetting();
    void classifyTraffic(double clock);
    void publishAlerts(double clock);
    void announceAdvisory(double clock);
    void withdrawAlerts();
    // The auto range (gauge/AutoRange.cpp): the range that shows every
    // advisory, held a while after none needs it; its mark.
    void followAutoRange(double clock);
    float rangeShowingAdvisories() const;
    void drawAutoRangeMark();
    // The trails (gauge/TrafficTrailsFollowing.cpp): kept while "Radar
    // Trails" is 1, fed after each refresh, cleared at a new range.
    bool trailsOn() const { return options_.trails == 1 && trails_ != nullptr; }
    void followTrailsSetting();
    void followTrails(double clock);
    // The selection published to the panel by the gauge that made the
    // latest one (gauge/PublishedSelection.cpp).
    void takeOverPublishing();
    void publishSelection();
    void withdrawPublishing();
};

}  // namespace quillon
