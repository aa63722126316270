// Which aircraft a gauge with alerts on takes for traffic advisories and
// proximate traffic, worked out from the host's side: from what the host
// answered at each of the gauge's traffic refreshes (the own aircraft and the
// listed ones), by the thresholds of airborne collision avoidance, with
// rates from successive refreshes matched by ATC id, as the gauge measures
// them. The preview uses it to say why an aircraft is drawn as it is.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/preview/ViewGeometry.h"

namespace preview {

enum class AlertClass { None, Proximate, Advisory };
const char* alertClassName(AlertClass alertClass);  // "none", "proximate", "advisory"

struct AlertReading {
    AlertClass alertClass = AlertClass::None;
    bool hasRate = false;          // seen at two refreshes at least
    double closestSeconds = 0.0;   // to the closest approach; 0 once it is past
    double closestMissNm = 0.0;    // predicted horizontal miss distance
};

// One aircraft of a refresh: its identifier as the gauge holds it, where
// the host has it, and its height above the ground as the gauge reads it.
struct WatchedAircraft {
    std::string atcId;
    AircraftFix fix;
};

// The thresholds of one sensitivity level; level 0 gives no alerts.
struct AlertThresholds {
    int level = 0;
    double tauSeconds = 0.0;
    double dmodNm = 0.0;
    double zthrFeet = 0.0;
};
AlertThresholds alertThresholdsFor(double ownAboveGroundFeet, double ownAltitudeFeet);

class AdvisoryWatch {
public:
    // One refresh of the gauge's list at the host clock.
    void refresh(double clock, const OwnShipFix& own, double ownAboveGroundFeet,
                 const std::vector<WatchedAircraft>& aircraft);
    // What the last refresh made of the aircraft; none for an unknown one.
    AlertReading reading(const std::string& atcId) const;

private:
    struct Track {
        double sampleClock = 0.0;
        double east = 0.0, north = 0.0, height = 0.0;  // now, NM and feet from the own aircraft
        double sampleEast = 0.0, sampleNorth = 0.0, sampleHeight = 0.0;
        bool hasRate = false;
        double eastRate = 0.0, northRate = 0.0, heightRate = 0.0;
        bool advisory = false;
        bool failing = false;
        double failingSince = 0.0;
        AlertReading reading;
    };
    std::map<std::string, Track> tracks_;
    double lastClock_ = 0.0;
    bool anyRefresh_ = false;
};

}  // namespace preview
