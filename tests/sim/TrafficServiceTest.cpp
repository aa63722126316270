// The traffic interface as the module calls it: ids of names, unit
// conversion, the radius query, texts and labels, and motion with time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "sim/Geodesy.h"
#include "sim/TrafficService.h"

namespace {

sim::Aircraft aircraftAt(const std::string& atcId, double northNm, double eastNm, double altitudeFt = 5000.0) {
    sim::Aircraft a;
    a.atcId = atcId;
    a.label = atcId + " label";
    // Near the equator a nautical mile is a minute of arc either way.
    a.latitudeDeg = northNm / 60.0;
    a.longitudeDeg = eastNm / 60.0;
    a.altitudeFt = altitudeFt;
    return a;
}

class TrafficServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::Scenario s;
        s.own = aircraftAt("OWN1", 0.0, 0.0, 9000.0);
        s.traffic.push_back(aircraftAt("FAR30", 30.0, 0.0));
        s.traffic.push_back(aircraftAt("NEAR5", 0.0, -5.0));
        s.traffic.push_back(aircraftAt("MID12", -12.0, 0.0));
        s.traffic.push_back(aircraftAt("EDGE20", 0.0, 20.0));
        service.setScenario(s);
        info = service.trafficInfo();
        deg = info->unitId("DEGREES");
        feet = info->unitId("FEET");
        fpm = info->unitId("FEET PER MINUTE");
        knots = info->unitId("KNOTS");
    }

    std::vector<host::ObjectId> query(double radiusNm, int32_t max = 300) {
        std::vector<host::ObjectId> ids(310, 0xDEADBEEF);
        uint32_t n = info->objectsInRadius(radiusNm * sim::kMetresPerNauticalMile, max, ids.data());
        EXPECT_EQ(ids[n], 0xDEADBEEFu) << "wrote past the count";
        ids.resize(n);
        return ids;
    }

    std::string atcIdOf(host::ObjectId id) { return service.find(id)->atcId; }

    double number(host::ObjectId id, const char* variable, int32_t unit, int32_t* result = nullptr) {
        double value = -12345.0;
        int32_t r = info->numberValue(id, info->variableId(variable), unit, &value, 0);
        if (result) *result = r;
        return value;
    }

    sim::CallLog log;
    sim::TrafficService service{&log};
    host::ITrafficInfo* info = nullptr;
    int32_t deg = 0, feet = 0, fpm = 0, knots = 0;
};

TEST_F(TrafficServiceTest, ProviderHandsOutTheInterfaceOnlyByItsName) {
    host::ServiceProvider* provider = service.provider();
    EXPECT_EQ(provider->getInterface("ITrafficInfo"), static_cast<void*>(service.trafficInfo()));
    EXPECT_EQ(provider->getInterface("ISomethingElse"), nullptr);
    EXPECT_EQ(provider->getInterface(nullptr), nullptr);
    service.setInterfaceAvailable(false);
    EXPECT_EQ(provider->getInterface("ITrafficInfo"), nullptr);
}

TEST_F(TrafficServiceTest, NamesGiveStableDistinctIdsAndUnknownNamesReadNothing) {
    std::vector<int32_t> ids;
    for (const std::string& name : sim::trafficVariableNames()) ids.push_back(info->variableId(name.c_str()));
    for (const std::string& name : sim::trafficUnitNames()) ids.push_back(info->unitId(name.c_str()));
    for (size_t i = 0; i < ids.size(); ++i) {
        EXPECT_NE(ids[i], sim::kUnknownVariableId);
        for (size_t k = 0; k < i; ++k) EXPECT_NE(ids[i], ids[k]);
    }
    EXPECT_EQ(info->variableId("PLANE LATITUDE"), info->variableId("PLANE LATITUDE"));
    EXPECT_EQ(info->variableId("plane latitude"), info->variableId("PLANE LATITUDE"));
    EXPECT_GE(sim::trafficVariableNames().size(), 12u);

    int32_t unknown = info->variableId("PLANE BANANA");
    double value = 7.0;
    EXPECT_EQ(info->numberValue(1, unknown, deg, &value, 0), sim::kTrafficReadFailed);
    EXPECT_EQ(info->numberValue(1, info->variableId("PLANE LATITUDE"), info->unitId("FURLONGS"), &value, 0),
              sim::kTrafficReadFailed);
    // A variable id passed where the unit belongs is not a unit.
    EXPECT_EQ(info->numberValue(1, info->variableId("PLANE LATITUDE"), info->variableId("PLANE LATITUDE"), &value, 0),
              sim::kTrafficReadFailed);
    EXPECT_EQ(value, 7.0);
}

TEST_F(TrafficServiceTest, NumbersComeInTheUnitAskedAndNonsenseIsRefused) {
    sim::Aircraft& a = *service.find(100);
    a.altitudeFt = 3000.0;
    a.groundElevationFt = 1200.0;
    a.verticalSpeedFpm = -1500.0;
    a.groundSpeedKt = 180.0;
    a.headingTrueDeg = 2.0;
    a.magneticVariationDeg = 5.0;

    EXPECT_DOUBLE_EQ(number(100, "PLANE ALTITUDE", feet), 3000.0);
    EXPECT_DOUBLE_EQ(number(100, "INDICATED ALTITUDE", feet), 3000.0);
    EXPECT_DOUBLE_EQ(number(100, "PLANE ALT ABOVE GROUND", feet), 1800.0);
    EXPECT_NEAR(number(100, "PLANE ALTITUDE", info->unitId("METERS")), 914.4, 1e-9);
    EXPECT_NEAR(number(100, "VELOCITY WORLD Y", fpm), -1500.0, 1e-9);
    EXPECT_NEAR(number(100, "VELOCITY WORLD Y", knots), -1500.0 / 101.2685914, 1e-6);
    EXPECT_NEAR(number(100, "GROUND VELOCITY", knots), 180.0, 1e-9);
    EXPECT_NEAR(number(100, "GROUND VELOCITY", fpm), 180.0 * 101.2685914, 1e-4);
    EXPECT_NEAR(number(100, "PLANE HEADING DEGREES TRUE", deg), 2.0, 1e-12);
    EXPECT_NEAR(number(100, "PLANE HEADING DEGREES MAGNETIC", deg), 357.0, 1e-12);  // wraps below north
    EXPECT_NEAR(number(100, "PLANE LATITUDE", info->unitId("RADIANS")), 0.5 * sim::kPi / 180.0, 1e-12);

    const char* nonsense[][2] = {{"PLANE ALTITUDE", "DEGREES"},
                                 {"GROUND VELOCITY", "FEET"},
                                 {"PLANE LATITUDE", "KNOTS"},
                                 {"VELOCITY WORLD Y", "FEET"},
                                 {"ATC ID", "FEET"}};
    for (auto& pair : nonsense) {
        int32_t result = -1;
        EXPECT_EQ(number(100, pair[0], info->unitId(pair[1]), &result), -12345.0) << pair[0] << " in " << pair[1];
        EXPECT_EQ(result, sim::kTrafficReadFailed) << pair[0] << " in " << pair[1];
    }
    int32_t result = -1;
    EXPECT_EQ(number(4242, "PLANE ALTITUDE", feet, &result), -12345.0);
    EXPECT_EQ(result, sim::kTrafficReadFailed);
    EXPECT_EQ(info->numberValue(100, info->variableId("PLANE ALTITUDE"), feet, nullptr, 0), sim::kTrafficReadFailed);
}

TEST_F(TrafficServiceTest, RadiusQueryListsNearestFirstWithTheOwnAircraftLeading) {
    std::vector<host::ObjectId> ids = query(25.0);
    ASSERT_EQ(ids.size(), 4u);
    EXPECT_EQ(ids[0], sim::kOwnObjectId);
    EXPECT_EQ(atcIdOf(ids[1]), "NEAR5");
    EXPECT_EQ(atcIdOf(ids[2]), "MID12");
    EXPECT_EQ(atcIdOf(ids[3]), "EDGE20");

    // The radius bounds the list: 19 NM leaves out the aircraft at 20 NM.
    EXPECT_EQ(query(19.9).size(), 3u);
    EXPECT_EQ(query(20.1).size(), 4u);
    // Even a zero radius lists the own aircraft in full mode.
    EXPECT_EQ(query(0.0), std::vector<host::ObjectId>{sim::kOwnObjectId});
}

TEST_F(TrafficServiceTest, LimitedModeLeavesOutTheOwnAircraft) {
    EXPECT_EQ(info->limitedMode(), 0);
    service.setLimitedMode(true);
    EXPECT_NE(info->limitedMode(), 0);
    std::vector<host::ObjectId> ids = query(100.0);
    ASSERT_EQ(ids.size(), 4u);
    EXPECT_EQ(atcIdOf(ids[0]), "NEAR5");
    EXPECT_EQ(atcIdOf(ids[3]), "FAR30");
    for (host::ObjectId id : ids) EXPECT_NE(id, sim::kOwnObjectId);
}

TEST_F(TrafficServiceTest, RadiusQueryHonoursTheMaximumAndRefusesBadArguments) {
    std::vector<host::ObjectId> two = query(100.0, 2);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0], sim::kOwnObjectId);
    EXPECT_EQ(atcIdOf(two[1]), "NEAR5");
    EXPECT_EQ(query(100.0, 1), std::vector<host::ObjectId>{sim::kOwnObjectId});
    EXPECT_TRUE(query(100.0, 0).empty());
    EXPECT_TRUE(query(100.0, -3).empty());
    EXPECT_TRUE(query(-1.0).empty());
    EXPECT_TRUE(query(std::nan("")).empty());
    EXPECT_EQ(info->objectsInRadius(1e6, 300, nullptr), 0u);

    // Many aircraft: the cap holds and the order stays nearest first.
    for (int i = 0; i < 400; ++i) service.addAircraft(aircraftAt("M" + std::to_string(i), 0.01 * i, 1.0));
    std::vector<host::ObjectId> capped = query(100.0, 300);
    ASSERT_EQ(capped.size(), 300u);
    double previous = -1.0;
    for (size_t i = 1; i < capped.size(); ++i) {
        double d = service.distanceFromOwnMetres(*service.find(capped[i]));
        EXPECT_GE(d, previous);
        previous = d;
    }
}

TEST_F(TrafficServiceTest, TextsFitTheBufferAndArriveInTheHostCodePage) {
    sim::Aircraft& a = *service.find(100);
    a.atcId = "DLH4AB";
    a.airline = "Aer\xC3\xB3l\xC3\xADneas \xE2\x82\xAC";  // "Aerólíneas €" in UTF-8
    int32_t atc = info->variableId("ATC ID");
    int32_t airline = info->variableId("ATC AIRLINE");

    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(info->stringValue(100, atc, buffer, 4, 0), sim::kTrafficReadOk);
    EXPECT_STREQ(buffer, "DLH");
    EXPECT_EQ(buffer[4], 'x') << "wrote past the buffer size";

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(info->stringValue(100, atc, buffer, 1, 0), sim::kTrafficReadOk);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'x');

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(info->stringValue(100, atc, buffer, 0, 0), sim::kTrafficReadFailed);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(info->stringValue(100, atc, nullptr, 16, 0), sim::kTrafficReadFailed);
    EXPECT_EQ(info->stringValue(100, info->variableId("PLANE ALTITUDE"), buffer, 16, 0), sim::kTrafficReadFailed);
    EXPECT_EQ(info->stringValue(9999, atc, buffer, 16, 0), sim::kTrafficReadFailed);

    char wide[256];
    EXPECT_EQ(info->stringValue(100, airline, wide, sizeof wide, 0), sim::kTrafficReadOk);
    EXPECT_STREQ(wide, "Aer\xF3l\xEDneas \x80");
}

TEST_F(TrafficServiceTest, LabelsStayPutPerObject) {
    const char* first = info->objectLabel(100);
    EXPECT_STREQ(first, "FAR30 label");
    info->objectLabel(101);
    EXPECT_EQ(info->objectLabel(100), first);
    EXPECT_STREQ(first, "FAR30 label");
    const char* unknown = info->objectLabel(4242);
    ASSERT_NE(unknown, nullptr);
    EXPECT_STREQ(unknown, "");
}

TEST_F(TrafficServiceTest, EveryCallIsLoggedWithItsArguments) {
    log.clear();
    number(100, "PLANE ALTITUDE", feet);
    query(10.0);
    info->limitedMode();
    ASSERT_EQ(log.count(sim::Call::NumberValue), 1u);
    sim::CallRecord read = log.of(sim::Call::NumberValue)[0];
    EXPECT_EQ(read.id, 100);
    EXPECT_EQ(read.text, "PLANE ALTITUDE");
    EXPECT_EQ(read.unit, "FEET");
    EXPECT_EQ(read.result, 5000.0);
    sim::CallRecord radius = log.of(sim::Call::ObjectsInRadius)[0];
    EXPECT_DOUBLE_EQ(radius.numbers[0], 10.0 * 1852.0);
    EXPECT_EQ(radius.numbers[1], 300.0);
    EXPECT_EQ(log.count(sim::Call::LimitedMode), 1u);

    // Counting without keeping records, then not even counting.
    size_t kept = log.records().size();
    log.setKeepRecords(false);
    number(100, "PLANE ALTITUDE", feet);
    EXPECT_EQ(log.count(sim::Call::NumberValue), 2u);
    EXPECT_EQ(log.records().size(), kept);
    EXPECT_EQ(log.total(), kept + 2);  // the id lookup and the read
    log.setEnabled(false);
    number(100, "PLANE ALTITUDE", feet);
    EXPECT_EQ(log.count(sim::Call::NumberValue), 2u);
}

TEST(TrafficMotion, DeadReckoningFollowsHeadingSpeedAndVerticalSpeed) {
    sim::Aircraft east = aircraftAt("E", 0.0, 0.0, 10000.0);
    east.headingTrueDeg = 90.0;
    east.groundSpeedKt = 360.0;
    east.verticalSpeedFpm = -600.0;
    sim::Aircraft stepped = east;
    east.advance(600.0);  // ten minutes: 60 NM, one degree of longitude on the equator
    EXPECT_NEAR(east.longitudeDeg, 1.0, 1e-9);
    EXPECT_NEAR(east.latitudeDeg, 0.0, 1e-9);
    EXPECT_NEAR(east.altitudeFt, 4000.0, 1e-9);
    // Frame by frame it ends in the same place.
    for (int i = 0; i < 600 * 18; ++i) stepped.advance(1.0 / 18.0);
    EXPECT_NEAR(stepped.longitudeDeg, 1.0, 1e-6);
    EXPECT_NEAR(stepped.altitudeFt, 4000.0, 1e-6);

    sim::Aircraft north = aircraftAt("N", 50.0 * 60.0, 8.0 * 60.0, 2000.0);
    north.groundElevationFt = 1500.0;
    north.groundSpeedKt = 120.0;
    north.verticalSpeedFpm = -1000.0;
    north.advance(60.0);  // two NM north; the descent stops at the ground
    EXPECT_NEAR(north.latitudeDeg, 50.0 + 2.0 / 60.0, 1e-9);
    EXPECT_NEAR(north.longitudeDeg, 8.0, 1e-9);
    EXPECT_DOUBLE_EQ(north.altitudeFt, 1500.0);
}

TEST(TrafficMotion, CrossingTheDateLineWrapsTheLongitude) {
    sim::Aircraft a = aircraftAt("W", 0.0, 179.9 * 60.0);
    a.headingTrueDeg = 90.0;
    a.groundSpeedKt = 600.0;
    a.advance(60.0);  // ten NM east
    EXPECT_NEAR(a.longitudeDeg, 179.9 + 10.0 / 60.0 - 360.0, 1e-9);
}

TEST(TrafficMotion, ServiceMovesEveryAircraftWithTime) {
    sim::TrafficService service;
    sim::Scenario s;
    s.own = aircraftAt("OWN", 0.0, 0.0);
    s.own.headingTrueDeg = 0.0;
    s.own.groundSpeedKt = 60.0;
    s.traffic.push_back(aircraftAt("T", 0.0, 10.0));
    s.traffic.back().headingTrueDeg = 270.0;
    s.traffic.back().groundSpeedKt = 120.0;
    service.setScenario(s);
    service.advance(300.0);  // own 5 NM north, traffic 10 NM west: right above the own start point
    EXPECT_NEAR(service.own().latitudeDeg, 5.0 / 60.0, 1e-9);
    EXPECT_NEAR(service.find(100)->longitudeDeg, 0.0, 1e-9);
    EXPECT_NEAR(service.distanceFromOwnMetres(*service.find(100)), 5.0 * 1852.0, 1e-3);
}

}  // namespace
