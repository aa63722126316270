// Follows the list's aircraft from one refresh to the next by their ATC
// identifiers: the list puts them in whatever slots the host's order gives,
// so what is kept of an aircraft between refreshes (the advisories' rates,
// the trails' positions) is found again through its identifier. Kept in
// fixed arrays, one entry per slot of each of the last two refreshes.
#pragma once

#include <cstdint>

#include "traffic/TrafficList.h"
#include "traffic/TrafficTarget.h"

namespace quillon {

// Faster than any aircraft moves or closes on another: an identifier whose
// aircraft moved further than this between refreshes now names another
// aircraft, or an aircraft was moved (slewed, flight reset), and what was
// kept of it no longer holds.
constexpr double kFastestAircraftNmPerSecond = 4000.0 / 3600.0;
// Movements are judged over at least this much host clock: a refresh forced
// early (a range change) would otherwise divide the host's position noise
// by a few hundredths of a second.
constexpr double kShortestMoveInterval = 0.5;

// Whether an aircraft can have moved this far in this many seconds of clock.
bool plausibleMove(double movedNm, double seconds);

class AircraftTracker {
public:
    static constexpr int kSlots = TrafficList::kSlots;

    AircraftTracker();
    AircraftTracker(const AircraftTracker&) = delete;
    AircraftTracker& operator=(const AircraftTracker&) = delete;

    // The identifiers of the targets in slots first to count - 1 of a new
    // refresh; the latest refresh becomes the previous one.
    void advance(const TrafficTarget* targets, int first, int count);
    // The slot the aircraft in `slot` of the latest refresh had at the one
    // before; -1 when it was not seen then, or when its identifier was empty
    // or shared by two aircraft in either refresh (what was kept would mix
    // two aircraft).
    int previousSlotOf(int slot) const;
    // Forgets both refreshes, as on a new flight.
    void forget();

private:
    static constexpr int kIndexSize = 1024;  // a power of two, near twice the slots

    struct Refresh {
        char atcIds[kSlots][TrafficTarget::kAtcIdCapacity];
        bool keyed[kSlots];          // an identifier of its own in this refresh
        int16_t index[kIndexSize];  // slot + 1 by identifier hash; 0 empty
    };

    void indexLatest(const TrafficTarget* targets, int first, int count);
    // The keyed slot of the refresh with the identifier; -1 when none.
    static int keyedSlotOf(const Refresh& refresh, const char* atcId);

    Refresh refreshes_[2];
    int latest_ = 0;
    int count_ = 0;  // slots indexed in the latest refresh
};

}  // namespace quillon
