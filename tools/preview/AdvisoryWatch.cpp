#include "tools/preview/AdvisoryWatch.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace preview {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLowestAlertingHeightFeet = 100.0;
constexpr double kHoldSeconds = 4.0;
constexpr double kProximateRangeNm = 6.0;
constexpr double kProximateHeightFeet = 1200.0;
// As the gauge: rates over half a second of clock at least, and an
// identifier whose aircraft moved faster than 4,000 kt names another one.
constexpr double kShortestRateInterval = 0.5;
constexpr double kFastestNmPerSecond = 4000.0 / 3600.0;
constexpr double kFastestClimbFeetPerSecond = 1000.0;

bool rangeTestPasses(double range, double rangeRate, const AlertThresholds& t) {
    if (range <= t.dmodNm) return true;
    return rangeRate < 0.0 && (range - t.dmodNm * t.dmodNm / range) < t.tauSeconds * -rangeRate;
}

bool verticalTestPasses(double height, double heightRate, const AlertThresholds& t) {
    if (std::fabs(height) < t.zthrFeet) return true;
    return height * heightRate < 0.0 && std::fabs(height) < t.tauSeconds * std::fabs(heightRate);
}

}  // namespace

const char* alertClassName(AlertClass alertClass) {
    switch (alertClass) {
        case AlertClass::Proximate: return "proximate";
        case AlertClass::Advisory: return "advisory";
        default: return "none";
    }
}

AlertThresholds alertThresholdsFor(double ownAboveGroundFeet, double ownAltitudeFeet) {
    if (!(ownAboveGroundFeet > kLowestAlertingHeightFeet) || !std::isfinite(ownAboveGroundFeet) ||
        !std::isfinite(ownAltitudeFeet))
        return {};
    if (ownAboveGroundFeet < 1000.0) return {2, 20.0, 0.30, 850.0};
    if (ownAboveGroundFeet < 2350.0) return {3, 25.0, 0.33, 850.0};
    if (ownAltitudeFeet < 5000.0) return {4, 30.0, 0.48, 850.0};
    if (ownAltitudeFeet < 10000.0) return {5, 40.0, 0.75, 850.0};
    if (ownAltitudeFeet < 20000.0) return {6, 45.0, 1.00, 850.0};
    if (ownAltitudeFeet <= 42000.0) return {7, 48.0, 1.30, 850.0};
    return {7, 48.0, 1.30, 1200.0};
}

void AdvisoryWatch::refresh(double clock, const OwnShipFix& own, double ownAboveGroundFeet,
                            const std::vector<WatchedAircraft>& aircraft) {
    // A clock set back (a flight reloaded) or lost: nothing measured before counts.
    if (!std::isfinite(clock) || (anyRefresh_ && clock < lastClock_)) tracks_.clear();
    const double sinceLast = anyRefresh_ && clock >= lastClock_ ? clock - lastClock_ : 0.0;
    const double jumpAllowance = std::max(sinceLast, kShortestRateInterval);
    const AlertThresholds thresholds = alertThresholdsFor(ownAboveGroundFeet, own.altitudeFeet);

    std::multiset<std::string> ids;
    for (const WatchedAircraft& a : aircraft) ids.insert(a.atcId);
    std::map<std::string, Track> next;
    for (const WatchedAircraft& a : aircraft) {
        // An identifier two aircraft share, or none, would mix two aircraft's rates.
        if (a.atcId.empty() || ids.count(a.atcId) > 1) continue;
        double distanceNm = 0.0, bearingDeg = 0.0;
        distanceAndBearing(own.latitudeDeg, own.longitudeDeg, a.fix.latitudeDeg, a.fix.longitudeDeg, distanceNm,
                           bearingDeg);
        Track track;
        track.east = distanceNm * std::sin(bearingDeg * kPi / 180.0);
        track.north = distanceNm * std::cos(bearingDeg * kPi / 180.0);
        track.height = a.fix.altitudeFeet - own.altitudeFeet;
        track.sampleClock = clock;
        track.sampleEast = track.east;
        track.sampleNorth = track.north;
        track.sampleHeight = track.height;

        const auto previous = tracks_.find(a.atcId);
        const bool same = previous != tracks_.end() &&
                          std::hypot(track.east - previous->second.east, track.north - previous->second.north) <=
                              kFastestNmPerSecond * jumpAllowance &&
                          std::fabs(track.height - previous->second.height) <= kFastestClimbFeetPerSecond * jumpAllowance;
        if (same) {
            const Track& before = previous->second;
            track.advisory = before.advisory;
            track.failing = before.failing;
            track.failingSince = before.failingSince;
            const double interval = clock - before.sampleClock;
            if (interval < kShortestRateInterval) {
                track.sampleClock = before.sampleClock;
                track.sampleEast = before.sampleEast;
                track.sampleNorth = before.sampleNorth;
                track.sampleHeight = before.sampleHeight;
                track.hasRate = before.hasRate;
                track.eastRate = before.eastRate;
                track.northRate = before.northRate;
                track.heightRate = before.heightRate;
            } else {
                track.eastRate = (track.east - before.sampleEast) / interval;
                track.northRate = (track.north - before.sampleNorth) / interval;
                track.heightRate = (track.height - before.sampleHeight) / interval;
                track.hasRate = std::hypot(track.eastRate, track.northRate) <= kFastestNmPerSecond &&
                                std::fabs(track.heightRate) <= kFastestClimbFeetPerSecond;
            }
            if (!track.hasRate) track.advisory = track.failing = false;
        }

        AlertReading& reading = track.reading;
        reading.hasRate = track.hasRate;
        if (track.hasRate) {
            const double speedSquared = track.eastRate * track.eastRate + track.northRate * track.northRate;
            const double closing = -(track.east * track.eastRate + track.north * track.northRate);
            if (speedSquared > 1e-12 && closing > 0.0) {
                reading.closestSeconds = closing / speedSquared;
                reading.closestMissNm = std::hypot(track.east + track.eastRate * reading.closestSeconds,
                                                   track.north + track.northRate * reading.closestSeconds);
            } else {
                reading.closestMissNm = distanceNm;
            }
        }
        if (thresholds.level == 0 || a.fix.aboveGroundFeet <= kLowestAlertingHeightFeet) {
            track.advisory = track.failing = false;
        } else {
            const double rangeRate = distanceNm > 0.0 ? (track.east * track.eastRate + track.north * track.northRate) / distanceNm : 0.0;
            const bool passing = track.hasRate && rangeTestPasses(distanceNm, rangeRate, thresholds) &&
                                 verticalTestPasses(track.height, track.heightRate, thresholds);
            if (passing) {
                track.advisory = true;
                track.failing = false;
            } else if (track.advisory) {
                if (!track.failing) {
                    track.failing = true;
                    track.failingSince = clock;
                }
                if (clock - track.failingSince >= kHoldSeconds) track.advisory = track.failing = false;
            }
            if (track.advisory)
                reading.alertClass = AlertClass::Advisory;
            else if (distanceNm <= kProximateRangeNm && std::fabs(track.height) <= kProximateHeightFeet)
                reading.alertClass = AlertClass::Proximate;
        }
        next[a.atcId] = track;
    }
    tracks_ = std::move(next);
    lastClock_ = clock;
    anyRefresh_ = std::isfinite(clock);
}

AlertReading AdvisoryWatch::reading(const std::string& atcId) const {
    const auto found = tracks_.find(atcId);
    return found != tracks_.end() ? found->second.reading : AlertReading{};
}

}  // namespace preview
