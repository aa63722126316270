#include "traffic/TrafficAdvisories.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "host/PanelCalls.h"
#include "traffic/OwnShip.h"

namespace quillon {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = 3.14159265358979323846;
constexpr double kDegreesPerRadian = 180.0 / kPi;

// The same factor the views use for the host's own altitude in metres, so
// that the relative altitude published matches the altitude tags.
constexpr double kOwnAltitudeFeetPerMetre = 3.2808;

// Aircraft at 100 ft above the ground or lower are on or near the ground.
constexpr double kLowestAlertingHeightFeet = 100.0;

// Rates are measured over at least the tracker's shortest interval. An
// aircraft that moved, relative to the own one, further than the tracker
// allows now names another aircraft, or one of the two was moved (slewed,
// flight reset): its rates start afresh.
constexpr double kShortestRateInterval = kShortestMoveInterval;
constexpr double kFastestClosureNmPerSecond = kFastestAircraftNmPerSecond;
constexpr double kFastestClimbFeetPerSecond = 1000.0;

// Below this relative speed (NM per second, squared; about 0.004 kt) the
// aircraft keep station and the closest approach is now.
constexpr double kStationKeepingSpeedSquared = 1e-12;

bool finite(double a, double b, double c) { return std::isfinite(a) && std::isfinite(b) && std::isfinite(c); }

bool rangeTestPasses(double rangeNm, double rangeRate, const SensitivityLevel& level) {
    if (rangeNm <= level.dmodNm) return true;
    // Closing, and inside the modified tau: (r - DMOD^2 / r) / -r' < tau.
    return rangeRate < 0.0 && rangeNm - level.dmodNm * level.dmodNm / rangeNm < level.tauSeconds * -rangeRate;
}

bool verticalTestPasses(double heightFeet, double heightRate, const SensitivityLevel& level) {
    if (std::fabs(heightFeet) < level.zthrFeet) return true;
    const bool converging = heightFeet * heightRate < 0.0;
    return converging && std::fabs(heightFeet) < level.tauSeconds * std::fabs(heightRate);
}

// 12 straight ahead, 3 on the right; NaN or an infinite heading gives 0.
int32_t clockPosition(double trueBearingDeg, double headingDeg) {
    const double relative = std::fmod(std::fmod(trueBearingDeg - headingDeg, 360.0) + 360.0, 360.0);
    if (!std::isfinite(relative)) return 0;
    const int32_t hour = static_cast<int32_t>(relative / 30.0 + 0.5);  // 0 to 12
    return hour == 0 ? 12 : hour;
}

// Whole hundreds, halves toward zero as the altitude tags read them; never
// a negative zero, which a panel's text would show as "-0".
double wholeHundreds(double feet) {
    const double hundreds = std::ceil(std::fabs(feet) / 100.0 - 0.5);
    if (hundreds == 0.0) return 0.0;
    return (feet < 0.0 ? -hundreds : hundreds) * 100.0;
}

}  // namespace

SensitivityLevel sensitivityLevelFor(double heightAboveGroundFeet, double altitudeFeet) {
    // NaN fails the first test and gives no advisories.
    if (!(heightAboveGroundFeet > kLowestAlertingHeightFeet) || !std::isfinite(heightAboveGroundFeet) ||
        !std::isfinite(altitudeFeet))
        return {0, 0.0, 0.0, 0.0};
    if (heightAboveGroundFeet < 1000.0) return {2, 20.0, 0.30, 850.0};
    if (heightAboveGroundFeet < 2350.0) return {3, 25.0, 0.33, 850.0};
    if (altitudeFeet < 5000.0) return {4, 30.0, 0.48, 850.0};
    if (altitudeFeet < 10000.0) return {5, 40.0, 0.75, 850.0};
    if (altitudeFeet < 20000.0) return {6, 45.0, 1.00, 850.0};
    if (altitudeFeet <= 42000.0) return {7, 48.0, 1.30, 850.0};
    return {7, 48.0, 1.30, 1200.0};
}

OwnAircraft readOwnAircraft(const PanelCalls& panel, const TrafficList& list) {
    host::ModuleVariableRecord altitudeRecord = moduleVariable(host::kVarOwnAltitudeMetres);
    host::ModuleVariableRecord headingRecord = moduleVariable(host::kVarOwnHeading);
    OwnAircraft own{};
    own.position = ownPosition(panel);
    own.position.altitude = panel.lookupModuleVariable(altitudeRecord) * kOwnAltitudeFeetPerMetre;
    own.headingDeg = panel.lookupModuleVariable(headingRecord);
    if (list.limitedMode() != 0) {
        own.heightAboveGroundFeet = own.position.altitude;
    } else {
        const TrafficTarget* first = list.count() > 0 ? list.item(0) : nullptr;
        own.heightAboveGroundFeet = first != nullptr ? first->altitudeAboveGround() : kNaN;
    }
    return own;
}

TrafficAdvisories::TrafficAdvisories() { reset(); }

void TrafficAdvisories::reset() {
    forgetTracks();
    std::memset(classes_, 0, sizeof classes_);
    summary_ = AdvisorySummary{};
    first_ = 0;
    count_ = 0;
    lastClock_ = kNaN;
}

void TrafficAdvisories::forgetTracks() {
    tracker_.forget();
    std::memset(tracks_, 0, sizeof tracks_);
}

bool TrafficAdvisories::update(const PanelCalls& panel, const TrafficList& list, double clock) {
    const uint32_t refreshes = list.refreshCount();
    if (seenAnyRefresh_ && refreshes == seenRefreshes_) return false;
    seenAnyRefresh_ = true;
    seenRefreshes_ = refreshes;
    // item(0) is the start of the list's slot array.
    update(readOwnAircraft(panel, list), list.item(0), list.limitedMode() != 0 ? 0 : 1, static_cast<int>(list.count()),
           clock);
    return true;
}

void TrafficAdvisories::update(const OwnAircraft& own, const TrafficTarget* targets, int first, int count,
                               double clock) {
    if (first < 0) first = 0;
    if (count > kSlots) count = kSlots;
    if (targets == nullptr || first > count) count = first;
    std::memset(classes_, 0, sizeof classes_);
    newAdvisories_ = 0;
    if (!std::isfinite(clock)) {
        // No time base: nothing can be measured or held.
        reset();
        return;
    }
    // A clock set back (a flight reloaded) starts a new time base.
    if (clock < lastClock_) forgetTracks();

    current_ ^= 1;
    tracker_.advance(targets, first, count);
    const SensitivityLevel level = sensitivityLevelFor(own.heightAboveGroundFeet, own.position.altitude);
    for (int slot = first; slot < count; ++slot) {
        Track& track = tracks_[current_][slot];
        observe(track, previousTrack(slot), own, targets[slot], clock);
        classes_[slot] = classify(track, level, targets[slot].altitudeAboveGround(), clock);
    }
    first_ = first;
    count_ = count;
    lastClock_ = clock;
    summarise(own, first, count);
}

const TrafficAdvisories::Track* TrafficAdvisories::previousTrack(int slot) const {
    const int previous = tracker_.previousSlotOf(slot);
    if (previous < 0) return nullptr;
    const Track& track = tracks_[current_ ^ 1][previous];
    return track.located ? &track : nullptr;
}

void TrafficAdvisories::observe(Track& track, const Track* previous, const OwnAircraft& own,
                                const TrafficTarget& target, double clock) {
    float distanceNm = 0.0f;
    float reversedBearing = 0.0f;
    greatCircle(own.position, target.position(), distanceNm, reversedBearing);
    const double height = target.position().altitude - own.position.altitude;
    const double course = -static_cast<double>(reversedBearing);  // true course to the target, radians

    track.hasRate = false;
    track.advisory = false;
    track.failingSince = kNaN;
    track.lastAdvisoryClock = kNaN;
    track.closestSeconds = 0.0;
    track.closestMissNm = 0.0;
    track.located = finite(distanceNm, course, height);
    if (!track.located) return;

    track.distanceNm = distanceNm;
    track.trueBearingDeg = static_cast<float>(std::fmod(course * kDegreesPerRadian + 360.0, 360.0));
    track.east = distanceNm * std::sin(course);
    track.north = distanceNm * std::cos(course);
    track.height = height;
    track.sampleClock = clock;
    track.sampleEast = track.east;
    track.sampleNorth = track.north;
    track.sampleHeight = track.height;
    if (previous != nullptr) measureRates(track, *previous, clock);
    if (!track.hasRate) return;

    const double speedSquared = track.eastRate * track.eastRate + track.northRate * track.northRate;
    const double closing = -(track.east * track.eastRate + track.north * track.northRate);
    if (speedSquared > kStationKeepingSpeedSquared && closing > 0.0) {
        const double seconds = closing / speedSquared;
        track.closestSeconds = seconds;
        track.closestMissNm = std::hypot(track.east + track.eastRate * seconds, track.north + track.northRate * seconds);
    } else {
        track.closestMissNm = distanceNm;  // the closest approach is now, or past
    }
}

// Rates against the previous refresh's reference sample. The same aircraft
// keeps its advisory state; one that jumped is taken as new.
void TrafficAdvisories::measureRates(Track& track, const Track& previous, double clock) {
    const double sinceLast = clock - lastClock_;  // not negative: a clock set back forgot the tracks
    const double jumpAllowance = (sinceLast > kShortestRateInterval ? sinceLast : kShortestRateInterval);
    const bool plausible = std::hypot(track.east - previous.east, track.north - previous.north) <=
                               kFastestClosureNmPerSecond * jumpAllowance &&
                           std::fabs(track.height - previous.height) <= kFastestClimbFeetPerSecond * jumpAllowance;
    if (!plausible) return;

    track.advisory = previous.advisory;
    track.failingSince = previous.failingSince;
    track.lastAdvisoryClock = previous.lastAdvisoryClock;
    const double interval = clock - previous.sampleClock;
    if (!(interval >= kShortestRateInterval)) {
        // Too soon to measure again: keep the reference and the rates.
        track.sampleClock = previous.sampleClock;
        track.sampleEast = previous.sampleEast;
        track.sampleNorth = previous.sampleNorth;
        track.sampleHeight = previous.sampleHeight;
        track.hasRate = previous.hasRate;
        track.eastRate = previous.eastRate;
        track.northRate = previous.northRate;
        track.heightRate = previous.heightRate;
        return;
    }
    track.eastRate = (track.east - previous.sampleEast) / interval;
    track.northRate = (track.north - previous.sampleNorth) / interval;
    track.heightRate = (track.height - previous.sampleHeight) / interval;
    track.hasRate = finite(track.eastRate, track.northRate, track.heightRate) &&
                    std::hypot(track.eastRate, track.northRate) <= kFastestClosureNmPerSecond &&
                    std::fabs(track.heightRate) <= kFastestClimbFeetPerSecond;
    if (!track.hasRate) {
        track.advisory = false;
        track.failingSince = kNaN;
    }
}

AdvisoryClass TrafficAdvisories::classify(Track& track, const SensitivityLevel& level,
                                          int32_t targetHeightAboveGround, double clock) {
    if (level.level == 0 || !track.located || targetHeightAboveGround <= kLowestAlertingHeightFeet) {
        track.advisory = false;
        track.failingSince = kNaN;
        return AdvisoryClass::kNone;
    }
    const bool wasAdvisory = track.advisory;
    const double range = track.distanceNm;
    const double rangeRate = range > 0.0 ? (track.east * track.eastRate + track.north * track.northRate) / range : 0.0;
    const bool passing = track.hasRate && rangeTestPasses(range, rangeRate, level) &&
                         verticalTestPasses(track.height, track.heightRate, level);
    if (passing) {
        track.advisory = true;
        track.failingSince = kNaN;
    } else if (track.advisory) {
        // Held from the first refresh that found the tests failing.
        if (std::isnan(track.failingSince)) track.failingSince = clock;
        if (clock - track.failingSince >= kHoldSeconds) track.advisory = false;
    }
    if (track.advisory) {
        if (!wasAdvisory && !(clock - track.lastAdvisoryClock < kHoldSeconds)) ++newAdvisories_;
        track.lastAdvisoryClock = clock;
        return AdvisoryClass::kTrafficAdvisory;
    }
    if (range <= kProximateRangeNm && std::fabs(track.height) <= kProximateHeightFeet) return AdvisoryClass::kProximate;
    return AdvisoryClass::kNone;
}

// The most urgent advisory is the one whose closest approach comes first;
// those already past it follow, the nearest first.
void TrafficAdvisories::summarise(const OwnAircraft& own, int first, int count) {
    summary_ = AdvisorySummary{};
    const Track* urgent = nullptr;
    for (int slot = first; slot < count; ++slot) {
        const AdvisoryClass advisoryClass = classes_[slot];
        if (static_cast<int32_t>(advisoryClass) > summary_.level) summary_.level = static_cast<int32_t>(advisoryClass);
        if (advisoryClass != AdvisoryClass::kTrafficAdvisory) continue;
        ++summary_.count;
        const Track& track = tracks_[current_][slot];
        const bool ahead = track.closestSeconds > 0.0;
        bool moreUrgent = urgent == nullptr;
        if (!moreUrgent) {
            const bool urgentAhead = urgent->closestSeconds > 0.0;
            if (ahead != urgentAhead)
                moreUrgent = ahead;
            else
                moreUrgent = ahead ? track.closestSeconds < urgent->closestSeconds : track.distanceNm < urgent->distanceNm;
        }
        if (moreUrgent) {
            urgent = &track;
            summary_.slot = slot;
        }
    }
    if (urgent == nullptr) return;
    summary_.clock = clockPosition(urgent->trueBearingDeg, own.headingDeg);
    summary_.relativeAltitudeFeet = wholeHundreds(urgent->height);
    summary_.distanceNm = urgent->distanceNm;
    summary_.closestTimeSeconds = urgent->closestSeconds;
    summary_.closestDistanceNm = urgent->closestMissNm;
}

AdvisoryClass TrafficAdvisories::classOf(int slot) const {
    return slot >= 0 && slot < kSlots ? classes_[slot] : AdvisoryClass::kNone;
}

bool TrafficAdvisories::closestApproachOf(int slot, double& seconds, double& missNm) const {
    if (slot < first_ || slot >= count_) return false;
    const Track& track = tracks_[current_][slot];
    if (!track.located || !track.hasRate) return false;
    seconds = track.closestSeconds;
    missNm = track.closestMissNm;
    return true;
}

}  // namespace quillon
