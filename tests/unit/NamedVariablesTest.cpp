// How gauges and the rest of the panel share "Radar Mode" and "Radar Range":
// one registration per module, defaults published once, every gauge then
// following what the panel holds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "module/PanelTableCalls.h"
#include "views/GaugeVariants.h"
#include "tests/support/FakePanel.h"
#include "tests/support/RadarGaugeProbe.h"
#include "tests/support/TestSurface.h"

namespace quillon {
namespace {

using testing::FakePanel;

const char* const kTargetNames[] = {
    "Radar Target Selected", "Radar Target Latitude", "Radar Target Longitude",      "Radar Target Altitude",
    "Radar Target Distance", "Radar Target Speed",    "Radar Target Vertical Speed", "Radar Target Source",
};

class NamedVariables : public ::testing::Test {
protected:
    void SetUp() override {
        testing::ensureGdiplusStarted();
        RadarGaugeProbe::forgetNamedVariableRegistration();
    }
    FakePanel panel;
};

TEST_F(NamedVariables, FirstSyncRegistersEveryVariableAndPublishesTheDefaultsOnly) {
    RectangularGreenGauge gauge{modulePanelCalls()};
    panel.clearCalls();
    gauge.syncVariables();
    EXPECT_DOUBLE_EQ(panel.namedVariable("Radar Mode"), 2.0);
    EXPECT_DOUBLE_EQ(panel.namedVariable("Radar Range"), 40.0);

    const auto registrations = panel.callsTo(host::kSlotRegisterNamedVariable);
    ASSERT_EQ(registrations.size(), 24u);
    EXPECT_EQ(registrations[0].name, "Radar Mode");
    EXPECT_EQ(registrations[1].name, "Radar Range");
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(registrations[2 + i].name, kTargetNames[i]);
        EXPECT_FALSE(panel.isSet(kTargetNames[i]));
        EXPECT_EQ(RadarGaugeProbe(gauge).targetVarId(i), panel.namedVariableId(kTargetNames[i]));
    }
    // The pilots' options after the ten, never given a value: unset is off.
    EXPECT_EQ(registrations[10].name, "Radar Altitude Tags");
    EXPECT_EQ(registrations[11].name, "Radar Filter");
    EXPECT_FALSE(panel.isSet("Radar Altitude Tags"));
    EXPECT_FALSE(panel.isSet("Radar Filter"));
    // Then the alerts' switch and what they publish, none written while off.
    EXPECT_EQ(registrations[12].name, "Radar Alerts");
    EXPECT_EQ(registrations[13].name, "Radar Alert Level");
    EXPECT_EQ(registrations[19].name, "Radar Alert Closest Distance");
    // Then the voice's mute and the auto range, trails and dimming, never
    // written either.
    EXPECT_EQ(registrations[20].name, "Radar Alert Mute");
    EXPECT_EQ(registrations[21].name, "Radar Auto Range");
    EXPECT_EQ(registrations[22].name, "Radar Trails");
    EXPECT_EQ(registrations[23].name, "Radar Dimming");
    for (int i = 12; i < 24; ++i) EXPECT_FALSE(panel.isSet(registrations[i].name)) << registrations[i].name;
    // Each default right after its own registration; nothing read yet.
    ASSERT_EQ(panel.calls().size(), 26u);
    EXPECT_EQ(panel.calls()[1].slot, host::kSlotSetNamedVariable);
    EXPECT_EQ(panel.calls()[1].id, panel.namedVariableId("Radar Mode"));
    EXPECT_EQ(panel.calls()[3].slot, host::kSlotSetNamedVariable);
    EXPECT_EQ(panel.calls()[3].id, panel.namedVariableId("Radar Range"));
    EXPECT_EQ(panel.callCount(host::kSlotGetNamedVariable), 0u);

    // Later syncs read, range first, and never write or register again.
    panel.clearCalls();
    gauge.syncVariables();
    const auto reads = panel.callsTo(host::kSlotGetNamedVariable);
    ASSERT_EQ(reads.size(), 9u);
    EXPECT_EQ(reads[0].id, panel.namedVariableId("Radar Range"));
    EXPECT_EQ(reads[1].id, panel.namedVariableId("Radar Mode"));
    EXPECT_EQ(reads[2].id, panel.namedVariableId("Radar Altitude Tags"));
    EXPECT_EQ(reads[3].id, panel.namedVariableId("Radar Filter"));
    EXPECT_EQ(reads[4].id, panel.namedVariableId("Radar Alerts"));
    EXPECT_EQ(reads[5].id, panel.namedVariableId("Radar Alert Mute"));
    EXPECT_EQ(reads[6].id, panel.namedVariableId("Radar Auto Range"));
    EXPECT_EQ(reads[7].id, panel.namedVariableId("Radar Trails"));
    EXPECT_EQ(reads[8].id, panel.namedVariableId("Radar Dimming"));
    EXPECT_EQ(panel.calls().size(), 9u);
}

TEST_F(NamedVariables, RangeTakesFiniteValuesFromFiveUp) {
    RectangularGreenGauge gauge{modulePanelCalls()};
    gauge.syncVariables();
    const double inf = std::numeric_limits<double>::infinity();
    struct Step {
        double panelValue;
        float expected;
    };
    const Step steps[] = {{4.9, 40.0f},   {5.0, 5.0f},  {250.0, 250.0f}, {inf, 250.0f},   {-inf, 250.0f},
                          {std::nan(""), 250.0f}, {-10.0, 250.0f}, {0.0, 250.0f}, {1e300, 3.4028235e38f}, {60.5, 60.5f}};
    for (const Step& step : steps) {
        panel.setNamedVariable("Radar Range", step.panelValue);
        gauge.syncVariables();
        EXPECT_FLOAT_EQ(gauge.rangeNm(), step.expected) << step.panelValue;
        EXPECT_DOUBLE_EQ(gauge.trafficList()->queryRangeNm(), static_cast<double>(step.expected)) << step.panelValue;
        EXPECT_TRUE(std::isfinite(gauge.rangeNm()));
    }
}

TEST_F(NamedVariables, ModeTruncatesSaturatesAndIgnoresZero) {
    RectangularGreenGauge gauge{modulePanelCalls()};
    gauge.syncVariables();
    struct Step {
        double panelValue;
        int32_t expected;
    };
    const Step steps[] = {{0.7, 2},  {0.0, 2},  {3.9, 3},   {-1.0, -1},          {4.0, 4},
                          {-0.9, 4}, {1e12, 2147483647}, {-1e12, -2147483647 - 1}, {std::nan(""), -2147483647 - 1},
                          {2.0, 2}};
    for (const Step& step : steps) {
        panel.setNamedVariable("Radar Mode", step.panelValue);
        gauge.syncVariables();
        EXPECT_EQ(gauge.displayMode(), step.expected) << step.panelValue;
    }
}

TEST_F(NamedVariables, PilotOptionsTruncateSaturateAndKeepTheirValueWhenNotFinite) {
    RectangularGreenGauge gauge{modulePanelCalls()};
    gauge.syncVariables();
    const double inf = std::numeric_limits<double>::infinity();
    struct Step {
        const char* name;
        double panelValue;
        int32_t tags;
        int32_t filter;
    };
    const Step steps[] = {{"Radar Filter", 2.9, 0, 2},         {"Radar Filter", inf, 0, 2},
                          {"Radar Filter", std::nan(""), 0, 2}, {"Radar Filter", 0.0, 0, 0},
                          {"Radar Filter", 1e12, 0, 2147483647}, {"Radar Altitude Tags", 0.99, 0, 2147483647},
                          {"Radar Altitude Tags", 1.5, 1, 2147483647}, {"Radar Altitude Tags", -inf, 1, 2147483647}};
    for (const Step& step : steps) {
        panel.setNamedVariable(step.name, step.panelValue);
        gauge.syncVariables();
        EXPECT_EQ(gauge.pilotOptions().altitudeTags, step.tags) << step.name << " " << step.panelValue;
        EXPECT_EQ(gauge.pilotOptions().filter, step.filter) << step.name << " " << step.panelValue;
    }
}

TEST_F(NamedVariables, EveryGaugeFollowsThePanelWithTheModuleWideIds) {
    CircularGreenGauge first{modulePanelCalls()};
    first.syncVariables();
    RectangularAmberGauge second{modulePanelCalls()};  // created after the registration
    panel.setNamedVariable("Radar Mode", 3.0);
    panel.setNamedVariable("Radar Range", 80.0);
    panel.clearCalls();
    second.syncVariables();
    EXPECT_EQ(second.displayMode(), 3);
    EXPECT_FLOAT_EQ(second.rangeNm(), 80.0f);
    EXPECT_EQ(RadarGaugeProbe(second).modeVarId(), panel.namedVariableId("Radar Mode"));
    EXPECT_EQ(RadarGaugeProbe(second).rangeVarId(), panel.namedVariableId("Radar Range"));
    EXPECT_EQ(RadarGaugeProbe(second).targetVarId(7), panel.namedVariableId("Radar Target Source"));
    // Its own defaults are not written over the panel's values.
    EXPECT_EQ(panel.callCount(host::kSlotSetNamedVariable), 0u);
    EXPECT_EQ(panel.callCount(host::kSlotRegisterNamedVariable), 0u);
    EXPECT_DOUBLE_EQ(panel.namedVariable("Radar Mode"), 3.0);

    first.syncVariables();
    EXPECT_EQ(first.displayMode(), 3);
}

TEST_F(NamedVariables, GaugeUpdateTicksTheTrafficThenSyncs) {
    RectangularGreenGauge gauge{modulePanelCalls()};
    gauge.syncVariables();
    panel.setNamedVariable("Radar Mode", 4.0);
    panel.clearCalls();
    gauge.update();
    ASSERT_GE(panel.calls().size(), 3u);
    EXPECT_EQ(panel.calls()[0].slot, host::kSlotLookupModuleVariable);
    EXPECT_EQ(panel.calls()[0].token, host::kVarClock);
    EXPECT_EQ(panel.calls().back().slot, host::kSlotGetNamedVariable);
    EXPECT_EQ(gauge.displayMode(), 4);
}

}  // namespace
}  // namespace quillon
