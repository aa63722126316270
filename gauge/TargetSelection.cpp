#include <cmath>
#include <cstring>

#include "gauge/RadarGauge.h"

namespace quillon {
namespace {

constexpr double kHitTolerance = 20.0;  // half side of the open square around a plotted target

// Inside the open square around the plotted point. The differences are taken
// in double, where two floats subtract exactly: in float, 10 + 9.999999 would
// round up to 20 and miss a target that lies inside.
bool withinTolerance(float dx, float dy, const PlotPosition& plotted) {
    return std::fabs(static_cast<double>(dx) - plotted.x) < kHitTolerance &&
           std::fabs(static_cast<double>(dy) - plotted.y) < kHitTolerance;
}

}  // namespace

void RadarGauge::onClick(const LogicalPoint* point) {
    const RadarView* view = viewOf(displayMode_);
    if (point == nullptr || view == nullptr) return;  // no view, no selection change
    // The own-ship centre of the view, the origin of its plot positions.
    const ViewOrigin origin = view->origin();
    const CentrePoint centre{origin.x, origin.y};
    selectTargetAt(point, &centre);
    if (selectedIndex_ != kNoSelection) {
        takeOverPublishing();  // the latest selection is the panel's
    } else {
        selectedDrawn_ = 0;  // cleared: the panel hears it now, not at the next frame
        publishSelection();
    }
}

void RadarGauge::selectTargetAt(const LogicalPoint* click, const CentrePoint* centre) {
    const float dx = static_cast<float>(click->x) - centre->x;
    const float dy = static_cast<float>(click->y) - centre->y;

    selectedAtcId_[0] = '\0';
    selectedIndex_ = kNoSelection;
    if (trafficList_ == nullptr) return;

    // In full mode the first object is the user's own aircraft.
    const uint32_t first = trafficList_->limitedMode() != 0 ? 0 : 1;
    for (uint32_t i = first; i < trafficList_->count() && i < static_cast<uint32_t>(TrafficList::kSlots); ++i) {
        // Only what the last frame of this view drew can be clicked: a point
        // left from another view, the sector's edge or the filter is stale.
        if (!targetShown(static_cast<int>(i)) || !withinTolerance(dx, dy, plotPositions_[i])) continue;
        const TrafficTarget* target = trafficList_->item(static_cast<int>(i));
        if (target == nullptr || target->atcId()[0] == '\0') continue;  // nothing to find it again by
        selectedIndex_ = static_cast<int32_t>(i);
        std::strncpy(selectedAtcId_, target->atcId(), kAtcIdCapacity - 1);
        selectedAtcId_[kAtcIdCapacity - 1] = '\0';
        return;
    }
}

}  // namespace quillon
