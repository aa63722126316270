// The stand-in host's own state without a module: loading errors, module
// variables that follow the own aircraft, named variables, the clock.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sim/Geodesy.h"
#include "sim/Host.h"

namespace {

sim::Scenario oneAircraftScenario() {
    sim::Scenario s;
    s.own.atcId = "OWN";
    s.own.latitudeDeg = 50.25;
    s.own.longitudeDeg = -8.5;
    s.own.altitudeFt = 9000.0;
    s.own.headingTrueDeg = 10.0;
    s.own.magneticVariationDeg = 12.0;
    s.own.groundSpeedKt = 240.0;
    s.own.verticalSpeedFpm = -1200.0;
    return s;
}

TEST(Host, MissingModuleFileIsReportedNotThrown) {
    sim::Host host("/nonexistent/Quillon.so");
    EXPECT_FALSE(host.loaded());
    EXPECT_NE(host.error().find("/nonexistent/Quillon.so"), std::string::npos) << host.error();
    EXPECT_TRUE(host.gaugeNames().empty());
    EXPECT_THROW(host.openWindow("Circular Green", 100, 100), std::logic_error);
}

TEST(Host, LibraryWithoutTheRecordsIsRefused) {
    // A real shared library that is no gauge module.
    sim::Host host("libgdiplus.so.0");
    EXPECT_FALSE(host.loaded());
    EXPECT_NE(host.error().find("does not export 'ImportTable'"), std::string::npos) << host.error();
}

TEST(Host, OwnShipModuleVariablesFollowTheOwnAircraft) {
    sim::Host host;
    host.setScenario(oneAircraftScenario());
    auto check = [&](const sim::Aircraft& own) {
        EXPECT_NEAR(host.moduleVariable(71) * 360.0 / 40007000.0, own.latitudeDeg, 1e-9);
        EXPECT_NEAR(host.moduleVariable(72) * 360.0 / 281474976710656.0, own.longitudeDeg, 1e-9);
        EXPECT_NEAR(host.moduleVariable(73), own.altitudeFt * 0.3048, 1e-9);
        EXPECT_NEAR(host.moduleVariable(86), own.headingTrueDeg, 1e-9);  // true, not magnetic
    };
    check(host.traffic().own());

    host.advance(30.0);
    const sim::Aircraft& own = host.traffic().own();
    EXPECT_NEAR(own.altitudeFt, 8400.0, 1e-9);
    EXPECT_NEAR(sim::distanceMetres({50.25, -8.5}, {own.latitudeDeg, own.longitudeDeg}), 2.0 * 1852.0, 1e-3);
    check(own);
    EXPECT_DOUBLE_EQ(host.clock(), 30.0);
    EXPECT_DOUBLE_EQ(host.moduleVariable(604), 30.0);
}

TEST(Host, FramesAdvanceTheClockAtTheFrameRate) {
    sim::Host host;
    host.setScenario(oneAircraftScenario());
    host.setClock(100.0);
    host.frames(36);
    EXPECT_NEAR(host.clock(), 102.0, 1e-9);
    host.setFramesPerSecond(4.0);
    host.frame();
    EXPECT_NEAR(host.clock(), 102.25, 1e-9);
    // Setting the clock moves nothing.
    double latitude = host.traffic().own().latitudeDeg;
    host.setClock(5000.0);
    EXPECT_EQ(host.traffic().own().latitudeDeg, latitude);
}

TEST(Host, NamedVariablesHaveOneIdPerNameWhateverItsCase) {
    sim::Host host;
    EXPECT_EQ(host.named("Radar Range"), 0.0);
    int32_t id = host.registerNamed("Radar Range");
    EXPECT_EQ(host.registerNamed("RADAR RANGE"), id);
    EXPECT_EQ(host.registerNamed("radar range"), id);
    EXPECT_NE(host.registerNamed("Radar Mode"), id);
    EXPECT_EQ(host.named("radar range"), 0.0);
    host.setNamed("RADAR range", 20.0);
    EXPECT_EQ(host.named("Radar Range"), 20.0);
    EXPECT_EQ(host.namedVariables().get(id), 20.0);
    EXPECT_EQ(host.namedVariables().name(id), "Radar Range");
    EXPECT_EQ(host.namedVariables().get(4711), 0.0);
    EXPECT_FALSE(host.namedVariables().set(4711, 1.0));
}

TEST(Host, UnknownModuleVariablesReadZero) {
    sim::Host host;
    EXPECT_EQ(host.moduleVariable(9999), 0.0);
    host.setModuleVariable(9999, 2.5);
    EXPECT_EQ(host.moduleVariable(9999), 2.5);
}

}  // namespace
