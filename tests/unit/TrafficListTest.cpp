// The traffic list against a scripted host traffic interface: what it asks
// the host, in which order, what it stores, and when it refreshes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/FakePanel.h"
#include "tests/support/ScriptedTraffic.h"
#include "traffic/TrafficList.h"
#include "module/PanelTableCalls.h"

namespace quillon {
namespace {

using testing::FakePanel;
using testing::ScriptedObject;
using testing::ScriptedTraffic;

std::string narrowOf(const char16_t* text) {
    std::string narrow;
    for (; *text != 0; ++text) narrow.push_back(static_cast<char>(*text));
    return narrow;
}

std::vector<std::string> fullModeReads(host::ObjectId id) {
    const std::string object = std::to_string(id);
    return {
        "numberValue(" + object + ", PLANE LATITUDE, DEGREES, 0)",
        "numberValue(" + object + ", PLANE LONGITUDE, DEGREES, 0)",
        "limitedMode()",
        "numberValue(" + object + ", PLANE HEADING DEGREES TRUE, DEGREES, 0)",
        "numberValue(" + object + ", INDICATED ALTITUDE, FEET, 0)",
        "numberValue(" + object + ", VELOCITY WORLD Y, FEET PER MINUTE, 0)",
        "numberValue(" + object + ", PLANE ALT ABOVE GROUND, FEET, 0)",
        "numberValue(" + object + ", GROUND VELOCITY, KNOTS, 0)",
        "stringValue(" + object + ", ATC ID, 16, 0)",
        "stringValue(" + object + ", ATC AIRLINE, 256, 0)",
        "stringValue(" + object + ", ATC FLIGHT NUMBER, 256, 0)",
    };
}

std::vector<std::string> limitedModeReads(host::ObjectId id) {
    const std::string object = std::to_string(id);
    return {
        "numberValue(" + object + ", PLANE LATITUDE, DEGREES, 0)",
        "numberValue(" + object + ", PLANE LONGITUDE, DEGREES, 0)",
        "limitedMode()",
        "numberValue(" + object + ", PLANE ALTITUDE, FEET, 0)",
        "numberValue(" + object + ", PLANE HEADING DEGREES TRUE, DEGREES, 0)",
        "objectLabel(" + object + ")",
    };
}

class TrafficListTest : public ::testing::Test {
protected:
    TrafficListTest() { panel.offerTrafficInfo(&traffic); }

    // Every value the list may ask for, distinct per variable so that a
    // value stored in the wrong field shows.
    ScriptedObject& aircraft(host::ObjectId id, double base) {
        return traffic.add(id)
            .number("PLANE LATITUDE", "DEGREES", base + 0.1)
            .number("PLANE LONGITUDE", "DEGREES", base + 0.2)
            .number("PLANE ALTITUDE", "FEET", base + 3000.0)
            .number("INDICATED ALTITUDE", "FEET", base + 2900.0)
            .number("VELOCITY WORLD Y", "FEET PER MINUTE", 99.7)
            .number("PLANE ALT ABOVE GROUND", "FEET", base + 1500.9)
            .number("GROUND VELOCITY", "KNOTS", base + 250.0)
            .number("PLANE HEADING DEGREES TRUE", "DEGREES", base + 90.0)
            .number("PLANE HEADING DEGREES MAGNETIC", "DEGREES", base + 87.0)
            .text("ATC ID", "ID" + std::to_string(id))
            .text("ATC AIRLINE", "Airline " + std::to_string(id))
            .text("ATC FLIGHT NUMBER", std::to_string(id * 10));
    }

    std::unique_ptr<TrafficList> makeList() {
        auto list = std::make_unique<TrafficList>(modulePanelCalls());
        traffic.clearCalls();
        panel.clearCalls();
        return list;
    }

    FakePanel panel;
    ScriptedTraffic traffic;
};

TEST_F(TrafficListTest, BindsTheInterfaceAndLooksUpIdsInTheHostsOrder) {
    auto list = std::make_unique<TrafficList>(modulePanelCalls());
    EXPECT_TRUE(list->hasTrafficInfo());
    const auto& calls = panel.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].slot, host::kSlotFindService);
    EXPECT_EQ(calls[0].name, "ITrafficInfo");
    EXPECT_EQ(calls[1].slot, FakePanel::kGetInterfaceCall);
    EXPECT_EQ(calls[1].name, "ITrafficInfo");
    EXPECT_EQ(traffic.callTexts(), (std::vector<std::string>{
                                       "variableId(PLANE LATITUDE)",
                                       "variableId(PLANE LONGITUDE)",
                                       "variableId(PLANE ALTITUDE)",
                                       "variableId(INDICATED ALTITUDE)",
                                       "variableId(VELOCITY WORLD Y)",
                                       "variableId(PLANE ALT ABOVE GROUND)",
                                       "variableId(GROUND VELOCITY)",
                                       "variableId(PLANE HEADING DEGREES TRUE)",
                                       "variableId(PLANE HEADING DEGREES MAGNETIC)",
                                       "variableId(ATC ID)",
                                       "variableId(ATC AIRLINE)",
                                       "variableId(ATC FLIGHT NUMBER)",
                                       "unitId(DEGREES)",
                                       "unitId(FEET)",
                                       "unitId(FEET PER MINUTE)",
                                       "unitId(KNOTS)",
                                   }));
    EXPECT_EQ(list->count(), 0u);
}

TEST(TrafficListWithoutHostTest, NoServiceOrNullInterfaceLeavesTheListEmpty) {
    FakePanel panel;
    panel.setClock(50.0);
    auto withoutService = std::make_unique<TrafficList>(modulePanelCalls());
    withoutService->setRange(40.0f);
    withoutService->tickUpdate();
    EXPECT_FALSE(withoutService->hasTrafficInfo());
    EXPECT_EQ(withoutService->count(), 0u);
    EXPECT_EQ(withoutService->limitedMode(), 0);
    EXPECT_EQ(panel.callCount(FakePanel::kGetInterfaceCall), 0u);

    panel.offerTrafficInfo(nullptr);  // a provider that has no interface to give
    auto withNullInterface = std::make_unique<TrafficList>(modulePanelCalls());
    panel.setClock(60.0);
    withNullInterface->setRange(10.0f);
    withNullInterface->tickUpdate();
    EXPECT_GE(panel.callCount(FakePanel::kGetInterfaceCall), 1u);  // and again at each refresh
    EXPECT_FALSE(withNullInterface->hasTrafficInfo());
    EXPECT_EQ(withNullInterface->count(), 0u);
    EXPECT_EQ(withNullInterface->limitedMode(), 0);
}

TEST_F(TrafficListTest, FullModeReadsEachObjectInOrderAndStoresItsRecord) {
    aircraft(7, 10.0);
    aircraft(8, 20.0).number("VELOCITY WORLD Y", "FEET PER MINUTE", -99.7);
    auto list = makeList();
    list->setRange(40.0f);

    std::vector<std::string> expected{"objectsInRadius(74080, 300)"};
    for (host::ObjectId id : {7u, 8u})
        for (auto& line : fullModeReads(id)) expected.push_back(line);
    EXPECT_EQ(traffic.callTexts(), expected);

    EXPECT_EQ(list->count(), 0u) << "published only by the next tick";
    list->tickUpdate();
    EXPECT_EQ(list->count(), 2u);

    const TrafficTarget* first = list->item(0);
    EXPECT_EQ(first->position().latitude, 10.1);
    EXPECT_EQ(first->position().longitude, 10.2);
    EXPECT_EQ(first->position().altitude, 2910.0);  // indicated altitude
    EXPECT_EQ(first->verticalSpeed(), 99.0);
    EXPECT_EQ(first->altitudeAboveGround(), 1510);
    EXPECT_EQ(first->heading(), 100.0);  // true, like the own heading it is drawn against
    EXPECT_EQ(first->groundSpeed(), 260.0);
    EXPECT_STREQ(first->atcId(), "ID7");
    EXPECT_EQ(narrowOf(first->atcIdWide()), "ID7");
    EXPECT_EQ(narrowOf(first->airlineWide()), "Airline 7");
    EXPECT_EQ(narrowOf(first->flightNumberWide()), "70");

    const TrafficTarget* second = list->item(1);
    EXPECT_EQ(second->verticalSpeed(), -99.0);
    EXPECT_STREQ(second->atcId(), "ID8");
    EXPECT_EQ(narrowOf(second->airlineWide()), "Airline 8");
}

TEST_F(TrafficListTest, LimitedModeReadsTrueValuesAndTheLabel) {
    aircraft(3, 10.0).label = "ABCDEFGHIJKLMNOPQRST";  // 20 characters
    aircraft(4, 20.0).label = "XYZ";
    aircraft(5, 30.0);                                 // no label at all
    auto list = makeList();
    // A full-mode refresh first, so that the limited one must overwrite.
    list->setRange(40.0f);
    traffic.setLimitedMode(1);
    traffic.clearCalls();
    list->setRange(20.0f);

    std::vector<std::string> expected{"objectsInRadius(37040, 300)"};
    for (host::ObjectId id : {3u, 4u, 5u})
        for (auto& line : limitedModeReads(id)) expected.push_back(line);
    EXPECT_EQ(traffic.callTexts(), expected);

    const TrafficTarget* first = list->item(0);
    EXPECT_EQ(first->position().altitude, 3010.0);  // true altitude
    EXPECT_EQ(first->heading(), 100.0);             // true heading
    EXPECT_EQ(first->verticalSpeed(), 0.0);
    EXPECT_EQ(first->altitudeAboveGround(), 3010);
    EXPECT_EQ(first->groundSpeed(), 200.0);
    EXPECT_STREQ(first->atcId(), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(first->airlineWide()[0], 0);
    EXPECT_EQ(first->flightNumberWide()[0], 0);
    EXPECT_STREQ(list->item(1)->atcId(), "XYZ");
    EXPECT_STREQ(list->item(2)->atcId(), "");
    EXPECT_EQ(list->limitedMode(), 1);
}

TEST_F(TrafficListTest, AnObjectWithUnansweredReadsDoesNotInheritThePreviousOnesValues) {
    aircraft(1, 10.0);
    traffic.add(2).number("PLANE LATITUDE", "DEGREES", 20.1).number("PLANE LONGITUDE", "DEGREES", 20.2);
    auto list = makeList();
    list->setRange(40.0f);
    EXPECT_STREQ(list->item(0)->atcId(), "ID1");
    const TrafficTarget* second = list->item(1);
    EXPECT_STREQ(second->atcId(), "");
    EXPECT_EQ(second->airlineWide()[0], 0);
    EXPECT_EQ(second->flightNumberWide()[0], 0);
    EXPECT_EQ(second->position().altitude, 0.0);
    EXPECT_EQ(second->verticalSpeed(), 0.0);
    EXPECT_EQ(second->altitudeAboveGround(), 0);
    EXPECT_EQ(second->heading(), 0.0);
    EXPECT_EQ(second->groundSpeed(), 0.0);
}

TEST_F(TrafficListTest, HostTextsWithoutTerminatorStopAtTheBufferEnd) {
    aircraft(1, 10.0)
        .text("ATC ID", std::string(20, 'I'))
        .text("ATC AIRLINE", std::string(300, 'a'))
        .text("ATC FLIGHT NUMBER", std::string(256, 'f'));
    traffic.setUnterminatedTexts(true);
    auto list = makeList();
    list->setRange(40.0f);
    const TrafficTarget* target = list->item(0);
    EXPECT_EQ(std::string(target->atcId()), std::string(15, 'I'));
    EXPECT_EQ(narrowOf(target->airlineWide()), std::string(255, 'a'));
    EXPECT_EQ(narrowOf(target->flightNumberWide()), std::string(255, 'f'));
}

TEST_F(TrafficListTest, RefreshesOnlyWhenTheClockHasAdvancedByMoreThanOne) {
    aircraft(1, 10.0);
    auto list = makeList();
    list->setRange(40.0f);
    auto queriesAfterTickAt = [&](double clock) {
        panel.setClock(clock);
        const size_t before = traffic.callCount("objectsInRadius");
        list->tickUpdate();
        return traffic.callCount("objectsInRadius") - before;
    };

    EXPECT_EQ(queriesAfterTickAt(0.5), 0u);
    EXPECT_EQ(queriesAfterTickAt(1.0), 0u) << "the first refresh needs more than 1.0";
    EXPECT_EQ(queriesAfterTickAt(1.01), 1u);
    EXPECT_EQ(queriesAfterTickAt(9.0), 1u);
    EXPECT_EQ(queriesAfterTickAt(10.0), 0u) << "exactly 1.0 later is not enough";
    EXPECT_EQ(queriesAfterTickAt(10.5), 1u);
    // The clock set back is a new time base: refresh at once, count from there.
    EXPECT_EQ(queriesAfterTickAt(0.0), 1u);
    EXPECT_EQ(queriesAfterTickAt(1.0), 0u);
    EXPECT_EQ(queriesAfterTickAt(5.0), 1u);
    EXPECT_EQ(queriesAfterTickAt(5.9), 0u);
    EXPECT_EQ(queriesAfterTickAt(11.6), 1u);
    EXPECT_EQ(queriesAfterTickAt(std::numeric_limits<double>::quiet_NaN()), 0u);
    EXPECT_EQ(list->count(), 1u) << "the count is published on every tick";
    EXPECT_EQ(queriesAfterTickAt(12.7), 1u) << "a NaN clock must not poison the last refresh time";
    EXPECT_EQ(queriesAfterTickAt(std::numeric_limits<double>::infinity()), 0u);
    EXPECT_EQ(queriesAfterTickAt(13.8), 1u) << "an infinite clock must not freeze the traffic for good";
}

TEST_F(TrafficListTest, TwoListsOnScreenBothRefresh) {
    aircraft(1, 10.0);
    auto first = makeList();
    auto second = makeList();
    first->setRange(40.0f);
    second->setRange(40.0f);
    traffic.add(2);  // appears after both have been filled
    traffic.clearCalls();

    panel.setClock(2.0);
    first->tickUpdate();
    second->tickUpdate();
    EXPECT_EQ(traffic.callCount("objectsInRadius"), 2u);
    EXPECT_EQ(first->count(), 2u);
    EXPECT_EQ(second->count(), 2u);
}

TEST_F(TrafficListTest, RangeChangesRefreshAtOnceButPublishAtTheNextTick) {
    aircraft(1, 10.0);
    auto list = makeList();
    list->setRange(40.0f);
    list->tickUpdate();
    ASSERT_EQ(list->count(), 1u);

    list->setRange(40.0f);
    EXPECT_EQ(traffic.callCount("objectsInRadius"), 1u) << "an unchanged range does nothing";

    aircraft(2, 20.0);
    aircraft(3, 30.0);
    list->setRange(10.0f);
    EXPECT_EQ(traffic.callTexts()[12], "objectsInRadius(18520, 300)");
    EXPECT_STREQ(list->item(2)->atcId(), "ID3") << "records are rewritten at once";
    EXPECT_EQ(list->count(), 1u) << "but the count waits for the tick";
    list->tickUpdate();
    EXPECT_EQ(list->count(), 3u);
    EXPECT_EQ(list->queryRangeNm(), 10.0);

    // NaN never equals the stored range: it is stored and refreshes.
    list->setRange(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(traffic.callCount("objectsInRadius"), 3u);
}

TEST_F(TrafficListTest, TheFirstRangeAlwaysRefreshesEvenAtZero) {
    aircraft(1, 10.0);
    auto list = makeList();
    list->setRange(0.0f);
    EXPECT_EQ(traffic.callTexts().front(), "objectsInRadius(0, 300)");
}

TEST_F(TrafficListTest, AnEmptyAnswerKeepsRecordsButPublishesZero) {
    aircraft(1, 10.0);
    auto list = makeList();
    list->setRange(40.0f);
    list->tickUpdate();
    traffic.clearObjects();
    list->setRange(5.0f);
    EXPECT_EQ(traffic.callCount("numberValue"), 7u) << "only the first refresh read an object";
    EXPECT_STREQ(list->item(0)->atcId(), "ID1");
    list->tickUpdate();
    EXPECT_EQ(list->count(), 0u);
}

TEST_F(TrafficListTest, ItemsAreBoundedBySlotsNotByCount) {
    auto list = makeList();
    EXPECT_EQ(list->item(-1), nullptr);
    EXPECT_EQ(list->item(TrafficList::kSlots), nullptr);
    ASSERT_NE(list->item(TrafficList::kSlots - 1), nullptr);
    EXPECT_NE(list->item(TrafficList::kSlots - 1), list->item(TrafficList::kSlots - 2));
    const TrafficList& constList = *list;
    EXPECT_EQ(constList.item(TrafficList::kSlots - 1), list->item(TrafficList::kSlots - 1));
    EXPECT_EQ(constList.item(std::numeric_limits<int>::min()), nullptr);
}

TEST_F(TrafficListTest, MoreIdsThanAskedAreProcessedUpToTheSlots) {
    for (host::ObjectId id = 1; id <= 400; ++id) traffic.add(id).text("ATC ID", "T" + std::to_string(id));
    traffic.setIgnoreMaximum(true);
    auto list = makeList();
    list->setRange(40.0f);
    list->tickUpdate();
    EXPECT_EQ(list->count(), 400u);
    EXPECT_STREQ(list->item(399)->atcId(), "T400");
}

TEST_F(TrafficListTest, AReportedCountBeyondTheSlotsIsCut) {
    for (host::ObjectId id = 1; id <= TrafficList::kSlots; ++id)
        traffic.add(id).text("ATC ID", "T" + std::to_string(id));
    traffic.setIgnoreMaximum(true);
    traffic.setReportedCount(100000u);
    auto list = makeList();
    list->setRange(40.0f);
    EXPECT_EQ(traffic.callCount("limitedMode"), static_cast<size_t>(TrafficList::kSlots));
    list->tickUpdate();
    EXPECT_EQ(list->count(), static_cast<uint32_t>(TrafficList::kSlots));
    EXPECT_STREQ(list->item(TrafficList::kSlots - 1)->atcId(), "T556");
}

TEST_F(TrafficListTest, HugeHostValuesSaturateInsteadOfOverflowing) {
    aircraft(1, 10.0)
        .number("VELOCITY WORLD Y", "FEET PER MINUTE", 1e12)
        .number("PLANE ALT ABOVE GROUND", "FEET", -1e12);
    aircraft(2, 20.0)
        .number("VELOCITY WORLD Y", "FEET PER MINUTE", std::numeric_limits<double>::quiet_NaN())
        .number("PLANE ALT ABOVE GROUND", "FEET", std::numeric_limits<double>::infinity());
    auto list = makeList();
    list->setRange(40.0f);
    EXPECT_EQ(list->item(0)->verticalSpeed(), 2147483647.0);
    EXPECT_EQ(list->item(0)->altitudeAboveGround(), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(list->item(1)->verticalSpeed(), 0.0);
    EXPECT_EQ(list->item(1)->altitudeAboveGround(), std::numeric_limits<int32_t>::max());
}

TEST_F(TrafficListTest, ARefreshLeavesPaintTimesAlone) {
    aircraft(1, 10.0);
    auto list = makeList();
    list->setRange(40.0f);
    list->item(0)->setPaintTime(3.5);
    list->setRange(20.0f);
    EXPECT_EQ(list->item(0)->paintTime(), 3.5);
}

}  // namespace
}  // namespace quillon
