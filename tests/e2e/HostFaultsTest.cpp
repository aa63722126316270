// The host's side failing in the middle of a session, through the stand-in
// host's fault switches: the traffic interface gone, refreshes that report
// an error or a count they do not honour, named-variable registration
// answering the invalid id, the drawing element without its device context,
// the clock standing or going back. The gauge keeps drawing what it can and
// picks up once the host behaves again. To tell a fresh picture from a
// stale one, the one aircraft moves while the fault lasts.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/Geodesy.h"
#include "sim/Host.h"
#include "tests/e2e/GaugePictures.h"

namespace {

using pictures::kGreen;
using Fault = sim::TrafficService::RefreshFault;

constexpr double kFramesPerSecond = 18.0;
constexpr double kOwnLatitude = 50.0;
constexpr double kOwnLongitude = 8.0;

// Off the spokes (every 30 degrees) and, at the distances used, off the
// range rings and their labels.
constexpr double kBearingDeg = 15.0;

sim::LatLon ahead(double distanceNm) {
    return sim::destination({kOwnLatitude, kOwnLongitude}, kBearingDeg, distanceNm * sim::kMetresPerNauticalMile);
}

// The own aircraft heading north, one aircraft 12 NM away, standing still.
sim::Scenario oneAircraftNear() {
    sim::Scenario scenario;
    scenario.name = "one near";
    scenario.own.objectId = sim::kOwnObjectId;
    scenario.own.atcId = "OWN";
    scenario.own.latitudeDeg = kOwnLatitude;
    scenario.own.longitudeDeg = kOwnLongitude;
    scenario.own.altitudeFt = 5000.0;
    sim::Aircraft other;
    other.objectId = sim::kFirstTrafficObjectId;
    other.atcId = "N123AB";
    other.label = "N123AB";
    other.latitudeDeg = ahead(12.0).latitudeDeg;
    other.longitudeDeg = ahead(12.0).longitudeDeg;
    other.altitudeFt = 6000.0;
    other.groundSpeedKt = 0.0;
    scenario.traffic.push_back(other);
    return scenario;
}

class HostFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.loaded()) << host.error();
        host.setScenario(oneAircraftNear());
    }

    sim::Window& open() { return host.openWindow("Circular Green", 300, 300); }
    void seconds(double s) { host.frames(static_cast<int>(s * kFramesPerSecond)); }

    // The aircraft moves to this distance, on its bearing.
    void moveAircraftTo(double distanceNm) {
        sim::Aircraft* aircraft = host.traffic().find(sim::kFirstTrafficObjectId);
        aircraft->latitudeDeg = ahead(distanceNm).latitudeDeg;
        aircraft->longitudeDeg = ahead(distanceNm).longitudeDeg;
    }
    // Whether the full circle draws the aircraft at this distance, at the
    // range given (the outer ring, 475 units from the centre, is the range).
    static bool shownAt(const sim::Window& window, double distanceNm, double rangeNm = 40.0) {
        const double radius = 475.0 * distanceNm / rangeNm;
        const double radians = kBearingDeg * 3.14159265358979 / 180.0;
        const double x = 500.0 + radius * std::sin(radians);
        const double y = 500.0 - radius * std::cos(radians);
        return pictures::countTargetInk(window, x - 10.0, y - 10.0, x + 10.0, y + 10.0, kGreen) > 2;
    }
    // Rings and spokes: the picture is there, with or without traffic.
    static bool scopeDrawn(const sim::Window& window) {
        return pictures::countColour(window, 0.0, 0.0, 1000.0, 1000.0, kGreen.dim) > 300;
    }

    sim::Host host{QUILLON_MODULE_PATH};
};

TEST_F(HostFaults, TrafficInterfaceGoneOrLateIsPickedUpOnceItAnswers) {
    sim::Window& window = open();
    seconds(0.5);
    ASSERT_TRUE(shownAt(window, 12.0));

    host.traffic().setGone(true);
    moveAircraftTo(17.0);
    seconds(2.0);
    EXPECT_TRUE(scopeDrawn(window));
    EXPECT_FALSE(shownAt(window, 12.0)) << "an aircraft the host no longer lists";
    EXPECT_FALSE(shownAt(window, 17.0));

    host.traffic().setGone(false);
    seconds(2.0);
    EXPECT_TRUE(shownAt(window, 17.0));

    // A second gauge opened while the host offers no traffic at all finds it
    // once the host does.
    host.setTrafficServiceAvailable(false);
    sim::Window& late = host.openWindow("Rectangular Green", 300, 300);
    seconds(2.0);
    EXPECT_TRUE(scopeDrawn(late));
    EXPECT_FALSE(shownAt(late, 17.0));
    host.setTrafficServiceAvailable(true);
    seconds(2.0);
    EXPECT_TRUE(shownAt(late, 17.0));
}

TEST_F(HostFaults, RefreshesThatReportAnErrorOrTooManyIdsKeepTheScopeAndRecover) {
    sim::Window& window = open();
    seconds(0.5);
    ASSERT_TRUE(shownAt(window, 12.0));

    double distance = 12.0;
    for (Fault fault : {Fault::ErrorCount, Fault::CountNotHonoured}) {
        SCOPED_TRACE(static_cast<int>(fault));
        host.traffic().setRefreshFault(fault);
        seconds(2.0);
        EXPECT_TRUE(scopeDrawn(window));
        host.traffic().setRefreshFault(Fault::None);
        distance += 5.0;
        moveAircraftTo(distance);
        seconds(2.0);
        EXPECT_TRUE(shownAt(window, distance));
        EXPECT_FALSE(shownAt(window, distance - 5.0));
    }
}

TEST_F(HostFaults, NamedVariablesRegisteredWhileTheHostAnsweredTheInvalidIdAreFollowedOnceItRecovers) {
    host.setNamedVariableRegistrationFailing(true);
    sim::Window& window = open();
    seconds(0.5);
    EXPECT_TRUE(shownAt(window, 12.0)) << "drawn with the defaults";

    host.setNamedVariableRegistrationFailing(false);
    seconds(0.5);
    EXPECT_EQ(host.named("Radar Mode"), 2.0) << "the defaults written once the ids are good";
    EXPECT_EQ(host.named("Radar Range"), 40.0);
    host.setNamed("Radar Range", 20.0);
    seconds(0.5);
    EXPECT_TRUE(shownAt(window, 12.0, 20.0));

    // A value the panel set meanwhile is not overwritten by the late defaults
    // (a fresh load: the module registers once per load).
    host.unload();
    ASSERT_TRUE(host.load(QUILLON_MODULE_PATH)) << host.error();
    host.setNamedVariableRegistrationFailing(true);
    sim::Window& reloaded = open();
    host.frames(3);
    host.setNamed("Radar Range", 20.0);
    host.setNamedVariableRegistrationFailing(false);
    host.frames(9);
    EXPECT_EQ(host.named("Radar Range"), 20.0);
    EXPECT_TRUE(shownAt(reloaded, 12.0, 20.0));
}

TEST_F(HostFaults, DrawingElementWithoutItsDeviceContextDrawsAgainWhenItIsBack) {
    sim::Window& window = open();
    seconds(0.5);
    ASSERT_TRUE(shownAt(window, 12.0));

    const host::DeviceContext deviceContext = window.drawingElement().deviceContext;
    window.drawingElement().deviceContext = nullptr;
    moveAircraftTo(17.0);
    seconds(2.0);
    window.drawingElement().deviceContext = deviceContext;
    host.frames(2);
    EXPECT_TRUE(shownAt(window, 17.0));
    EXPECT_FALSE(shownAt(window, 12.0));
}

TEST_F(HostFaults, ClockThatStopsOrGoesBackLeavesThePictureUntilItRunsAndTheTrafficRefreshesThen) {
    sim::Window& window = open();
    seconds(2.0);
    ASSERT_TRUE(shownAt(window, 12.0));

    // Stopped: no redraw while it stands (the picture stays as it was).
    host.setClockStopped(true);
    moveAircraftTo(17.0);
    seconds(2.0);
    EXPECT_TRUE(shownAt(window, 12.0));
    host.setClockStopped(false);
    seconds(1.5);
    EXPECT_TRUE(shownAt(window, 17.0));
    EXPECT_FALSE(shownAt(window, 12.0));

    // Set back (a flight reset): a new time base, not a wait for the old time.
    host.setClock(host.clock() - 600.0);
    moveAircraftTo(27.0);
    seconds(1.5);
    EXPECT_TRUE(shownAt(window, 27.0));
    EXPECT_FALSE(shownAt(window, 17.0));
}

}  // namespace
