// Where each aircraft of the list has been: its last positions, one every
// few seconds of host clock, kept as places on the earth (so that a trail
// turns and slides with the own aircraft as the picture does). Aircraft are
// followed from one refresh to the next by the tracker, as the advisories
// follow them. Fed once per traffic refresh, as the advisories are; kept in
// fixed arrays, one trail per list slot of the last two refreshes (about
// 80 KB in all); nothing is allocated.
#pragma once

#include <cstdint>

#include "traffic/AircraftTracker.h"
#include "traffic/Position.h"
#include "traffic/TrafficList.h"
#include "traffic/TrafficTarget.h"

namespace quillon {

// A kept position, in degrees: float keeps a place to well under a metre.
struct TrailPoint {
    float latitude;
    float longitude;
};

class TrafficTrails {
public:
    static constexpr int kSlots = TrafficList::kSlots;
    static constexpr int kPositions = 6;
    static constexpr double kSampleSeconds = 4.0;

    TrafficTrails();
    TrafficTrails(const TrafficTrails&) = delete;
    TrafficTrails& operator=(const TrafficTrails&) = delete;

    // Follows the list's aircraft after a refresh of the list; false, and
    // nothing changed, when the list has not refreshed since the last call.
    // The clock is the host's in this frame.
    bool update(const TrafficList& list, double clock);
    // The same for the aircraft in slots first to count - 1 of an array.
    void update(const TrafficTarget* targets, int first, int count, double clock);
    // Forgets every trail (a new range: the old dots would mislead).
    void clear();

    // The kept positions of the aircraft in a list slot, newest first; 0
    // outside the slots of the last update.
    int positionsOf(int slot, const TrailPoint*& newestFirst) const;

private:
    struct Trail {
        TrailPoint points[kPositions];  // newest first
        int32_t count;
        bool located;       // `latest` holds a finite position seen at the last refresh
        TrailPoint latest;
        double sampledAt;   // clock of points[0]
    };

    void follow(Trail& trail, const Trail* previous, const Position& position, double clock, double sinceLast) const;

    Trail trails_[2][kSlots];
    AircraftTracker tracker_;
    int current_ = 0;
    int first_ = 0;
    int count_ = 0;
    double lastClock_;
    uint32_t seenRefreshes_ = 0;
    bool seenAnyRefresh_ = false;
};

}  // namespace quillon
