// Test access to a RadarGauge's inner state: what the views would have
// plotted, the surfaces it keeps, and the module-wide registration of the
// named variables (reset between tests that each bring their own panel).
#pragma once

#include <cstring>

#include "gauge/RadarGauge.h"

namespace quillon {

struct RadarGaugeProbe {
    explicit RadarGaugeProbe(RadarGauge& gauge) : gauge(gauge) {}

    // As the current view would have drawn the target in its last frame.
    void setPlotPosition(int index, float x, float y) {
        gauge.plotPositions_[index] = PlotPosition{x, y};
        gauge.shownTargets_[index] = 1;
        gauge.shownMode_ = gauge.displayMode_;
    }
    void setDisplayMode(int32_t mode) { gauge.displayMode_ = mode; }
    void setRangeNm(float range) { gauge.rangeNm_ = range; }
    void select(int32_t index, const char* atcId) {
        gauge.selectedIndex_ = index;
        std::strncpy(gauge.selectedAtcId_, atcId, kAtcIdCapacity - 1);
        gauge.selectedAtcId_[kAtcIdCapacity - 1] = '\0';
    }
    TrafficList& trafficList() { return *gauge.trafficList_; }

    render::Graphics* graphics() const { return gauge.graphics_; }
    host::DeviceContext deviceContext() const { return gauge.deviceContext_; }
    host::ImageElement* drawingElement() const { return gauge.drawingElement_; }
    int32_t surfaceWidth() const { return gauge.surfaceWidth_; }
    int32_t surfaceHeight() const { return gauge.surfaceHeight_; }
    float scaleX() const { return gauge.scaleX_; }
    float scaleY() const { return gauge.scaleY_; }
    uint32_t backgroundColour() const { return gauge.scheme_.backgroundColour; }
    int32_t modeVarId() const { return gauge.modeVarId_; }
    int32_t rangeVarId() const { return gauge.rangeVarId_; }
    int32_t targetVarId(int i) const { return gauge.targetVarIds_[i]; }
    void applyRenderingQuality() { gauge.applyRenderingQuality(); }

    // Makes the next syncVariables in the module register afresh, as after a
    // module load.
    static void forgetNamedVariableRegistration() { RadarGauge::registeredVariables_ = {}; }

    RadarGauge& gauge;
};

}  // namespace quillon
