#include "gauge/RadarGauge.h"

#include <new>

#include "gauge/DrawingMemory.h"
#include "render/GdiPlusSession.h"
#include "render/SharedGdiObjects.h"

namespace quillon {
namespace {

constexpr float kDefaultRangeNm = 40.0f;

// Gauges alive in the module: the last one to go releases the GDI+ objects
// that belong to no gauge, while its own GDI+ session still runs.
int liveGaugeCount = 0;
// Of them, those holding a GDI+ session: the shared objects are made and
// released only within one.
int gaugesInSession = 0;

const gdip::GdiplusStartupInput& startupInput() {
    // Filled once, at the first construction in the module.
    static const gdip::GdiplusStartupInput input{1, nullptr, 0, 0};
    return input;
}

}  // namespace

RadarGauge::RegisteredVariables RadarGauge::registeredVariables_;

RadarGauge::RadarGauge(const PanelCalls& panel, const GaugeParts& parts) : panel_(panel), parts_(parts) {
    scheme_.backgroundColour = 0xff000000u;
    for (PlotPosition& position : plotPositions_) position = PlotPosition{0.0f, 0.0f};
    startGdiPlusSession();

    deviceContext_ = nullptr;
    graphics_ = nullptr;
    schemeCreated_ = 0;
    displayMode_ = kFullCircleView;
    selectedDrawn_ = 0;
    selectedIndex_ = kNoSelection;
    selectedAtcId_[0] = '\0';
    rangeNm_ = kDefaultRangeNm;

    trafficList_ = new (std::nothrow) TrafficList(panel_);
    if (trafficList_ != nullptr) trafficList_->setRange(rangeNm_);

    modeVarId_ = 0;
    rangeVarId_ = 0;
    ++liveGaugeCount;
}

RadarGauge::~RadarGauge() {
    withdrawPublishing();
    if (liveGaugeCount == 1) withdrawAlerts();
    delete advisories_;
    advisories_ = nullptr;
    delete trails_;
    trails_ = nullptr;
    graphics_ = nullptr;  // one of the cache's objects, deleted with it
    surfaceCache_.releaseAll();
    drawingMemory().releaseOwner(this);
    scheme_.release();
    delete trafficList_;
    trafficList_ = nullptr;
    --liveGaugeCount;
    // Only a gauge holding a session may release what belongs to no gauge.
    if (gdiplusToken_ != 0 && --gaugesInSession == 0) {
        drawingMemory().releaseTextAtlases();
        drawingMemory().releaseCrossAtlases();
        drawingMemory().releaseBlockTexts();
        drawingMemory().releaseFrameBuffers();
        render::releaseSharedGdiObjects();
    }
    render::shutdownGdiPlus(gdiplusToken_);
}

int RadarGauge::liveGauges() { return liveGaugeCount; }

// The base gauge draws in green; the amber variants make their own scheme.
void RadarGauge::createScheme() { render::createScheme(scheme_, render::kGreenColours, dimmingStep()); }

// Percent, cut down to its tenth: 0 to 9; below 0 none, above 90 the most.
int RadarGauge::dimmingStep() const {
    const int32_t percent = options_.dimming;
    if (percent <= 0) return 0;
    if (percent >= 90) return render::kDimmingSteps - 1;
    return percent / 10;
}

// GDI+ may refuse a session (out of memory): the gauge then draws nothing
// and asks again at its later frames.
bool RadarGauge::startGdiPlusSession() {
    render::startGdiPlus(gdiplusToken_, startupInput());
    if (gdiplusToken_ == 0) {
        sessionRetry_.failed();
        return false;
    }
    sessionRetry_.succeeded();
    ++gaugesInSession;
    return true;
}

void RadarGauge::update() {
    if (trafficList_ != nullptr) trafficList_->tickUpdate();
    syncVariables();
}

}  // namespace quillon
