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
constexpr const char* kAlertsName = "Radar Alerts";
// Written by the module while alerts are on.
constexpr const char* kAlertVariableNames[kAlertVariableCount] = {
    "Radar Alert Level",    "Radar Alert Count",        "Radar Alert Clock",           "Radar Alert Relative Altitude",
    "Radar Alert Distance", "Radar Alert Closest Time", "Radar Alert Closest Distance",
};
// Registered after those, never given a value either.
constexpr const char* kAlertMuteName = "Radar Alert Mute";
constexpr const char* kAutoRangeName = "Radar Auto Range";
constexpr const char* kTrailsName = "Radar Trails";
constexpr const char* kDimmingName = "Radar Dimming";
constexpr double kMinimumRangeNm = 5.0;

// A setting read like the mode: fraction cut off, saturating; a value that
// is not finite keeps the previous setting.
void readSetting(const PanelCalls& panel, int32_t variableId, int32_t& setting) {
    const double value = panel.namedVariableValue(variableId);
    if (std::isfinite(value)) setting = truncateToInt32(value);
}

// A host whose variable table cannot take a name answers the invalid id
// (negative); it is asked again at the next sync, as the gauge cannot follow
// the panel without the id. True when the id has just become good.
bool registeredAfterRefusal(const PanelCalls& panel, int32_t& id, const char* name) {
    if (id >= 0) return false;
    id = panel.registerNamedVariable(name);
    return id >= 0;
}

// The default that a first registration writes, written late: unless the
// panel has set the variable meanwhile (nobody has while it reads 0).
void publishLateDefault(const PanelCalls& panel, int32_t id, double value) {
    if (panel.namedVariableValue(id) == 0.0) panel.setNamedVariableValue(id, value);
}

}  // namespace

void RadarGauge::syncVariables() {
    if (registeredVariables_.registered == 0) {
        registerVariables();
        return;  // the first call only registers and publishes the defaults
    }
    RegisteredVariables& ids = registeredVariables_;
    if (registeredAfterRefusal(panel_, ids.modeVarId, kModeName))
        publishLateDefault(panel_, ids.modeVarId, displayMode_);
    if (registeredAfterRefusal(panel_, ids.rangeVarId, kRangeName))
        publishLateDefault(panel_, ids.rangeVarId, rangeNm_);
    for (int i = 0; i < kTargetVariableCount; ++i)
        registeredAfterRefusal(panel_, ids.targetVarIds[i], kTargetVariableNames[i]);
    registeredAfterRefusal(panel_, ids.tagsVarId, kTagsName);
    registeredAfterRefusal(panel_, ids.filterVarId, kFilterName);
    registeredAfterRefusal(panel_, ids.alertsVarId, kAlertsName);
    for (int i = 0; i < kAlertVariableCount; ++i)
        registeredAfterRefusal(panel_, ids.alertVarIds[i], kAlertVariableNames[i]);
    registeredAfterRefusal(panel_, ids.alertMuteVarId, kAlertMuteName);
    registeredAfterRefusal(panel_, ids.autoRangeVarId, kAutoRangeName);
    registeredAfterRefusal(panel_, ids.trailsVarId, kTrailsName);
    registeredAfterRefusal(panel_, ids.dimmingVarId, kDimmingName);
    adoptRegisteredIds();
    readRange();
    readMode();
    readPilotOptions();
    followAlertsSetting();
    followTrailsSetting();
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
    ids.alertsVarId = panel_.registerNamedVariable(kAlertsName);
    for (int i = 0; i < kAlertVariableCount; ++i) ids.alertVarIds[i] = panel_.registerNamedVariable(kAlertVariableNames[i]);
    ids.alertMuteVarId = panel_.registerNamedVariable(kAlertMuteName);
    ids.autoRangeVarId = panel_.registerNamedVariable(kAutoRangeName);
    ids.trailsVarId = panel_.registerNamedVariable(kTrailsName);
    ids.dimmingVarId = panel_.registerNamedVariable(kDimmingName);
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
    if (trafficList_ != nullptr) trafficList_->setRange(queryRangeNm());
}

void RadarGauge::readMode() {
    const int32_t mode = truncateToInt32(panel_.namedVariableValue(modeVarId_));
    if (mode != 0) displayMode_ = mode;
}

void RadarGauge::readPilotOptions() {
    readSetting(panel_, tagsVarId_, options_.altitudeTags);
    readSetting(panel_, filterVarId_, options_.filter);
    readSetting(panel_, registeredVariables_.alertsVarId, options_.alerts);
    readSetting(panel_, registeredVariables_.alertMuteVarId, options_.alertMute);
    readSetting(panel_, registeredVariables_.autoRangeVarId, options_.autoRange);
    readSetting(panel_, registeredVariables_.trailsVarId, options_.trails);
    readSetting(panel_, registeredVariables_.dimmingVarId, options_.dimming);
}

}  // namespace quillon
