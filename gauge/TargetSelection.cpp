#include <cmath>
#include <cstring>

#include "gauge/RadarGauge.h"

namespace quillon {
namespace {

constexpr float kHitTolerance = 20.0f;  // half side of the open square around a plotted target

// The own-ship centre of the view, the origin of its plot positions.
bool viewCentre(int32_t displayMode, CentrePoint& centre) {
    switch (displayMode) {
        case kFullCircleView:
        case kGridView: centre = CentrePoint{500.0f, 500.0f}; return true;
        case kForwardArcView: centre = CentrePoint{500.0f, 975.0f}; return true;
        default: return false;
    }
}

}  // namespace

void RadarGauge::onClick(const LogicalPoint* point) {
    CentrePoint centre{};
    if (point == nullptr || !viewCentre(displayMode_, centre)) return;  // no view, no selection change
    selectTargetAt(point, &centre);
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
        const PlotPosition& plotted = plotPositions_[i];
        if (!(std::fabs(dx - plotted.x) < kHitTolerance && std::fabs(dy - plotted.y) < kHitTolerance)) continue;
        const TrafficTarget* target = trafficList_->item(static_cast<int>(i));
        if (target == nullptr || target->atcId()[0] == '\0') continue;  // nothing to find it again by
        selectedIndex_ = static_cast<int32_t>(i);
        std::strncpy(selectedAtcId_, target->atcId(), kAtcIdCapacity - 1);
        selectedAtcId_[kAtcIdCapacity - 1] = '\0';
        return;
    }
}

}  // namespace quillon
