#include "traffic/TrafficList.h"

namespace quillon {

// Placeholders until the traffic pieces are built.
TrafficList::TrafficList() {}
void TrafficList::setRange(float rangeNm) { queryRangeNm_ = rangeNm; }
void TrafficList::tickUpdate() { count_ = extraCount_ + queryCount_; }
void TrafficList::refresh() {}
void TrafficList::readTarget(int, host::ObjectId) {}
TrafficTarget* TrafficList::item(int index) { return index >= 0 && index < kSlots ? &targets_[index] : nullptr; }
const TrafficTarget* TrafficList::item(int index) const {
    return index >= 0 && index < kSlots ? &targets_[index] : nullptr;
}
int32_t TrafficList::limitedMode() const { return 0; }

}  // namespace quillon
