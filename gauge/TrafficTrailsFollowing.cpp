// The trails as the gauge runs them: while "Radar Trails" is 1 the gauge
// keeps where each aircraft has been, fed after each refresh of its list,
// and forgets it at a new range.
#include <new>

#include "gauge/RadarGauge.h"

namespace quillon {

void RadarGauge::followTrailsSetting() {
    if (options_.trails == 1) {
        // Made once, when first asked for: a panel without trails never pays its memory.
        if (trails_ == nullptr) {
            trails_ = new (std::nothrow) TrafficTrails();
            trailsRangeNm_ = rangeNm_;
        }
        return;
    }
    // Its memory goes back, and the positions with it: what the aircraft did
    // while trails were off is not known.
    delete trails_;
    trails_ = nullptr;
}

void RadarGauge::followTrails(double clock) {
    if (!trailsOn() || trafficList_ == nullptr) return;
    // Dots kept at another range would show positions the picture never had.
    if (rangeNm_ != trailsRangeNm_) {
        trails_->clear();
        trailsRangeNm_ = rangeNm_;
    }
    trails_->update(*trafficList_, clock);
    if (scheme_.complete()) render::createTrailBrushes(scheme_);
}

}  // namespace quillon
