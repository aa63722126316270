// Scenario files: the built-in default and the messages for malformed files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/Geodesy.h"
#include "sim/ScenarioLoader.h"

namespace {

std::string aircraftJson(const std::string& atcId, const std::string& extra = "") {
    return R"({"atc_id": ")" + atcId +
           R"(", "latitude_deg": 50.0, "longitude_deg": 8.5, "altitude_ft": 5000, "heading_true_deg": 90,
               "ground_speed_kt": 200)" +
           extra + "}";
}

std::string scenarioJson(const std::string& aircraftList, const std::string& top = "") {
    return "{" + top + R"("own": )" + aircraftJson("OWN1") + R"(, "aircraft": [)" + aircraftList + "]}";
}

std::string errorOf(const std::string& json, const std::string& source = "scenario.json") {
    try {
        sim::parseScenario(json, source);
    } catch (const sim::ScenarioError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(ScenarioLoader, ReadsEveryFieldAndFillsDefaults) {
    std::string json = scenarioJson(
        aircraftJson("DLH4AB", R"(, "airline": "Lufthansa", "flight_number": "4AB", "label": "DLH4AB A320",
                                  "ground_elevation_ft": 364, "vertical_speed_fpm": -800, "object_id": 77,
                                  "magnetic_variation_deg": -2.0, "_role": "comment")") +
            "," + aircraftJson("BAW1"),
        R"("name": "Test", "limited_mode": true, "magnetic_variation_deg": 3.5, "_comment": "x", )");
    sim::Scenario s = sim::parseScenario(json, "scenario.json");
    EXPECT_EQ(s.name, "Test");
    EXPECT_TRUE(s.limitedMode);
    ASSERT_EQ(s.traffic.size(), 2u);
    const sim::Aircraft& a = s.traffic[0];
    EXPECT_EQ(a.objectId, 77u);
    EXPECT_EQ(a.airline, "Lufthansa");
    EXPECT_EQ(a.flightNumber, "4AB");
    EXPECT_EQ(a.label, "DLH4AB A320");
    EXPECT_DOUBLE_EQ(a.groundElevationFt, 364.0);
    EXPECT_DOUBLE_EQ(a.verticalSpeedFpm, -800.0);
    EXPECT_DOUBLE_EQ(a.magneticVariationDeg, -2.0);
    // Defaults: label is the ATC id, variation the scenario's, no id yet.
    const sim::Aircraft& b = s.traffic[1];
    EXPECT_EQ(b.label, "BAW1");
    EXPECT_EQ(b.airline, "");
    EXPECT_DOUBLE_EQ(b.magneticVariationDeg, 3.5);
    EXPECT_DOUBLE_EQ(b.groundElevationFt, 0.0);
    EXPECT_EQ(b.objectId, 0u);
    EXPECT_EQ(s.own.atcId, "OWN1");
}

TEST(ScenarioLoader, MessagesNameTheFileTheAircraftAndTheField) {
    std::string good = aircraftJson("AAA1");
    struct Case {
        std::string json;
        std::string expected;
    };
    const Case cases[] = {
        {scenarioJson(good + "," + good + "," + good + "," +
                      R"({"atc_id": "DLH4AB", "latitude_deg": 50, "longitude_deg": 8, "altitude_ft": "high",
                          "heading_true_deg": 1, "ground_speed_kt": 1})"),
         "scenario.json: aircraft[3] (DLH4AB): field 'altitude_ft' must be a number"},
        {scenarioJson(R"({"atc_id": "X1", "latitude_deg": 50, "longitude_deg": 8, "altitude_ft": 1,
                          "heading_true_deg": 1})"),
         "scenario.json: aircraft[0] (X1): field 'ground_speed_kt' is missing"},
        {scenarioJson(aircraftJson("X2", R"(, "altitde_ft": 3)")),
         "scenario.json: aircraft[0] (X2): unknown field 'altitde_ft'"},
        {scenarioJson(aircraftJson("X3", R"(, "ground_elevation_ft": 6000)")),
         "scenario.json: aircraft[0] (X3): field 'altitude_ft' (5000) is below 'ground_elevation_ft' (6000)"},
        {scenarioJson(R"({"atc_id": "X4", "latitude_deg": 91, "longitude_deg": 8, "altitude_ft": 1,
                          "heading_true_deg": 1, "ground_speed_kt": 1})"),
         "scenario.json: aircraft[0] (X4): field 'latitude_deg' must lie between -90 and 90, got 91"},
        {scenarioJson(R"({"latitude_deg": 50})"), "scenario.json: aircraft[0]: field 'atc_id' is missing"},
        {scenarioJson("17"), "scenario.json: aircraft[0]: must be an object"},
        {scenarioJson(aircraftJson("X5", R"(, "object_id": 9)") + "," + aircraftJson("X6", R"(, "object_id": 9)")),
         "scenario.json: aircraft[1] (X6): field 'object_id' repeats id 9"},
        {scenarioJson(aircraftJson("X7", R"(, "object_id": -4)")),
         "scenario.json: aircraft[0] (X7): field 'object_id' must be an integer"},
        {scenarioJson("", R"("limited_mode": 1, )"), "scenario.json: field 'limited_mode' must be true or false"},
        {R"({"aircraft": []})", "scenario.json: field 'own' is missing"},
        {R"({"own": )" + good + "}", "scenario.json: field 'aircraft' is missing"},
        {R"({"own": )" + good + R"(, "aircraft": {}})", "scenario.json: field 'aircraft' must be an array"},
        {R"({"own": {"atc_id": "ME", "latitude_deg": 50}, "aircraft": []})",
         "scenario.json: own (ME): field 'longitude_deg' is missing"},
        {"[1, 2]", "scenario.json: the scenario must be a JSON object"},
        {R"({"own": )", "scenario.json: not valid JSON"},
    };
    for (const Case& c : cases) {
        std::string message = errorOf(c.json);
        EXPECT_EQ(message.rfind(c.expected, 0), 0u) << "got:      " << message << "\nexpected: " << c.expected;
    }
}

TEST(ScenarioLoader, RejectsNegativeSpeedsAndNonFiniteNumbers) {
    std::string negative = scenarioJson(R"({"atc_id": "N1", "latitude_deg": 50, "longitude_deg": 8,
        "altitude_ft": 1, "heading_true_deg": 1, "ground_speed_kt": -5})");
    EXPECT_NE(errorOf(negative).find("aircraft[0] (N1): field 'ground_speed_kt' must lie between 0"),
              std::string::npos)
        << errorOf(negative);
    // 1e999 is read as infinity by JSON parsers that accept it.
    std::string huge = scenarioJson(aircraftJson("N2", R"(, "vertical_speed_fpm": 1e999)"));
    EXPECT_NE(errorOf(huge), "(no error)");
}

TEST(ScenarioLoader, MissingFileIsReportedWithItsPath) {
    try {
        sim::loadScenarioFile("/nonexistent/traffic.json");
        FAIL() << "no error";
    } catch (const sim::ScenarioError& e) {
        EXPECT_EQ(std::string(e.what()), "/nonexistent/traffic.json: cannot open the file");
    }
}

TEST(ScenarioLoader, EmbeddedDefaultIsTheFileInTheSourceTree) {
    std::ifstream in(std::string(QUILLON_SOURCE_DIR) + "/scenarios/default.json", std::ios::binary);
    ASSERT_TRUE(in);
    std::ostringstream file;
    file << in.rdbuf();
    EXPECT_EQ(sim::defaultScenarioJson(), file.str());
}

// The default scenario promises a busy terminal area; this keeps it so
// when someone edits the file.
TEST(ScenarioLoader, DefaultScenarioHoldsTheTrafficItDescribes) {
    sim::Scenario s = sim::defaultScenario();
    const sim::Aircraft& own = s.own;
    EXPECT_GE(s.traffic.size(), 25u);
    EXPECT_LE(s.traffic.size(), 40u);
    EXPECT_FALSE(s.limitedMode);
    EXPECT_NEAR(own.altitudeFt, 9000.0, 500.0);
    EXPECT_LT(own.verticalSpeedFpm, 0.0);

    int descending = 0, climbing = 0, flightLevels = 0, converging = 0, taxiing = 0, far = 0, accented = 0;
    for (const sim::Aircraft& a : s.traffic) {
        double nm = sim::distanceMetres({own.latitudeDeg, own.longitudeDeg}, {a.latitudeDeg, a.longitudeDeg}) /
                    sim::kMetresPerNauticalMile;
        bool airborne = a.heightAboveGroundFt() >= 100.0;
        if (airborne && a.verticalSpeedFpm <= -500.0 && a.altitudeFt < 15000.0) ++descending;
        if (airborne && a.verticalSpeedFpm >= 1000.0) ++climbing;
        if (a.altitudeFt >= 30000.0) ++flightLevels;
        if (nm <= 10.0 && std::abs(a.altitudeFt - own.altitudeFt) <= 1000.0) ++converging;
        if (!airborne && a.groundSpeedKt >= 10.0 && a.groundSpeedKt <= 20.0) ++taxiing;
        if (nm > 40.0) ++far;
        for (char c : a.airline)
            if (static_cast<unsigned char>(c) >= 0x80) ++accented;
        EXPECT_FALSE(a.atcId.empty());
        EXPECT_LE(a.atcId.size(), 15u) << a.atcId;
    }
    EXPECT_GE(descending, 3);
    EXPECT_GE(climbing, 3);
    EXPECT_GE(flightLevels, 3);
    EXPECT_GE(converging, 1);
    EXPECT_GE(taxiing, 2);
    EXPECT_GE(far, 2);
    EXPECT_GE(accented, 1);
}

}  // namespace
