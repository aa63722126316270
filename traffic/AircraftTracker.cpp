#include "traffic/AircraftTracker.h"

#include <cstring>

namespace quillon {
namespace {

uint32_t identifierHash(const char* text) {
    uint32_t hash = 2166136261u;  // FNV-1a
    for (; *text != 0; ++text) hash = (hash ^ static_cast<unsigned char>(*text)) * 16777619u;
    return hash;
}

void copyIdentifier(const char* text, char* field) {
    size_t length = 0;
    for (; length + 1 < TrafficTarget::kAtcIdCapacity && text[length] != 0; ++length) field[length] = text[length];
    field[length] = 0;
}

}  // namespace

bool plausibleMove(double movedNm, double seconds) {
    const double allowance = seconds > kShortestMoveInterval ? seconds : kShortestMoveInterval;
    return movedNm <= kFastestAircraftNmPerSecond * allowance;  // NaN is not plausible
}

AircraftTracker::AircraftTracker() { forget(); }

void AircraftTracker::forget() {
    std::memset(refreshes_, 0, sizeof refreshes_);
    count_ = 0;
}

void AircraftTracker::advance(const TrafficTarget* targets, int first, int count) {
    if (first < 0) first = 0;
    if (count > kSlots) count = kSlots;
    if (targets == nullptr || first > count) count = first;
    latest_ ^= 1;
    indexLatest(targets, first, count);
    count_ = count;
}

// An identifier that two aircraft share in one refresh (or none) keys neither.
void AircraftTracker::indexLatest(const TrafficTarget* targets, int first, int count) {
    Refresh& refresh = refreshes_[latest_];
    std::memset(refresh.index, 0, sizeof refresh.index);
    std::memset(refresh.keyed, 0, sizeof refresh.keyed);
    for (int slot = first; slot < count; ++slot) {
        char* atcId = refresh.atcIds[slot];
        copyIdentifier(targets[slot].atcId(), atcId);
        refresh.keyed[slot] = atcId[0] != 0;
        if (!refresh.keyed[slot]) continue;
        for (uint32_t probe = identifierHash(atcId);; ++probe) {
            int16_t& entry = refresh.index[probe & (kIndexSize - 1)];
            if (entry == 0) {
                entry = static_cast<int16_t>(slot + 1);
                break;
            }
            if (std::strcmp(refresh.atcIds[entry - 1], atcId) == 0) {
                refresh.keyed[entry - 1] = false;
                refresh.keyed[slot] = false;
                break;
            }
        }
    }
}

int AircraftTracker::keyedSlotOf(const Refresh& refresh, const char* atcId) {
    for (uint32_t probe = identifierHash(atcId);; ++probe) {
        const int16_t entry = refresh.index[probe & (kIndexSize - 1)];
        if (entry == 0) return -1;
        if (std::strcmp(refresh.atcIds[entry - 1], atcId) == 0) return refresh.keyed[entry - 1] ? entry - 1 : -1;
    }
}

int AircraftTracker::previousSlotOf(int slot) const {
    const Refresh& latest = refreshes_[latest_];
    if (slot < 0 || slot >= count_ || !latest.keyed[slot]) return -1;
    return keyedSlotOf(refreshes_[latest_ ^ 1], latest.atcIds[slot]);
}

}  // namespace quillon
