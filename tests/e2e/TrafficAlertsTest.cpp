// The traffic alerts as a panel sees them through the stand-in host: the
// onset of scripted encounters, the seven published variables against the
// straight-line geometry, advisories drawn and clickable whatever the filter
// and the range, their colour against both schemes, and the level written
// back to 0.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "GaugePictures.h"
#include "sim/Host.h"
#include "sim/WinmmLayer.h"

namespace {

constexpr double kKnotsToNmPerSecond = 1.0 / 3600.0;

// The own aircraft at the equator heading north at 250 kt and 8,000 ft
// (sensitivity level 5: tau 40 s, DMOD 0.75 NM).
sim::Scenario ownAt8000() {
    sim::Scenario scenario;
    scenario.name = "alerts";
    scenario.own.objectId = sim::kOwnObjectId;
    scenario.own.atcId = "OWN";
    scenario.own.altitudeFt = 8000.0;
    scenario.own.groundSpeedKt = 250.0;
    return scenario;
}

// An aircraft placed east and north of the own one (at the equator a
// minute of arc is a nautical mile either way).
sim::Aircraft aircraftAt(const char* atcId, double eastNm, double northNm, double altitudeFt, double headingDeg,
                         double knots, double feetPerMinute = 0.0) {
    sim::Aircraft a;
    a.atcId = atcId;
    a.label = atcId;
    a.latitudeDeg = northNm / 60.0;
    a.longitudeDeg = eastNm / 60.0;
    a.altitudeFt = altitudeFt;
    a.headingTrueDeg = headingDeg;
    a.groundSpeedKt = knots;
    a.verticalSpeedFpm = feetPerMinute;
    return a;
}

// Closest approach of straight-line motion, from the host's own positions and speeds.
struct Geometry {
    double distanceNm, closestSeconds, closestMissNm;
};
Geometry geometryOf(const sim::Aircraft& own, const sim::Aircraft& other) {
    const double k = 3.14159265358979323846 / 180.0;
    const double east = (other.longitudeDeg - own.longitudeDeg) * 60.0 * std::cos(own.latitudeDeg * k);
    const double north = (other.latitudeDeg - own.latitudeDeg) * 60.0;
    const double ve = (other.groundSpeedKt * std::sin(other.headingTrueDeg * k) -
                       own.groundSpeedKt * std::sin(own.headingTrueDeg * k)) * kKnotsToNmPerSecond;
    const double vn = (other.groundSpeedKt * std::cos(other.headingTrueDeg * k) -
                       own.groundSpeedKt * std::cos(own.headingTrueDeg * k)) * kKnotsToNmPerSecond;
    const double seconds = std::fmax(0.0, -(east * ve + north * vn) / (ve * ve + vn * vn));
    return {std::hypot(east, north), seconds, std::hypot(east + ve * seconds, north + vn * seconds)};
}

class TrafficAlerts : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.loaded()) << host.error(); }

    // A frame; true when a gauge's list refreshed in it (and so was classified).
    bool refreshingFrame() {
        host.calls().setEnabled(true);
        host.calls().clear();
        host.frame();
        const bool refreshed = host.calls().count(sim::Call::ObjectsInRadius) > 0;
        host.calls().setEnabled(false);
        return refreshed;
    }
    const sim::Aircraft& aircraft(host::ObjectId id) { return *host.traffic().find(id); }
    double level() const { return host.named("Radar Alert Level"); }

    sim::Host host{QUILLON_MODULE_PATH};
};

TEST_F(TrafficAlerts, EncountersBecomeAdvisoriesAtTheirOnsetDistances) {
    // Co-altitude at level 5: head-on with 500 kt closure from 5.66 NM,
    // overtaken by 20 kt from 0.87 NM (within one refresh of closure).
    const struct {
        const char* what;
        double northNm, heading, knots, onsetNm, tolerance;
    } encounters[] = {{"head-on", 9.0, 180.0, 250.0, 5.66, 0.14 + 0.01}, {"overtaking", 2.0, 0.0, 230.0, 0.87, 0.01}};
    for (const auto& e : encounters) {
        SCOPED_TRACE(e.what);
        sim::Scenario scenario = ownAt8000();
        scenario.traffic.push_back(aircraftAt("DLH1", 0.0, e.northNm, 8000.0, e.heading, e.knots));
        host.setScenario(scenario);
        host.setClock(0.0);
        sim::Window& window = host.openWindow("Circular Green", 100, 100);
        host.setNamed("Radar Alerts", 1.0);
        double onsetNm = -1.0;
        for (int frame = 0; frame < 18 * 400 && onsetNm < 0.0; ++frame) {
            host.frame();
            if (level() == 2.0) onsetNm = geometryOf(host.traffic().own(), aircraft(sim::kFirstTrafficObjectId)).distanceNm;
        }
        std::printf("%s: advisory from %.3f NM\n", e.what, onsetNm);
        EXPECT_NEAR(onsetNm, e.onsetNm, e.tolerance);
        host.closeWindow(window);
    }
}

TEST_F(TrafficAlerts, PublishedVariablesFollowTheMostUrgentAdvisory) {
    // A: head-on, 0.2 NM to the right, closest in 36 s. B: from the right
    // front, crossing, closest in 68 s. Both level with the own aircraft.
    sim::Scenario scenario = ownAt8000();
    scenario.traffic.push_back(aircraftAt("HEADON", 0.2, 5.0, 8000.0, 180.0, 250.0));
    scenario.traffic.push_back(aircraftAt("CROSS", 5.0, 4.5, 8000.0, 270.0, 250.0));
    host.setScenario(scenario);
    host.openWindow("Rectangular Amber", 100, 100);
    host.openWindow("Circular Green", 100, 100);
    host.setNamed("Radar Alerts", 1.0);
    int comparedA = 0, comparedB = 0;
    bool sawBothAfterAPassed = false;
    for (int frame = 0; frame < 18 * 75; ++frame) {
        if (!refreshingFrame() || host.named("Radar Alert Count") == 0.0) continue;
        const Geometry a = geometryOf(host.traffic().own(), aircraft(sim::kFirstTrafficObjectId));
        const Geometry b = geometryOf(host.traffic().own(), aircraft(sim::kFirstTrafficObjectId + 1));
        // The one whose closest approach is still ahead and comes first; past ones after.
        const bool count2 = host.named("Radar Alert Count") == 2.0;
        const bool urgentA = count2 ? (a.closestSeconds > 0.0 && a.closestSeconds < b.closestSeconds)
                                    : host.clock() < 36.0;
        const Geometry& expected = urgentA ? a : b;
        SCOPED_TRACE(testing::Message() << "clock " << host.clock() << (urgentA ? " A" : " B"));
        EXPECT_EQ(level(), 2.0);
        EXPECT_NEAR(host.named("Radar Alert Distance"), expected.distanceNm, 0.01);
        EXPECT_NEAR(host.named("Radar Alert Closest Time"), expected.closestSeconds, 1.0);
        EXPECT_NEAR(host.named("Radar Alert Closest Distance"), expected.closestMissNm, 0.05);
        EXPECT_EQ(host.named("Radar Alert Relative Altitude"), 0.0);
        if (urgentA && a.distanceNm > 1.0) EXPECT_EQ(host.named("Radar Alert Clock"), 12.0);
        (urgentA ? comparedA : comparedB)++;
        if (count2 && a.closestSeconds == 0.0) sawBothAfterAPassed = true;
    }
    EXPECT_GT(comparedA, 20);
    EXPECT_GT(comparedB, 20);
    EXPECT_TRUE(sawBothAfterAPassed) << "A held past its closest approach while B still comes";
}

TEST_F(TrafficAlerts, AnAdvisoryHiddenByTheFilterAndBeyondTheRangeIsDrawnAtTheEdgeInItsOwnColourAndTakesClicks) {
    // 12 NM ahead closing at 1,000 kt, 5,000 ft above and descending at
    // 6,000 ft/min: an advisory from about 10 s, outside the normal band
    // (2,700 ft) until 23 s and beyond a 5 NM range throughout.
    sim::Scenario scenario = ownAt8000();
    scenario.traffic.push_back(aircraftAt("DIVE1", 0.0, 12.0, 13000.0, 180.0, 750.0, -6000.0));
    host.setScenario(scenario);
    sim::Window& green = host.openWindow("Circular Green", 400, 400);
    sim::Window& amber = host.openWindow("Circular Amber", 400, 400);
    host.frame();  // the gauges write the range they start with
    host.setNamed("Radar Range", 5.0);
    host.setNamed("Radar Filter", 2.0);
    host.setNamed("Radar Alerts", 1.0);
    while (host.clock() < 16.0) host.frame();
    ASSERT_EQ(level(), 2.0);
    ASSERT_GT(geometryOf(host.traffic().own(), aircraft(sim::kFirstTrafficObjectId)).distanceNm, 5.0);

    // Half a disc on the outer ring at 12 o'clock (logical (500, 25)), turned inwards.
    for (const auto& [window, colours] : {std::pair{&green, pictures::kGreen}, std::pair{&amber, pictures::kAmber}}) {
        window->savePng(pictures::pictureDir() + "advisory-at-edge-" + (window == &green ? "green" : "amber") + ".png");
        const int yellow = pictures::countColour(*window, 485, 25, 515, 40, 0xffffff00u, 40);
        EXPECT_GT(yellow, 15);
        EXPECT_LT(pictures::countColour(*window, 485, 5, 515, 22, 0xffffff00u, 40), yellow / 4) << "the inner half only";
        // The advisory's ink, sampled at the middle of the half disc, is not the scheme's bright colour.
        const uint32_t ink = window->pixel(200, 12);
        EXPECT_FALSE(pictures::near(ink, colours.bright, 80)) << std::hex << ink;
        EXPECT_FALSE(pictures::near(ink, colours.dim, 80)) << std::hex << ink;
    }

    // A click there selects it, and the selection is published while it is drawn.
    host.click(green, 200, 12);
    host.frame();
    EXPECT_EQ(host.named("Radar Target Selected"), 1.0);
    EXPECT_NEAR(host.named("Radar Target Distance"),
                geometryOf(host.traffic().own(), aircraft(sim::kFirstTrafficObjectId)).distanceNm, 0.1);

    // Alerts off: the filter and the range hide it again, and Level reads 0.
    host.setNamed("Radar Alerts", 0.0);
    host.frame();
    EXPECT_EQ(level(), 0.0);
    EXPECT_EQ(host.named("Radar Target Selected"), 0.0);
    EXPECT_EQ(pictures::countColour(green, 485, 25, 515, 40, 0xffffff00u, 40), 0);
}

TEST_F(TrafficAlerts, LevelGoesBackToZeroWhenTheLastGaugeCloses) {
    sim::Scenario scenario = ownAt8000();
    scenario.traffic.push_back(aircraftAt("NEAR1", 2.0, 2.0, 8300.0, 0.0, 250.0));  // proximate, keeping station
    host.setScenario(scenario);
    sim::Window& first = host.openWindow("Circular Green", 100, 100);
    sim::Window& second = host.openWindow("Rectangular Green", 100, 100);
    host.setNamed("Radar Alerts", 1.9);  // the fraction is cut off: on
    host.frames(40);
    EXPECT_EQ(level(), 1.0) << host.named("Radar Alert Count") << " " << host.named("Radar Alert Distance") << " " << host.named("Radar Alert Closest Time");
    host.closeWindow(first);
    host.frames(20);
    EXPECT_EQ(level(), 1.0) << "the other gauge still publishes";
    host.closeWindow(second);
    EXPECT_EQ(level(), 0.0);
}

// 12 NM ahead closing at 1,000 kt, 5,000 ft above and descending at 6,000
// ft/min: an advisory from about 10 s, within 5 NM from 25 s.
sim::Scenario diveFromAhead() {
    sim::Scenario scenario = ownAt8000();
    scenario.traffic.push_back(aircraftAt("DIVE1", 0.0, 12.0, 13000.0, 180.0, 750.0, -6000.0));
    return scenario;
}

// Yellow ink about the logical point (the advisory's disc).
int yellowAt(const sim::Window& window, double x, double y) {
    return pictures::countColour(window, x - 15, y - 15, x + 15, y + 15, 0xffffff00u, 40);
}
// The auto range's mark, in the green scheme's bright colour at the top left.
int autoMarkInk(const sim::Window& window) {
    return pictures::countColour(window, 0, 105, 110, 160, pictures::kGreen.bright, 60);
}

// At a range of 5 NM the advisory 9.2 NM away would sit at the edge: auto
// range shows it at 10 NM, where it plots, and marks the picture; ten
// seconds after it came within 5 NM the pilot's range is back. "Radar
// Range" keeps the pilot's value throughout.
TEST_F(TrafficAlerts, AutoRangeBringsAnOffScaleAdvisoryInAndGivesThePilotsRangeBack) {
    host.setScenario(diveFromAhead());
    sim::Window& window = host.openWindow("Circular Green", 400, 400);
    host.frame();
    host.setNamed("Radar Range", 5.0);
    host.setNamed("Radar Alerts", 1.0);
    host.setNamed("Radar Auto Range", 1.0);
    const auto distanceAt = [&](double seconds) {
        while (host.clock() < seconds) host.frame();
        EXPECT_EQ(host.named("Radar Range"), 5.0) << seconds;
        return geometryOf(host.traffic().own(), aircraft(sim::kFirstTrafficObjectId)).distanceNm;
    };
    const double before = distanceAt(8.0);
    EXPECT_EQ(autoMarkInk(window), 0) << "not yet an advisory: the pilot's range";
    const double offScale = distanceAt(16.0);
    ASSERT_EQ(level(), 2.0);
    ASSERT_GT(offScale, 5.0);
    EXPECT_GT(yellowAt(window, 500, 500 - offScale / 10.0 * 475), 20) << "plotted at 10 NM";
    EXPECT_EQ(yellowAt(window, 500, 32), 0) << "not at the edge";
    EXPECT_GT(autoMarkInk(window), 10);
    const double held = distanceAt(32.0);
    ASSERT_LT(held, 5.0);
    EXPECT_GT(yellowAt(window, 500, 500 - held / 10.0 * 475), 20) << "still 10 NM, held";
    EXPECT_GT(autoMarkInk(window), 10);
    const double back = distanceAt(38.0);
    EXPECT_GT(yellowAt(window, 500, 500 - back / 5.0 * 475), 20) << "the pilot's 5 NM again";
    EXPECT_EQ(autoMarkInk(window), 0);
    EXPECT_GT(before, offScale);
}

// "Traffic, traffic" once at each new advisory of the encounters (four by
// 50 s, each held a while), however many radars the panel shows; muted,
// not at the fifth (about 69 s).
TEST_F(TrafficAlerts, TheVoiceSoundsOnceAtEachNewAdvisoryUnlessMuted) {
    host.loadScenario(QUILLON_SOURCE_DIR "/scenarios/encounters.json");
    host.openWindow("Circular Green", 100, 100);
    host.openWindow("Rectangular Amber", 100, 100);
    host.frame();
    host.setNamed("Radar Alerts", 1.0);
    const int before = sim::winmm_layer::playedCount();
    std::vector<double> voiced;
    const auto runUntil = [&](double seconds) {
        while (host.clock() < seconds) {
            host.frame();
            if (sim::winmm_layer::playedCount() - before > static_cast<int>(voiced.size())) voiced.push_back(host.clock());
        }
    };
    runUntil(19.0);
    EXPECT_TRUE(voiced.empty()) << "before the first advisory";
    runUntil(50.0);
    ASSERT_EQ(voiced.size(), 4u) << "one per new advisory, none while they are held";
    EXPECT_NEAR(voiced[0], 21.0, 1.5) << "the aircraft climbing through";
    EXPECT_EQ(sim::winmm_layer::lastPlayed().resource, 4608u);
    host.setNamed("Radar Alert Mute", 1.0);
    runUntil(75.0);
    EXPECT_EQ(host.named("Radar Alert Count") > 0.0, true);
    EXPECT_EQ(voiced.size(), 4u) << "muted";
}

// The voice plays from the module's resources: unloaded while it may still
// sound, the module stops it first; long after, it leaves the sound alone.
TEST_F(TrafficAlerts, UnloadedRightAfterTheVoiceTheModuleStopsIt) {
    host.loadScenario(QUILLON_SOURCE_DIR "/scenarios/encounters.json");
    host.openWindow("Circular Green", 100, 100);
    host.frame();
    host.setNamed("Radar Alerts", 1.0);
    const int played = sim::winmm_layer::playedCount();
    const int stopped = sim::winmm_layer::stoppedCount();
    while (host.clock() < 30.0 && sim::winmm_layer::playedCount() == played) host.frame();
    ASSERT_GT(sim::winmm_layer::playedCount(), played) << "no advisory was voiced";
    host.unload();
    EXPECT_EQ(sim::winmm_layer::stoppedCount(), stopped + 1);
}

}  // namespace
