// Traffic advisories: which aircraft threaten the own one, by the range and
// vertical tests of airborne collision avoidance, and the most urgent of
// them for the panel.
//
// Fed once per traffic refresh: the list's positions only change when it
// refreshes, so a call between refreshes would see every aircraft standing
// still. update() compares the list's refresh count with the one it saw last
// and does nothing when the list has not refreshed since, so it may also be
// called every frame, after the list's tick (which brings its count up to
// date). One instance follows one list: each list refreshes on its own
// clock. Everything is kept in fixed arrays, one entry per list slot (about
// 190 KB in all); nothing is allocated.
//
// Rates come from successive refreshes: the position and altitude of an
// aircraft relative to the own one, matched by ATC identifier, divided by
// the host clock between the two refreshes. That works alike in full and
// limited mode (which reports no speeds), and it follows the ground track
// where the reported heading is only where the nose points. An aircraft seen
// once has no rate yet and is proximate at most.
#pragma once

#include <cstdint>

#include "traffic/AircraftTracker.h"
#include "traffic/Position.h"
#include "traffic/TrafficList.h"
#include "traffic/TrafficTarget.h"

namespace quillon {

enum class AdvisoryClass : uint8_t { kNone = 0, kProximate = 1, kTrafficAdvisory = 2 };

// The own aircraft at a refresh.
struct OwnAircraft {
    Position position;  // degrees; altitude in feet
    double headingDeg;  // true
    double heightAboveGroundFeet;
};

// What the panel is told: the highest class present, the number of
// advisories and, for the most urgent one, where it is and how close it
// will come. Zero where there is no advisory.
struct AdvisorySummary {
    int32_t level = 0;  // 0 none, 1 proximate traffic, 2 traffic advisory
    int32_t count = 0;  // traffic advisories
    int32_t slot = -1;  // list slot of the most urgent advisory
    int32_t clock = 0;  // 1 to 12 from the own nose; 0 while the own heading is unknown
    double relativeAltitudeFeet = 0.0;  // whole hundreds, halves toward zero
    double distanceNm = 0.0;
    double closestTimeSeconds = 0.0;  // 0 once the closest approach is past
    double closestDistanceNm = 0.0;   // horizontal miss distance
};

// The thresholds of one sensitivity level.
struct SensitivityLevel {
    int32_t level;  // 0: no advisories at all
    double tauSeconds;
    double dmodNm;
    double zthrFeet;
};

// The level for the own height above ground and altitude: height above
// ground picks the levels below 2,350 ft, the altitude those above.
SensitivityLevel sensitivityLevelFor(double heightAboveGroundFeet, double altitudeFeet);

// The own aircraft from the host's module variables; in full mode the list's
// first object is the own aircraft and gives the height above ground, in
// limited mode the own altitude stands for it, as it does for the targets.
OwnAircraft readOwnAircraft(const PanelCalls& panel, const TrafficList& list);

class TrafficAdvisories {
public:
    static constexpr int kSlots = TrafficList::kSlots;
    static constexpr double kHoldSeconds = 4.0;
    static constexpr double kProximateRangeNm = 6.0;
    static constexpr double kProximateHeightFeet = 1200.0;

    TrafficAdvisories();
    TrafficAdvisories(const TrafficAdvisories&) = delete;
    TrafficAdvisories& operator=(const TrafficAdvisories&) = delete;

    // Classifies the list's aircraft after a refresh of the list, with the
    // own aircraft read from the host then; false, and nothing read or
    // changed, when the list has not refreshed since the last call. The
    // clock is the host's (module variable 604) in this frame.
    bool update(const PanelCalls& panel, const TrafficList& list, double clock);
    // The same for the aircraft in slots first to count - 1 of an array.
    void update(const OwnAircraft& own, const TrafficTarget* targets, int first, int count, double clock);
    // Forgets every aircraft, as on a new flight.
    void reset();

    // The class of the aircraft in a list slot; none outside the slots.
    AdvisoryClass classOf(int slot) const;
    // Seconds to the closest approach and the predicted horizontal miss
    // distance of a slot's aircraft; false while it has no rate.
    bool closestApproachOf(int slot, double& seconds, double& missNm) const;
    const AdvisorySummary& summary() const { return summary_; }
    // Aircraft that became advisories at the last update: not one held, nor
    // one that was an advisory less than the hold time before.
    int newAdvisories() const { return newAdvisories_; }

private:
    // One aircraft as seen at the last refreshes, found again by the tracker.
    struct Track {
        bool located;       // finite position and altitude
        bool hasRate;
        bool advisory;      // passing the tests, or held after
        double sampleClock;  // the reference the rates are measured from
        double sampleEast, sampleNorth, sampleHeight;
        double east, north, height;  // NM and feet relative to the own aircraft, now
        double eastRate, northRate, heightRate;  // per second
        double failingSince;  // first refresh without the tests passing; NaN while passing
        double lastAdvisoryClock;  // the last refresh it was an advisory at; NaN: none yet
        double closestSeconds, closestMissNm;
        float distanceNm;
        float trueBearingDeg;
    };
    void forgetTracks();
    const Track* previousTrack(int slot) const;
    void observe(Track& track, const Track* previous, const OwnAircraft& own, const TrafficTarget& target,
                 double clock);
    void measureRates(Track& track, const Track& previous, double clock);
    AdvisoryClass classify(Track& track, const SensitivityLevel& level, int32_t targetHeightAboveGround,
                           double clock);
    void summarise(const OwnAircraft& own, int first, int count);

    Track tracks_[2][kSlots];
    AircraftTracker tracker_;
    int current_ = 0;
    int first_ = 0;  // the slots of the last update
    int count_ = 0;
    double lastClock_;
    uint32_t seenRefreshes_ = 0;
    bool seenAnyRefresh_ = false;
    AdvisoryClass classes_[kSlots];
    AdvisorySummary summary_;
    int newAdvisories_ = 0;
};

}  // namespace quillon
