// A gauge opened up for the views' unit tests. It runs a view directly on a
// graphics object without a surface (every drawing call records its failure
// and the view goes on), over a traffic list filled from a scripted host,
// and lets tests set targets, plot entries and the selection directly.
#pragma once

#include <cmath>

#include "gauge/RadarGauge.h"
#include "host/PanelServices.h"
#include "tests/support/FakePanel.h"
#include "tests/support/RadarGaugeInspector.h"
#include "tests/support/ScriptedTraffic.h"

namespace quillon::testing {

// The host side of a bench: own aircraft at latitude and longitude 0, a
// scripted traffic service with `targets` aircraft after the own one.
// Constructed before the gauges, which find the service when they are made.
struct BenchHost {
    explicit BenchHost(int targets) {
        for (int id = 0; id <= targets; ++id) traffic.add(static_cast<host::ObjectId>(100 + id));
        panel.offerTrafficInfo(&traffic);
        panel.setClock(0.5);  // below the list's first refresh after construction
    }
    void set(double clock, double headingDeg, double ownAltitudeMetres = 0.0) {
        panel.setClock(clock);
        panel.setModuleVariable(host::kVarOwnHeading, headingDeg);
        panel.setModuleVariable(host::kVarOwnAltitudeMetres, ownAltitudeMetres);
    }

    ScriptedTraffic traffic;
    FakePanel panel;
};

class ViewBench {
public:
    ViewBench() : inspector_(gauge) {
        inspector_.createSchemeOnce();
        inspector_.setGraphics(&surfaceless_);
        inspector_.trafficList().tickUpdate();  // publishes the count
    }

    TrafficTarget& target(int index) { return *inspector_.trafficList().item(index); }
    int count() { return static_cast<int>(inspector_.trafficList().count()); }
    const PlotPosition& plotEntry(int index) const { return gauge.plotPosition(index); }
    void setPlotEntry(int index, float x, float y) { inspector_.setPlotPosition(index, x, y); }
    void select(int32_t index, const char* atcId) { inspector_.select(index, atcId); }
    void setRange(float rangeNm) { inspector_.setRangeNm(rangeNm); }

    // Draws on a real surface from now on (its graphics outlives the bench's use of it).
    void drawOn(render::Graphics& graphics) { inspector_.setGraphics(&graphics); }

    // Puts the target north of the own aircraft (at 0, 0) at about the
    // distance, so that its true bearing is exactly 0 and the own heading
    // alone sets its relative bearing.
    void placeNorth(int index, double distanceNm, double altitudeFeet, int32_t aboveGroundFeet = 5000) {
        TrafficTarget& t = target(index);
        t.setPosition(distanceNm / 60.0, 0.0, altitudeFeet);
        t.setAltitudeAboveGround(aboveGroundFeet);
    }

    // Puts the target at about the true bearing and distance from the own
    // aircraft (near the equator, where a small offset is almost flat).
    void placeAt(int index, double bearingDeg, double distanceNm, double altitudeFeet,
                 int32_t aboveGroundFeet = 5000) {
        const double radians = bearingDeg * 3.14159265358979 / 180.0;
        TrafficTarget& t = target(index);
        t.setPosition(distanceNm * std::cos(radians) / 60.0, distanceNm * std::sin(radians) / 60.0, altitudeFeet);
        t.setAltitudeAboveGround(aboveGroundFeet);
    }

    RadarGauge gauge;

private:
    RadarGaugeInspector inspector_;
    render::Graphics surfaceless_;
};

}  // namespace quillon::testing
