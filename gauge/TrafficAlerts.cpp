// The traffic advisories as the gauge runs them: while "Radar Alerts" is 1,
// the traffic list looks far enough for the advisories whatever the range,
// the aircraft are classified after each refresh, and the most urgent
// advisory is published to the panel once per clock value.
#include <cmath>
#include <new>

#include "gauge/RadarGauge.h"
#include "render/VoiceCall.h"

namespace quillon {
namespace {

// Far enough for the earliest advisory: 48 s at a closing speed of 1,200 kt
// is 16 NM, plus the protected distance.
constexpr float kAlertQueryRangeNm = 20.0f;

enum AlertVariable { kLevel, kCount, kClock, kRelativeAltitude, kDistance, kClosestTime, kClosestDistance };

// Module-wide, as the panel has one set of variables: the clock value last
// published (one writer per clock value, whichever gauge comes first), and
// the level last written, so that turning alerts off writes 0 once.
double publishedClock = NAN;
int32_t publishedLevel = 0;
// The clock at which the voice last sounded: every radar of the panel sees
// a new advisory within a refresh of the others, and it is heard once.
double voicedClock = NAN;
// About the voice's length.
constexpr double kVoiceSeconds = 2.0;

bool sameClock(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

float RadarGauge::queryRangeNm() const {
    const float shown = shownRangeNm();
    if (options_.alerts != 1 || !(shown < kAlertQueryRangeNm)) return shown;
    return kAlertQueryRangeNm;
}

void RadarGauge::followAlertsSetting() {
    if (options_.alerts == 1) {
        // Made once, when first asked for: a panel without alerts never pays its memory.
        if (advisories_ == nullptr) advisories_ = new (std::nothrow) TrafficAdvisories();
    } else {
        withdrawAlerts();
        // Its memory goes back, and its tracks with it: rates measured
        // across the time alerts were off would mean nothing.
        delete advisories_;
        advisories_ = nullptr;
    }
    if (trafficList_ != nullptr) trafficList_->setRange(queryRangeNm());
}

void RadarGauge::classifyTraffic(double clock) {
    if (!alertsOn() || trafficList_ == nullptr) return;
    if (advisories_->update(panel_, *trafficList_, clock) && advisories_->newAdvisories() > 0) announceAdvisory(clock);
    publishAlerts(clock);
}

// "Traffic, traffic" once at a new advisory, unless the panel muted it. The
// call returns at once; a host without sound refuses it and that is all.
void RadarGauge::announceAdvisory(double clock) {
    if (options_.alertMute == 1) return;
    if (clock >= voicedClock && clock - voicedClock < kVoiceSeconds) return;  // another radar's voice is on
    voicedClock = clock;
    render::playVoiceResource(render::kTrafficVoiceResource);
}

void RadarGauge::publishAlerts(double clock) {
    if (sameClock(clock, publishedClock) || registeredVariables_.registered == 0) return;
    publishedClock = clock;
    const AdvisorySummary& summary = advisories_->summary();
    const int32_t* ids = registeredVariables_.alertVarIds;
    panel_.setNamedVariableValue(ids[kLevel], summary.level);
    panel_.setNamedVariableValue(ids[kCount], summary.count);
    panel_.setNamedVariableValue(ids[kClock], summary.clock);
    panel_.setNamedVariableValue(ids[kRelativeAltitude], summary.relativeAltitudeFeet);
    panel_.setNamedVariableValue(ids[kDistance], summary.distanceNm);
    panel_.setNamedVariableValue(ids[kClosestTime], summary.closestTimeSeconds);
    panel_.setNamedVariableValue(ids[kClosestDistance], summary.closestDistanceNm);
    publishedLevel = summary.level;
}

// Alerts off, or the last gauge gone: the panel hears "no alert" once.
void RadarGauge::withdrawAlerts() {
    publishedClock = NAN;
    if (publishedLevel == 0 || registeredVariables_.registered == 0) return;
    panel_.setNamedVariableValue(registeredVariables_.alertVarIds[kLevel], 0.0);
    publishedLevel = 0;
}

}  // namespace quillon
