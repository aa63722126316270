#include "traffic/TrafficTrails.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "traffic/OwnShip.h"

namespace quillon {
namespace {

bool finitePlace(const Position& position) {
    return std::isfinite(position.latitude) && std::isfinite(position.longitude) &&
           std::fabs(position.latitude) <= 90.0 && std::fabs(position.longitude) <= 360.0;
}

Position placeOf(const TrailPoint& point) { return Position{point.latitude, point.longitude, 0.0}; }

double nauticalMilesBetween(const TrailPoint& from, const Position& to) {
    float distanceNm = 0.0f;
    float reversedBearing = 0.0f;
    greatCircle(placeOf(from), to, distanceNm, reversedBearing);
    return distanceNm;
}

}  // namespace

TrafficTrails::TrafficTrails() : lastClock_(std::numeric_limits<double>::quiet_NaN()) { clear(); }

void TrafficTrails::clear() {
    tracker_.forget();
    std::memset(trails_, 0, sizeof trails_);
    first_ = 0;
    count_ = 0;
}

bool TrafficTrails::update(const TrafficList& list, double clock) {
    const uint32_t refreshes = list.refreshCount();
    if (seenAnyRefresh_ && refreshes == seenRefreshes_) return false;
    seenAnyRefresh_ = true;
    seenRefreshes_ = refreshes;
    // item(0) is the start of the list's slot array.
    update(list.item(0), list.limitedMode() != 0 ? 0 : 1, static_cast<int>(list.count()), clock);
    return true;
}

void TrafficTrails::update(const TrafficTarget* targets, int first, int count, double clock) {
    if (first < 0) first = 0;
    if (count > kSlots) count = kSlots;
    if (targets == nullptr || first > count) count = first;
    // No time base, or a clock set back (a flight reloaded): nothing kept holds.
    if (!std::isfinite(clock) || clock < lastClock_) clear();
    const double sinceLast = clock - lastClock_;
    lastClock_ = std::isfinite(clock) ? clock : std::numeric_limits<double>::quiet_NaN();
    if (!std::isfinite(clock)) return;

    current_ ^= 1;
    tracker_.advance(targets, first, count);
    for (int slot = first; slot < count; ++slot) {
        const int previous = tracker_.previousSlotOf(slot);
        follow(trails_[current_][slot], previous >= 0 ? &trails_[current_ ^ 1][previous] : nullptr,
               targets[slot].position(), clock, sinceLast);
    }
    first_ = first;
    count_ = count;
}

// The aircraft's trail carried over from its previous slot, unless it has
// jumped (another aircraft under its identifier, or moved by the host); a
// position is added once the newest is the sample interval old.
void TrafficTrails::follow(Trail& trail, const Trail* previous, const Position& position, double clock,
                           double sinceLast) const {
    std::memset(&trail, 0, sizeof trail);
    if (!finitePlace(position)) return;
    if (previous != nullptr && previous->located &&
        plausibleMove(nauticalMilesBetween(previous->latest, position), sinceLast))
        trail = *previous;
    const TrailPoint here{static_cast<float>(position.latitude), static_cast<float>(position.longitude)};
    trail.located = true;
    trail.latest = here;
    if (trail.count > 0 && clock - trail.sampledAt < kSampleSeconds) return;
    std::memmove(&trail.points[1], &trail.points[0], sizeof(TrailPoint) * (kPositions - 1));
    trail.points[0] = here;
    if (trail.count < kPositions) ++trail.count;
    trail.sampledAt = clock;
}

int TrafficTrails::positionsOf(int slot, const TrailPoint*& newestFirst) const {
    if (slot < first_ || slot >= count_) return 0;
    const Trail& trail = trails_[current_][slot];
    newestFirst = trail.points;
    return trail.count;
}

}  // namespace quillon
