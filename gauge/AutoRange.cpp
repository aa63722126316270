// The auto range: while "Radar Auto Range" is 1 and alerts are on, a view
// whose range would leave an advisory off-scale shows the smallest range,
// doubling from the pilot's up to 320 NM, at which every advisory is inside
// the picture; ten seconds of clock after none needs it, the pilot's range
// comes back. "Radar Range" is never written: the pilot's knob and the
// other gauges keep their value. The range decided in one frame is the one
// the next frame draws, backdrop and targets alike.
#include <cmath>

#include "gauge/RadarGauge.h"
#include "render/SharedGdiObjects.h"
#include "traffic/OwnShip.h"
#include "traffic/TrafficAdvisories.h"

namespace quillon {
namespace {

constexpr float kLargestAutoRangeNm = 320.0f;
constexpr double kAutoRangeHoldSeconds = 10.0;

}  // namespace

float RadarGauge::rangeShowingAdvisories() const {
    float range = rangeNm_;
    const Position own = ownPosition(panel_);
    const int first = trafficList_->limitedMode() != 0 ? 0 : 1;
    for (int index = first; index < static_cast<int>(trafficList_->count()); ++index) {
        const TrafficTarget* target = trafficList_->item(index);
        if (target == nullptr || advisories_->classOf(index) != AdvisoryClass::kTrafficAdvisory) continue;
        float distanceNm = 0.0f;
        float reversedBearing = 0.0f;
        greatCircle(own, target->position(), distanceNm, reversedBearing);
        // A distance that is not a number needs no range.
        while (distanceNm > range && range < kLargestAutoRangeNm)
            range = range * 2.0f < kLargestAutoRangeNm ? range * 2.0f : kLargestAutoRangeNm;
    }
    return range;
}

void RadarGauge::followAutoRange(double clock) {
    const float before = shownRangeNm();
    if (options_.autoRange != 1 || !alertsOn() || trafficList_ == nullptr || !std::isfinite(clock)) {
        autoRangeNm_ = 0.0f;
    } else {
        const float needed = rangeShowingAdvisories();
        // A clock set back (a flight reloaded) holds from there.
        if (clock < autoRangeNeededAt_) autoRangeNeededAt_ = clock;
        if (needed > rangeNm_) {
            autoRangeNm_ = needed;
            autoRangeNeededAt_ = clock;
        } else if (autoRangeNm_ != 0.0f && !(clock - autoRangeNeededAt_ < kAutoRangeHoldSeconds)) {
            autoRangeNm_ = 0.0f;
        }
    }
    // The list looks as far as the picture shows, from its next refresh.
    if (shownRangeNm() != before && trafficList_ != nullptr) trafficList_->setRange(queryRangeNm());
}

void RadarGauge::drawAutoRangeMark() {
    if (graphics_ == nullptr || !scheme_.smallFont || !scheme_.brightBrush) return;
    render::StringFormat& format = render::sharedStringFormat(render::SharedFormat::AltitudeTag);
    format.setAlignment(gdip::kStringAlignmentNear);
    format.setLineAlignment(gdip::kStringAlignmentNear);
    graphics_->drawText(kAutoRangeMark, -1, *scheme_.smallFont, kAutoRangeMarkX, kAutoRangeMarkY, &format,
                        scheme_.brightBrush.get());
}

}  // namespace quillon
