// Traffic advisories over scripted encounters, one refresh per second of
// host clock: where advisories start and end against the thresholds, the
// closest approach against straight-line geometry, the summary, and hostile
// clocks, identifiers and values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/PanelServices.h"
#include "tests/support/FakePanel.h"
#include "tests/support/ScriptedTraffic.h"
#include "module/PanelTableCalls.h"
#include "traffic/TrafficAdvisories.h"

namespace quillon {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kReferenceLatitude = 50.0;
constexpr double kReferenceLongitude = 8.0;

// An aircraft in straight flight, placed in NM east and north of a fixed
// point at clock 0.
struct Flight {
    std::string id;
    double east, north;
    double trackDeg, speedKt;
    double altitudeFt, climbFpm = 0.0;
    double groundFt = 0.0;

    double eastAt(double t) const { return east + speedKt * t / 3600.0 * std::sin(trackDeg * kPi / 180.0); }
    double northAt(double t) const { return north + speedKt * t / 3600.0 * std::cos(trackDeg * kPi / 180.0); }
    double altitudeAt(double t) const { return altitudeFt + climbFpm * t / 60.0; }
    Position positionAt(double t) const {
        const double latitude = kReferenceLatitude + northAt(t) / 60.0;
        return {latitude, kReferenceLongitude + eastAt(t) / (60.0 * std::cos(latitude * kPi / 180.0)), altitudeAt(t)};
    }
};

class Encounter {
public:
    Encounter(Flight own, std::vector<Flight> others) : own_(std::move(own)), others_(std::move(others)) {
        targets_.resize(others_.size());
        for (size_t i = 0; i < others_.size(); ++i) targets_[i].setAtcId(others_[i].id.c_str());
    }

    void refresh(double clock) { refreshAt(clock, clock); }
    // The aircraft where they are at one time, the clock reading another.
    void refreshAt(double time, double clock) {
        for (size_t i = 0; i < others_.size(); ++i) {
            const Position p = others_[i].positionAt(time);
            targets_[i].setPosition(p.latitude, p.longitude, p.altitude);
            targets_[i].setAltitudeAboveGround(static_cast<int32_t>(p.altitude - others_[i].groundFt));
        }
        const Position p = own_.positionAt(time);
        advisories.update(OwnAircraft{p, ownHeadingDeg.value_or(own_.trackDeg), p.altitude - own_.groundFt},
                          targets_.data(), 0, static_cast<int>(targets_.size()), clock);
    }

    AdvisoryClass classOf(int slot) const { return advisories.classOf(slot); }
    bool advisory(int slot) const { return classOf(slot) == AdvisoryClass::kTrafficAdvisory; }
    double eastOf(int slot, double t) const { return others_[slot].eastAt(t) - own_.eastAt(t); }
    double northOf(int slot, double t) const { return others_[slot].northAt(t) - own_.northAt(t); }
    double distanceOf(int slot, double t) const { return std::hypot(eastOf(slot, t), northOf(slot, t)); }
    double heightOf(int slot, double t) const { return others_[slot].altitudeAt(t) - own_.altitudeAt(t); }

    // The distance at the first refresh that finds slot 0 an advisory; NaN
    // if none within the time given.
    double onsetDistance(double seconds) {
        for (double t = 0.0; t <= seconds; t += 1.0) {
            refresh(t);
            if (advisory(0)) return distanceOf(0, t);
        }
        return kNaN;
    }

    Flight own_;
    std::vector<Flight> others_;
    std::optional<double> ownHeadingDeg;  // the track unless set
    std::vector<TrafficTarget> targets_;
    std::unique_ptr<TrafficAdvisories> storage_ = std::make_unique<TrafficAdvisories>();  // 200 KB
    TrafficAdvisories& advisories = *storage_;
};

// At 8,000 ft: sensitivity level 5 (tau 40 s, DMOD 0.75 NM, ZTHR 850 ft).
Flight ownNorthbound(double speedKt = 250.0) { return {"OWN", 0.0, 0.0, 0.0, speedKt, 8000.0}; }

TEST(TrafficAdvisoriesTest, RangeTestStartsAdvisoriesAtTheModifiedTauDistance) {
    // Head-on, 250 kt each: (r - DMOD^2 / r) / closure = tau at 5.66 NM.
    Encounter headOn({"OWN", 0.0, 0.0, 90.0, 250.0, 8000.0}, {{"HEAD", 7.0, 0.0, 270.0, 250.0, 8000.0}});
    EXPECT_NEAR(headOn.onsetDistance(60.0), 5.66, 0.14);

    // Overtaking a slower aircraft ahead at 20 kt closure: 0.87 NM.
    Encounter overtaking(ownNorthbound(250.0), {{"SLOW", 0.0, 1.2, 0.0, 230.0, 8000.0}});
    EXPECT_NEAR(overtaking.onsetDistance(200.0), 0.87, 0.01);
}

TEST(TrafficAdvisoriesTest, VerticalTestNeedsConvergenceBeyondTheThreshold) {
    // Within DMOD, one descending at 3,000 ft/min from 2,300 ft above: tau
    // of 40 s reached at 2,000 ft. The other level 1,500 ft above: never.
    Encounter encounter(ownNorthbound(),
                        {{"DESC", 0.0, 0.5, 0.0, 250.0, 10300.0, -3000.0}, {"LEVEL", 0.3, 0.0, 0.0, 250.0, 9500.0}});
    double onsetHeight = kNaN;
    for (double t = 0.0; t <= 20.0 && std::isnan(onsetHeight); t += 1.0) {
        encounter.refresh(t);
        if (encounter.advisory(0)) onsetHeight = encounter.heightOf(0, t);
        EXPECT_EQ(encounter.classOf(1), AdvisoryClass::kNone) << "at " << t;
    }
    EXPECT_NEAR(onsetHeight, 2000.0, 50.0);
}

TEST(TrafficAdvisoriesTest, ProximateWithinSixMilesAndTwelveHundredFeet) {
    Encounter encounter(ownNorthbound(), {{"NEAR", 5.9, 0.0, 0.0, 250.0, 9100.0},
                                          {"BELOW", -3.0, 0.0, 0.0, 250.0, 6900.0},
                                          {"FAR", 0.0, -6.1, 0.0, 250.0, 8000.0},
                                          {"HIGH", 3.0, 0.0, 0.0, 250.0, 9300.0}});
    for (double t = 0.0; t <= 5.0; t += 1.0) {  // from the first sight, no rate needed
        encounter.refresh(t);
        EXPECT_EQ(encounter.classOf(0), AdvisoryClass::kProximate);
        EXPECT_EQ(encounter.classOf(1), AdvisoryClass::kProximate);
        EXPECT_EQ(encounter.classOf(2), AdvisoryClass::kNone);
        EXPECT_EQ(encounter.classOf(3), AdvisoryClass::kNone);
        EXPECT_EQ(encounter.advisories.summary().level, 1);
        EXPECT_EQ(encounter.advisories.summary().count, 0);
    }
}

TEST(TrafficAdvisoriesTest, AdvisoryHeldFourSecondsAfterTheTestsStopPassing) {
    // Within DMOD, climbing away at 3,000 ft/min: the vertical test fails
    // from 850 ft above (t = 17); proximate again once the hold is over.
    Encounter encounter(ownNorthbound(), {{"CLIMB", 0.3, 0.0, 0.0, 250.0, 8000.0, 3000.0}});
    const double firstFailing = 17.0;
    for (double t = 0.0; t <= 24.0; t += 1.0) {
        encounter.refresh(t);
        const AdvisoryClass expected = t == 0.0                     ? AdvisoryClass::kProximate  // no rate yet
                                       : t < firstFailing + 4.0 ? AdvisoryClass::kTrafficAdvisory
                                                                : AdvisoryClass::kProximate;
        EXPECT_EQ(encounter.classOf(0), expected) << "at " << t;
    }
}

// An aircraft is new to the voice when it becomes an advisory: not while it
// stays one or is held, nor when it comes back within the hold time of its
// last advisory; after that long clear, it is new again.
TEST(TrafficAdvisoriesTest, NewOnlyWhenClearForTheHoldTimeBefore) {
    Encounter encounter(ownNorthbound(), {{"CLIMB", 0.3, 0.0, 0.0, 250.0, 8000.0, 3000.0}});
    int announced = 0;
    const auto refreshAt = [&](double time, double clock) {
        encounter.refreshAt(time, clock);
        announced += encounter.advisories.newAdvisories();
    };
    for (double t = 0.0; t <= 22.0; t += 1.0) refreshAt(t, t);  // advisory from 1 s, held until 21 s
    EXPECT_EQ(announced, 1);
    ASSERT_FALSE(encounter.advisory(0));
    refreshAt(12.0, 23.0);  // 600 ft above again: an advisory 3 s after the last
    ASSERT_TRUE(encounter.advisory(0));
    EXPECT_EQ(announced, 1) << "back within the hold time";
    for (double clock = 24.0; clock <= 30.0; clock += 1.0) refreshAt(18.0 + clock - 24.0, clock);  // held, then clear
    ASSERT_FALSE(encounter.advisory(0));
    refreshAt(12.0, 36.0);
    ASSERT_TRUE(encounter.advisory(0));
    EXPECT_EQ(announced, 2) << "clear for longer than the hold time";
}

TEST(TrafficAdvisoriesTest, NoAlertsOnOrNearTheGround) {
    const Flight headOn{"HEAD", 0.0, 3.0, 180.0, 250.0, 8000.0};
    Flight groundTarget = headOn;
    groundTarget.groundFt = 7900.0;  // 100 ft above a ridge
    Flight ownOnGround = ownNorthbound();
    ownOnGround.groundFt = 7900.0;
    Encounter targetLow(ownNorthbound(), {groundTarget});
    Encounter ownLow(ownOnGround, {headOn});
    for (double t = 0.0; t <= 15.0; t += 1.0) {
        targetLow.refresh(t);
        ownLow.refresh(t);
        EXPECT_EQ(targetLow.classOf(0), AdvisoryClass::kNone);
        EXPECT_EQ(ownLow.classOf(0), AdvisoryClass::kNone);
        EXPECT_EQ(ownLow.advisories.summary().level, 0);
    }
    // Just above the limit the same encounter alerts.
    Flight ownLowButAirborne = ownNorthbound();
    ownLowButAirborne.groundFt = 7899.0;
    Encounter ownAirborne(ownLowButAirborne, {headOn});
    EXPECT_FALSE(std::isnan(ownAirborne.onsetDistance(15.0)));
}

TEST(TrafficAdvisoriesTest, ClosestApproachAndSummaryFollowStraightLineMotion) {
    // A: head-on 0.2 NM off the nose; B: crossing from the right, 400 ft
    // above, passing about 0.3 NM behind.
    Encounter encounter(ownNorthbound(300.0), {{"HEAD", 0.2, 5.0, 180.0, 200.0, 8000.0},
                                               {"CROSS", 4.0, 4.6, 270.0, 240.0, 8440.0}});
    auto analytic = [&](int slot, double t, double& seconds, double& miss) {
        const double ve = encounter.eastOf(slot, t + 1.0) - encounter.eastOf(slot, t);  // per second
        const double vn = encounter.northOf(slot, t + 1.0) - encounter.northOf(slot, t);
        const double e = encounter.eastOf(slot, t), n = encounter.northOf(slot, t);
        seconds = -(e * ve + n * vn) / (ve * ve + vn * vn);
        miss = std::hypot(e + ve * seconds, n + vn * seconds);
    };
    int bothSeen = 0;
    for (double t = 0.0; t <= 45.0; t += 1.0) {
        encounter.refresh(t);
        for (int slot = 0; slot < 2; ++slot) {
            double seconds = 0.0, miss = 0.0, expectedSeconds = 0.0, expectedMiss = 0.0;
            if (!encounter.advisories.closestApproachOf(slot, seconds, miss)) continue;
            analytic(slot, t, expectedSeconds, expectedMiss);
            if (expectedSeconds <= 0.0) continue;  // past it
            EXPECT_NEAR(seconds, expectedSeconds, 1.0) << "slot " << slot << " at " << t;
            EXPECT_NEAR(miss, expectedMiss, 0.05) << "slot " << slot << " at " << t;
        }
        const AdvisorySummary& summary = encounter.advisories.summary();
        if (!encounter.advisory(0) || !encounter.advisory(1) || t == 36.0) continue;
        ++bothSeen;
        EXPECT_EQ(summary.level, 2);
        EXPECT_EQ(summary.count, 2);
        // The head-on one reaches its closest approach first, at 36 s;
        // once past it, the crossing one still ahead is the most urgent.
        const int urgent = t < 36.0 ? 0 : 1;
        ASSERT_EQ(summary.slot, urgent) << "at " << t;
        EXPECT_NEAR(summary.distanceNm, encounter.distanceOf(urgent, t), 0.01);
        EXPECT_EQ(summary.relativeAltitudeFeet, urgent == 0 ? 0.0 : 400.0);
        EXPECT_FALSE(std::signbit(summary.relativeAltitudeFeet));  // a panel would print "-0"
        double expectedSeconds = 0.0, expectedMiss = 0.0;
        analytic(urgent, t, expectedSeconds, expectedMiss);
        EXPECT_NEAR(summary.closestTimeSeconds, expectedSeconds, 1.0);
        EXPECT_NEAR(summary.closestDistanceNm, expectedMiss, 0.05);
        const double bearing = std::atan2(encounter.eastOf(urgent, t), encounter.northOf(urgent, t)) * 180.0 / kPi;
        const int hour = static_cast<int>(std::lround(std::fmod(bearing + 360.0, 360.0) / 30.0)) % 12;
        EXPECT_EQ(summary.clock, hour == 0 ? 12 : hour) << "at " << t;
    }
    EXPECT_GT(bothSeen, 15);
}

TEST(TrafficAdvisoriesTest, HostileClocksNeverMakeOrKeepAnAdvisoryWithoutARate) {
    // Within DMOD and co-altitude: an advisory at every refresh with a rate.
    Encounter encounter(ownNorthbound(), {{"NEAR", 0.3, 0.0, 0.0, 250.0, 8000.0}});
    encounter.refresh(0.0);
    encounter.refresh(1.0);
    ASSERT_TRUE(encounter.advisory(0));
    encounter.refresh(1.0);  // no time passed: nothing to measure, nothing lost
    EXPECT_TRUE(encounter.advisory(0));
    encounter.refresh(0.5);  // set back: a new time base, no rate, no hold
    EXPECT_EQ(encounter.classOf(0), AdvisoryClass::kProximate);
    encounter.refresh(1.5);
    EXPECT_TRUE(encounter.advisory(0));
    for (double hostile : {kNaN, std::numeric_limits<double>::infinity(), -1e300}) {
        encounter.refreshAt(1.5, hostile);
        EXPECT_EQ(encounter.classOf(0), hostile == -1e300 ? AdvisoryClass::kProximate : AdvisoryClass::kNone);
        EXPECT_EQ(encounter.advisories.summary().count, 0);
    }
    encounter.refresh(2.0);
    encounter.refresh(3.0);
    EXPECT_TRUE(encounter.advisory(0));
}

TEST(TrafficAdvisoriesTest, AnIdentifierNamingAnotherAircraftGivesNoRate) {
    // "X" closes head-on from 10 NM, then the identifier names an aircraft
    // keeping pace 1.5 NM ahead, a full refresh later or a forced one 0.2 s
    // later: measured across the two, or with the old rate kept, it would
    // close fast enough for an advisory.
    for (double switchTime : {3.0, 3.2}) {
        Encounter reused(ownNorthbound(), {{"X", 0.0, 10.0, 180.0, 250.0, 8000.0}});
        for (double t : {0.0, 1.0, 2.0, 3.0, switchTime, switchTime + 1.0, switchTime + 2.0}) {
            if (t == switchTime) reused.others_[0] = {"X", 0.0, 1.5, 0.0, 250.0, 8000.0};
            reused.refresh(t);
            EXPECT_NE(reused.classOf(0), AdvisoryClass::kTrafficAdvisory) << switchTime << ", at " << t;
        }
    }
    // Two aircraft share "DUP" and the host lists them in turn in either
    // order: matched by identifier they would seem to close at 0.8 NM/s.
    Encounter shared(ownNorthbound(),
                     {{"DUP", 0.0, 1.5, 0.0, 250.0, 8000.0}, {"DUP", 0.0, 2.3, 0.0, 250.0, 8000.0}});
    for (double t = 0.0; t <= 6.0; t += 1.0) {
        std::swap(shared.others_[0], shared.others_[1]);
        shared.refresh(t);
        EXPECT_NE(shared.classOf(0), AdvisoryClass::kTrafficAdvisory) << "at " << t;
        EXPECT_NE(shared.classOf(1), AdvisoryClass::kTrafficAdvisory) << "at " << t;
    }
}

TEST(TrafficAdvisoriesTest, NonFiniteOrAbsurdValuesNeverAlert) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    for (const char* what : {"target latitude", "target altitude", "own altitude", "own height", "absurd position"}) {
        Encounter encounter(ownNorthbound(), {{"NEAR", 0.3, 0.0, 0.0, 250.0, 8000.0}});
        std::string name = what;
        for (double t = 0.0; t <= 3.0; t += 1.0) {
            const Position own = encounter.own_.positionAt(t);
            const Position target = encounter.others_[0].positionAt(t);
            TrafficTarget& slot = encounter.targets_[0];
            slot.setPosition(name == "target latitude" ? kNaN : name == "absurd position" ? 1e30 * t : target.latitude,
                             target.longitude, name == "target altitude" ? kInfinity : target.altitude);
            slot.setAltitudeAboveGround(8000);
            slot.setGroundSpeed(1e30);
            slot.setVerticalSpeed(-1e30);
            OwnAircraft ownAircraft{own, 0.0, name == "own height" ? kNaN : 8000.0};
            if (name == "own altitude") ownAircraft.position.altitude = kNaN;
            encounter.advisories.update(ownAircraft, encounter.targets_.data(), 0, 1, t);
            EXPECT_NE(encounter.classOf(0), AdvisoryClass::kTrafficAdvisory) << what << " at " << t;
        }
    }
    // An unknown own heading leaves the advisory but no clock position.
    Encounter encounter(ownNorthbound(), {{"NEAR", 0.3, 0.0, 0.0, 250.0, 8000.0}});
    encounter.ownHeadingDeg = kNaN;
    encounter.refresh(0.0);
    encounter.refresh(1.0);
    EXPECT_TRUE(encounter.advisory(0));
    EXPECT_EQ(encounter.advisories.summary().clock, 0);
    // Slots outside the list are left alone.
    encounter.advisories.update(OwnAircraft{}, nullptr, 0, 100000, 2.0);
    encounter.advisories.update(OwnAircraft{}, encounter.targets_.data(), 5, 1, 3.0);
    EXPECT_EQ(encounter.advisories.summary().level, 0);
}

// Fed from the traffic list: once per refresh, the own aircraft first in
// full mode and carrying the height above ground.
TEST(TrafficAdvisoriesTest, FedFromTheListOncePerRefresh) {
    testing::FakePanel panel;
    testing::ScriptedTraffic traffic;
    panel.offerTrafficInfo(&traffic);
    panel.setModuleVariable(host::kVarOwnLatitude, kReferenceLatitude * 40007000.0 / 360.0);
    panel.setModuleVariable(host::kVarOwnLongitude, kReferenceLongitude * 281474976710656.0 / 360.0);
    panel.setModuleVariable(host::kVarOwnAltitudeMetres, 8000.0 / 3.2808);
    auto object = [&](host::ObjectId id, const char* atcId, double north, double heightAboveGround) {
        traffic.add(id)
            .number("PLANE LATITUDE", "DEGREES", kReferenceLatitude + north / 60.0)
            .number("PLANE LONGITUDE", "DEGREES", kReferenceLongitude)
            .number("INDICATED ALTITUDE", "FEET", 8000.0)
            .number("PLANE ALT ABOVE GROUND", "FEET", heightAboveGround)
            .text("ATC ID", atcId);
    };
    object(1, "OWN", 0.0, 5000.0);
    object(2, "NEAR", 0.4, 5000.0);
    auto list = std::make_unique<TrafficList>(modulePanelCalls());
    auto advisories = std::make_unique<TrafficAdvisories>();
    list->setRange(40.0f);
    list->tickUpdate();

    EXPECT_TRUE(advisories->update(modulePanelCalls(), *list, 0.0));
    EXPECT_EQ(advisories->classOf(0), AdvisoryClass::kNone);  // the own aircraft
    EXPECT_EQ(advisories->classOf(1), AdvisoryClass::kProximate);
    EXPECT_FALSE(advisories->update(modulePanelCalls(), *list, 1.0));  // not refreshed since
    list->refresh();
    ASSERT_TRUE(advisories->update(modulePanelCalls(), *list, 1.0));
    EXPECT_EQ(advisories->classOf(1), AdvisoryClass::kTrafficAdvisory);

    traffic.objects()[0].number("PLANE ALT ABOVE GROUND", "FEET", 80.0);  // own aircraft on the ground
    list->refresh();
    ASSERT_TRUE(advisories->update(modulePanelCalls(), *list, 2.0));
    EXPECT_EQ(advisories->classOf(1), AdvisoryClass::kNone);

    // Limited mode lists no own aircraft; the own altitude stands for its
    // height above the ground. The label names the same aircraft, so it
    // keeps its rate across the switch.
    traffic.clearObjects();
    traffic.setLimitedMode(1);
    traffic.add(3, "NEAR")
        .number("PLANE LATITUDE", "DEGREES", kReferenceLatitude + 0.4 / 60.0)
        .number("PLANE LONGITUDE", "DEGREES", kReferenceLongitude)
        .number("PLANE ALTITUDE", "FEET", 8000.0);
    list->refresh();
    list->tickUpdate();  // the count: one aircraft
    ASSERT_TRUE(advisories->update(modulePanelCalls(), *list, 3.0));
    EXPECT_EQ(advisories->classOf(0), AdvisoryClass::kTrafficAdvisory);
}

}  // namespace
}  // namespace quillon
