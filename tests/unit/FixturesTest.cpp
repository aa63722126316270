// The shared fixtures behave like the host they stand in for; other tests
// rely on that.
#include <gtest/gtest.h>

#include <cstring>

#include "host/ExportedRecords.h"
#include "module/PanelTableCalls.h"
#include "tests/support/FakePanel.h"
#include "tests/support/ScriptedTraffic.h"

namespace quillon::testing {
namespace {

TEST(FakePanelTest, InstallsItselfAndRestoresThePreviousTable) {
    void* before = ImportTable.panels.pointer;
    {
        FakePanel outer;
        EXPECT_EQ(ImportTable.panels.pointer, &outer.table());
        {
            FakePanel inner;
            EXPECT_EQ(FakePanel::active(), &inner);
        }
        EXPECT_EQ(ImportTable.panels.pointer, &outer.table());
        EXPECT_EQ(FakePanel::active(), &outer);
    }
    EXPECT_EQ(ImportTable.panels.pointer, before);
}

TEST(FakePanelTest, ModuleVariablesAndNamedVariablesBehaveLikeTheHost) {
    FakePanel panel;
    panel.setClock(12.5);
    auto clock = moduleVariable(host::kVarClock);
    EXPECT_EQ(modulePanelCalls().lookupModuleVariable(clock), 12.5);
    auto unknown = moduleVariable(9999);
    EXPECT_EQ(modulePanelCalls().lookupModuleVariable(unknown), 0.0);

    int32_t id = modulePanelCalls().registerNamedVariable("Radar Range");
    EXPECT_EQ(modulePanelCalls().registerNamedVariable("RADAR RANGE"), id);
    EXPECT_NE(modulePanelCalls().registerNamedVariable("Radar Mode"), id);
    EXPECT_EQ(modulePanelCalls().namedVariableValue(id), 0.0);
    panel.setNamedVariable("radar range", 20.0);
    EXPECT_EQ(modulePanelCalls().namedVariableValue(id), 20.0);
    modulePanelCalls().setNamedVariableValue(id, 10.0);
    EXPECT_EQ(panel.namedVariable("Radar Range"), 10.0);

    const auto& calls = panel.calls();
    ASSERT_EQ(calls.size(), 8u);
    EXPECT_EQ(calls[0].slot, host::kSlotLookupModuleVariable);
    EXPECT_EQ(calls[0].token, host::kVarClock);
    EXPECT_EQ(calls[2].name, "Radar Range");
    EXPECT_EQ(calls[7].slot, host::kSlotSetNamedVariable);
    EXPECT_EQ(calls[7].value, 10.0);
}

TEST(FakePanelTest, FindServiceHandsOutTheOfferedInterface) {
    FakePanel panel;
    EXPECT_EQ(modulePanelCalls().findService(host::kTrafficInfoName), nullptr);
    ScriptedTraffic traffic;
    panel.offerTrafficInfo(&traffic);
    host::ServiceProvider* provider = modulePanelCalls().findService(host::kTrafficInfoName);
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->getInterface(host::kTrafficInfoName), static_cast<host::ITrafficInfo*>(&traffic));
    EXPECT_EQ(provider->getInterface("ISomethingElse"), nullptr);
    EXPECT_EQ(panel.callCount(FakePanel::kGetInterfaceCall), 2u);
}

TEST(ScriptedTrafficTest, TextsFitOrOverflowAsConfigured) {
    ScriptedTraffic traffic;
    traffic.add(7).text("ATC ID", "ABCDEFGHIJKLMNOPQRST");
    int32_t atcId = traffic.variableId("ATC ID");
    char buffer[17];
    std::memset(buffer, 'x', sizeof buffer);
    traffic.stringValue(7, atcId, buffer, 16, 0);
    EXPECT_STREQ(buffer, "ABCDEFGHIJKLMNO");
    traffic.setUnterminatedTexts(true);
    buffer[16] = 0;
    traffic.stringValue(7, atcId, buffer, 16, 0);
    EXPECT_EQ(std::string(buffer), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(traffic.callTexts().back(), "stringValue(7, ATC ID, 16, 0)");
}

}  // namespace
}  // namespace quillon::testing
