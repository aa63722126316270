// The selected aircraft as the rest of the panel reads it from the eight
// "Radar Target ..." variables: written by the gauge whose selection was
// made last, while it draws the aircraft.
#include <gtest/gtest.h>

#include "sim/Host.h"

namespace {

// The own aircraft at the equator heading north at 5,000 ft, one aircraft
// 10 NM ahead at 8,050 ft (3,050 ft above), standing still.
sim::Scenario oneAircraftAhead() {
    sim::Scenario scenario;
    scenario.name = "one ahead";
    scenario.own.objectId = sim::kOwnObjectId;
    scenario.own.atcId = "OWN";
    scenario.own.altitudeFt = 5000.0;
    sim::Aircraft other;
    other.objectId = sim::kFirstTrafficObjectId;
    other.atcId = "N123AB";
    other.label = "N123AB";
    other.latitudeDeg = 10.0 / 60.0;
    other.altitudeFt = 8050.0;
    other.verticalSpeedFpm = -700.0;
    other.groundSpeedKt = 0.0;
    scenario.traffic.push_back(other);
    return scenario;
}

class PublishedSelection : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.loaded()) << host.error();
        host.setScenario(oneAircraftAhead());
    }
    // Clicks where the full circle draws the aircraft (10 of 40 NM ahead),
    // or on empty space, then lets a frame show it.
    void clickAircraft(sim::Window& window) {
        host.click(window, window.width() / 2, static_cast<int>((500.0 - 118.75) * window.height() / 1000.0));
        host.frame();
    }
    void clickEmpty(sim::Window& window) {
        host.click(window, window.width() / 8, window.height() / 8);
        host.frame();
    }
    double selected() const { return host.named("Radar Target Selected"); }

    sim::Host host{QUILLON_MODULE_PATH};
};

TEST_F(PublishedSelection, TheLatestSelectionIsPublishedWhileItsAircraftIsDrawn) {
    sim::Window& first = host.openWindow("Circular Green", 200, 200);
    sim::Window& second = host.openWindow("Rectangular Amber", 200, 200);
    host.frames(3);
    EXPECT_EQ(selected(), 0.0) << "nothing written before a selection";

    clickAircraft(first);
    EXPECT_EQ(selected(), 1.0);
    EXPECT_NEAR(host.named("Radar Target Latitude"), 10.0 / 60.0, 1e-9);
    EXPECT_NEAR(host.named("Radar Target Longitude"), 0.0, 1e-9);
    EXPECT_EQ(host.named("Radar Target Altitude"), 8000.0) << "as the data block shows it";
    EXPECT_EQ(host.named("Radar Target Vertical Speed"), -700.0);
    EXPECT_NEAR(host.named("Radar Target Distance"), 10.0, 0.01);
    EXPECT_EQ(host.named("Radar Target Source"), 1.0);

    // Hidden by the filter's normal band (2,700 ft either way): not drawn.
    host.setNamed("Radar Filter", 2.0);
    host.frame();
    EXPECT_EQ(selected(), 0.0);
    EXPECT_NEAR(host.named("Radar Target Distance"), 10.0, 0.01) << "the others keep their last values";
    host.setNamed("Radar Filter", 0.0);
    host.frame();
    EXPECT_EQ(selected(), 1.0);

    // The second gauge selects: it publishes, in limited mode from now on.
    host.traffic().setLimitedMode(true);
    host.frames(40);  // a refresh in limited mode
    clickAircraft(second);
    EXPECT_EQ(selected(), 1.0);
    EXPECT_EQ(host.named("Radar Target Source"), 2.0);
    EXPECT_EQ(host.named("Radar Target Speed"), 0.0) << "limited traffic has no ground speed";

    // Cleared there: 0, and the first gauge, still drawing its own
    // selection, does not take over.
    clickEmpty(second);
    EXPECT_EQ(selected(), 0.0);
    host.frames(3);
    EXPECT_EQ(selected(), 0.0);

    // Selected again and its gauge destroyed: 0.
    clickAircraft(second);
    ASSERT_EQ(selected(), 1.0);
    host.closeWindow(second);
    EXPECT_EQ(selected(), 0.0);
    host.frames(3);
    EXPECT_EQ(selected(), 0.0);
}

}  // namespace
