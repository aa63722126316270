#include <cfloat>
#include <cmath>

#include "gauge/RadarGauge.h"
#include "numeric/SaturatingConversion.h"

namespace quillon {
namespace {

constexpr const char* kModeName = "Radar Mode";
constexpr const char* kRangeName = "Radar Range";
constexpr const char* kTargetVariableNames[kTargetVariableCount] = {
    "Radar Target Selected", "Radar Target Latitude",  "Radar Target Longitude",      "Radar Target Altitude",
    "Radar Target Distance", "Radar Target Speed",     "Radar Target Vertical Speed", "Radar Target Source",
};
// Registered after the ten, never given a value: unset they read 0 (off).
constexpr const char* kTagsName = "Radar Altitude Tags";
constexpr const char* kFilterName = "Radar Filter";
constexpr double kMinimumRangeNm = 5.0;

// A setting read like the mode: fraction cut off, saturating; a value that
// is not finite keeps the previous setting.
void readSetting(const PanelCalls& panel, int32_t variableId, int32_t& setting) {
    const double value = panel.namedVariableValue(variableId);
    if (std::isfinite(value)) setting = truncateToInt32(value);
}

}  // namespace

void RadarGauge::syncVariables() {
    if (registeredVariables_.registered == 0) {
        registerVariables();
        return;  // the first call only registers and publishes the defaults
    }
    adoptRegisteredIds();
    readRange();
    readMode();
    readPilotOptions();
}

void RadarGauge::registerVariables() {
    RegisteredVariables& ids = registeredVariables_;
    ids.modeVarId = panel_.registerNamedVariable(kModeName);
    panel_.setNamedVariableValue(ids.modeVarId, static_cast<double>(displayMode_));
    ids.rangeVarId = panel_.registerNamedVariable(kRangeName);
    panel_.setNamedVariableValue(ids.rangeVarId, static_cast<double>(rangeNm_));
    for (int i = 0; i < kTargetVariableCount; ++i) ids.targetVarIds[i] = panel_.registerNamedVariable(kTargetVariableNames[i]);
    ids.tagsVarId = panel_.registerNamedVariable(kTagsName);
    ids.filterVarId = panel_.registerNamedVariable(kFilterName);
    ids.registered = 1;
    adoptRegisteredIds();
}

void RadarGauge::adoptRegisteredIds() {
    modeVarId_ = registeredVariables_.modeVarId;
    rangeVarId_ = registeredVariables_.rangeVarId;
    for (int i = 0; i < kTargetVariableCount; ++i) targetVarIds_[i] = registeredVariables_.targetVarIds[i];
    tagsVarId_ = registeredVariables_.tagsVarId;
    filterVarId_ = registeredVariables_.filterVarId;
}

void RadarGauge::readRange() {
    const double range = panel_.namedVariableValue(rangeVarId_);
    // Below the minimum, NaN and infinity leave the range as it is.
    if (!std::isfinite(range) || !(range >= kMinimumRangeNm)) return;
    // No upper bound, but a value past float's range saturates rather than overflow.
    rangeNm_ = range > FLT_MAX ? FLT_MAX : static_cast<float>(range);
    if (trafficList_ != nullptr) trafficList_->setRange(rangeNm_);
}

void RadarGauge::readMode() {
    const int32_t mode = truncateToInt32(panel_.namedVariableValue(modeVarId_));
    if (mode != 0) displayMode_ = mode;
}

void RadarGauge::readPilotOptions() {
    readSetting(panel_, tagsVarId_, options_.altitudeTags);
    readSetting(panel_, filterVarId_, options_.filter);
}

}  // namespace quillon
