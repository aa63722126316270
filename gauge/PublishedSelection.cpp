// The selected aircraft shared with the rest of the panel through the eight
// "Radar Target ..." variables. Only the gauge whose selection was made most
// recently writes them, so two radars on one panel never take turns.
#include <cstdint>

#include "gauge/RadarGauge.h"
#include "numeric/SaturatingConversion.h"

namespace quillon {
namespace {

enum TargetVariable {
    kSelected, kLatitude, kLongitude, kAltitude, kDistance, kSpeed, kVerticalSpeed, kSource,
};
constexpr double kSourceFullTraffic = 1.0;
constexpr double kSourceLimitedTraffic = 2.0;

// The gauge that publishes, and whether it last wrote "Selected" as 1.
RadarGauge* publisher = nullptr;
bool publishedSelected = false;

// The altitude as the data block shows it: whole hundreds toward zero.
double blockAltitudeFeet(double altitudeFeet) {
    return static_cast<double>(static_cast<int64_t>(truncateToInt32(altitudeFeet * 0.01)) * 100);
}

}  // namespace

void RadarGauge::takeOverPublishing() { publisher = this; }

void RadarGauge::publishSelection() {
    if (publisher != this || registeredVariables_.registered == 0) return;
    const int32_t* ids = registeredVariables_.targetVarIds;
    const TrafficTarget* target =
        selectedDrawn_ != 0 && trafficList_ != nullptr ? trafficList_->item(selectedIndex_) : nullptr;
    if (target == nullptr) {
        // The other seven keep their last values.
        if (publishedSelected) panel_.setNamedVariableValue(ids[kSelected], 0.0);
        publishedSelected = false;
        return;
    }
    const bool limited = trafficList_->limitedMode() != 0;
    panel_.setNamedVariableValue(ids[kSelected], 1.0);
    panel_.setNamedVariableValue(ids[kLatitude], target->position().latitude);
    panel_.setNamedVariableValue(ids[kLongitude], target->position().longitude);
    panel_.setNamedVariableValue(ids[kAltitude], blockAltitudeFeet(target->position().altitude));
    panel_.setNamedVariableValue(ids[kDistance], static_cast<double>(selectedDistanceNm_));
    // Limited traffic has no ground speed, only a placeholder.
    panel_.setNamedVariableValue(ids[kSpeed], limited ? 0.0 : target->groundSpeed());
    panel_.setNamedVariableValue(ids[kVerticalSpeed], target->verticalSpeed());
    panel_.setNamedVariableValue(ids[kSource], limited ? kSourceLimitedTraffic : kSourceFullTraffic);
    publishedSelected = true;
}

void RadarGauge::withdrawPublishing() {
    if (publisher != this) return;
    if (publishedSelected && registeredVariables_.registered != 0)
        panel_.setNamedVariableValue(registeredVariables_.targetVarIds[kSelected], 0.0);
    publishedSelected = false;
    publisher = nullptr;
}

}  // namespace quillon
