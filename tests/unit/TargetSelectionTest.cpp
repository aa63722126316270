// Selecting a target with a click: the tolerance square around each plotted
// point, the order of the search, the view centres, and the path from the
// host's mouse function to the gauge.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "module/PanelTableCalls.h"
#include "views/GaugeVariants.h"
#include "module/GaugeCallbacks.h"
#include "host/ExportedRecords.h"
#include "tests/support/FakePanel.h"
#include "tests/support/RadarGaugeProbe.h"
#include "tests/support/ScriptedTraffic.h"
#include "tests/support/TestSurface.h"

namespace quillon {
namespace {

using testing::FakePanel;
using testing::ScriptedTraffic;

class TargetSelection : public ::testing::Test {
protected:
    void SetUp() override {
        testing::ensureGdiplusStarted();
        RadarGaugeProbe::forgetNamedVariableRegistration();
        panel.offerTrafficInfo(&traffic);
    }

    // Objects of the host's answer, in order; an empty id is an object the
    // host gives no ATC identifier.
    void withTargets(std::initializer_list<const char*> atcIds) {
        host::ObjectId id = 1;
        for (const char* atcId : atcIds) {
            auto& object = traffic.add(id++);
            if (atcId[0] != '\0') object.text("ATC ID", atcId);
        }
    }
    // A gauge whose list holds the scripted objects.
    std::unique_ptr<RadarGauge> gaugeWithTraffic() {
        auto gauge = std::make_unique<RectangularGreenGauge>(modulePanelCalls());
        gauge->update();  // publishes the count of the first refresh
        return gauge;
    }
    void click(RadarGauge& gauge, int32_t x, int32_t y) {
        const LogicalPoint point{x, y};
        gauge.onClick(&point);
    }

    FakePanel panel;
    ScriptedTraffic traffic;
};

TEST_F(TargetSelection, ToleranceSquareIsOpenAtTwentyUnits) {
    withTargets({"OWN", "N1", "N2"});
    auto gauge = gaugeWithTraffic();
    ASSERT_EQ(gauge->trafficList()->count(), 3u);
    RadarGaugeProbe inspector(*gauge);
    inspector.setPlotPosition(1, 10.0f, -10.0f);
    inspector.setPlotPosition(2, 300.0f, 300.0f);

    click(*gauge, 510, 490);  // right on target 1
    EXPECT_EQ(gauge->selectedIndex(), 1);
    EXPECT_STREQ(gauge->selectedAtcId(), "N1");

    inspector.setPlotPosition(1, 30.0f, -10.0f);  // |dx - x| = 20: outside
    click(*gauge, 510, 490);
    EXPECT_EQ(gauge->selectedIndex(), kNoSelection);
    EXPECT_STREQ(gauge->selectedAtcId(), "");

    inspector.setPlotPosition(1, 29.5f, -29.5f);  // 19.5 each way: inside
    click(*gauge, 510, 490);
    EXPECT_EQ(gauge->selectedIndex(), 1);
    inspector.setPlotPosition(1, 10.0f, 10.0f);  // 20 below
    click(*gauge, 510, 490);
    EXPECT_EQ(gauge->selectedIndex(), kNoSelection);
    // Just inside the edge: 10 + 9.999999 is below 20 (a float sum rounds to 20).
    inspector.setPlotPosition(1, -std::nextafter(10.0f, 0.0f), -10.0f);
    click(*gauge, 510, 490);
    EXPECT_EQ(gauge->selectedIndex(), 1);
}

TEST_F(TargetSelection, LowestSelectableIndexWins) {
    withTargets({"OWN", "A", "", "C", "D"});
    auto gauge = gaugeWithTraffic();
    RadarGaugeProbe inspector(*gauge);
    for (int i = 0; i < 5; ++i) inspector.setPlotPosition(i, 100.0f + static_cast<float>(i), 0.0f);

    click(*gauge, 600, 500);
    EXPECT_EQ(gauge->selectedIndex(), 1);  // index 0 is the own aircraft in full mode
    EXPECT_STREQ(gauge->selectedAtcId(), "A");

    inspector.setPlotPosition(1, -300.0f, 0.0f);
    click(*gauge, 600, 500);
    EXPECT_EQ(gauge->selectedIndex(), 3);  // index 2 has no identifier to find it by
    EXPECT_STREQ(gauge->selectedAtcId(), "C");
}

TEST_F(TargetSelection, FirstObjectIsSelectableOnlyInLimitedMode) {
    withTargets({"FIRST", "SECOND"});
    traffic.objects()[0].label = "FIRST";
    traffic.objects()[1].label = "SECOND";
    auto gauge = gaugeWithTraffic();
    RadarGaugeProbe inspector(*gauge);
    inspector.setPlotPosition(0, 0.0f, 0.0f);
    inspector.setPlotPosition(1, 400.0f, 400.0f);
    click(*gauge, 500, 500);
    EXPECT_EQ(gauge->selectedIndex(), kNoSelection);

    traffic.setLimitedMode(1);
    click(*gauge, 500, 500);
    EXPECT_EQ(gauge->selectedIndex(), 0);
}

TEST_F(TargetSelection, EachViewHitTestsAroundItsOwnCentre) {
    withTargets({"OWN", "ARC", "GRID"});
    auto gauge = gaugeWithTraffic();
    RadarGaugeProbe inspector(*gauge);
    auto drawnIn = [&](int32_t mode) {
        inspector.setDisplayMode(mode);
        inspector.setPlotPosition(1, 0.0f, -75.0f);
        inspector.setPlotPosition(2, 0.0f, 400.0f);
    };

    drawnIn(kForwardArcView);
    click(*gauge, 500, 900);
    EXPECT_EQ(gauge->selectedIndex(), 1);

    drawnIn(kGridView);
    click(*gauge, 500, 900);
    EXPECT_EQ(gauge->selectedIndex(), 2);

    drawnIn(kFullCircleView);
    click(*gauge, 500, 425);
    EXPECT_EQ(gauge->selectedIndex(), 1);
}

TEST_F(TargetSelection, ClickWithoutAViewKeepsTheSelection) {
    withTargets({"OWN", "KEEP"});
    auto gauge = gaugeWithTraffic();
    RadarGaugeProbe inspector(*gauge);
    inspector.setPlotPosition(1, 0.0f, 0.0f);
    click(*gauge, 500, 500);
    ASSERT_EQ(gauge->selectedIndex(), 1);
    for (int32_t mode : {7, -1, 0, 1, 5}) {
        inspector.setDisplayMode(mode);
        click(*gauge, 900, 900);
        EXPECT_EQ(gauge->selectedIndex(), 1) << mode;
        EXPECT_STREQ(gauge->selectedAtcId(), "KEEP");
    }
}

TEST_F(TargetSelection, WithoutTrafficAClickOnlyDeselects) {
    panel.withdrawService();
    auto gauge = gaugeWithTraffic();
    RadarGaugeProbe inspector(*gauge);
    inspector.select(4, "OLD");
    click(*gauge, 500, 500);
    EXPECT_EQ(gauge->selectedIndex(), kNoSelection);
    EXPECT_STREQ(gauge->selectedAtcId(), "");
}

TEST_F(TargetSelection, LongestIdentifierIsCopiedWhole) {
    const std::string longest(15, 'Q');  // the most the list keeps of a host text
    withTargets({"OWN", longest.c_str()});
    auto gauge = gaugeWithTraffic();
    RadarGaugeProbe(*gauge).setPlotPosition(1, 0.0f, 0.0f);
    click(*gauge, 500, 500);
    EXPECT_EQ(std::string(gauge->selectedAtcId()), longest);
}

TEST_F(TargetSelection, HostClickReachesTheVariantsGaugeInLogicalUnits) {
    withTargets({"OWN", "EDGE"});
    host::GaugeHeader* header = Linkage.gauges[kCircularGreen];
    header->gaugeCallback(header, host::kServiceCreate, 0);
    RadarGauge& gauge = *variantGauge(kCircularGreen);
    gauge.update();
    RadarGaugeProbe inspector(gauge);

    host::MouseArea area{};
    area.boxWidth = 200;
    area.boxHeight = 200;
    host::ClickRecord record{199, 100, 0, &area};  // logical (995, 500)
    const host::MouseFunction mouse = header->mouseAreas[1].function;

    inspector.setPlotPosition(1, 475.0f, 0.0f);  // selected from 956 to 994 across
    EXPECT_EQ(mouse(&record, host::kMouseLeftSingle), 1);
    EXPECT_EQ(gauge.selectedIndex(), kNoSelection);
    inspector.setPlotPosition(1, 476.0f, 0.0f);  // from 957 to 995
    EXPECT_EQ(mouse(&record, host::kMouseLeftSingle), 1);
    EXPECT_EQ(gauge.selectedIndex(), 1);

    // An area without size is no click at all: the selection stays.
    area.boxWidth = 0;
    inspector.setPlotPosition(1, -400.0f, 0.0f);
    EXPECT_EQ(mouse(&record, 0), 1);
    EXPECT_EQ(gauge.selectedIndex(), 1);

    // Another variant's mouse function does not reach this gauge.
    area.boxWidth = 200;
    EXPECT_EQ(Linkage.gauges[kCircularAmber]->mouseAreas[1].function(&record, 0), 1);
    EXPECT_EQ(gauge.selectedIndex(), 1);

    header->gaugeCallback(header, host::kServiceDestroy, 0);
}

}  // namespace
}  // namespace quillon
