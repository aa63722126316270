#include "sim/ScenarioLoader.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "sim/DefaultScenarioData.h"

namespace sim {
namespace {

using nlohmann::json;

// Where in the file a value sits, for messages: "file: aircraft[3] (DLH4AB)".
class Context {
public:
    Context(std::string source, std::string where) : source_(std::move(source)), where_(std::move(where)) {}

    [[noreturn]] void fail(const std::string& message) const {
        throw ScenarioError(source_ + ": " + (where_.empty() ? "" : where_ + ": ") + message);
    }
    [[noreturn]] void failField(const std::string& field, const std::string& message) const {
        fail("field '" + field + "' " + message);
    }

private:
    std::string source_;
    std::string where_;
};

const std::set<std::string> kAircraftFields = {
    "object_id",  "atc_id",        "airline",    "flight_number", "label", "latitude_deg", "longitude_deg",
    "altitude_ft", "ground_elevation_ft", "heading_true_deg", "magnetic_variation_deg", "ground_speed_kt",
    "vertical_speed_fpm"};

const std::set<std::string> kTopFields = {"name", "description", "limited_mode", "magnetic_variation_deg", "own",
                                          "aircraft"};

// Keys starting with '_' are comments.
void rejectUnknownFields(const json& object, const std::set<std::string>& known, const Context& where) {
    for (auto it = object.begin(); it != object.end(); ++it)
        if (known.count(it.key()) == 0 && (it.key().empty() || it.key()[0] != '_'))
            where.fail("unknown field '" + it.key() + "'");
}

bool has(const json& object, const char* field) { return object.contains(field); }

double number(const json& object, const char* field, const Context& where) {
    if (!has(object, field)) where.failField(field, "is missing");
    const json& value = object.at(field);
    if (!value.is_number()) where.failField(field, "must be a number");
    double d = value.get<double>();
    if (!std::isfinite(d)) where.failField(field, "must be a finite number");
    return d;
}

double numberOr(const json& object, const char* field, double fallback, const Context& where) {
    return has(object, field) ? number(object, field, where) : fallback;
}

double numberIn(const json& object, const char* field, double low, double high, const Context& where) {
    double d = number(object, field, where);
    if (d < low || d > high) {
        std::ostringstream s;
        s << "must lie between " << low << " and " << high << ", got " << d;
        where.failField(field, s.str());
    }
    return d;
}

std::string text(const json& object, const char* field, const Context& where) {
    if (!has(object, field)) where.failField(field, "is missing");
    const json& value = object.at(field);
    if (!value.is_string()) where.failField(field, "must be a string");
    return value.get<std::string>();
}

std::string textOr(const json& object, const char* field, const std::string& fallback, const Context& where) {
    return has(object, field) ? text(object, field, where) : fallback;
}

Aircraft parseAircraft(const json& node, double defaultVariation, const Context& where) {
    if (!node.is_object()) where.fail("must be an object");
    rejectUnknownFields(node, kAircraftFields, where);
    Aircraft a;
    if (has(node, "object_id")) {
        const json& id = node.at("object_id");
        if (!id.is_number_integer() || id.get<int64_t>() < 1 ||
            id.get<int64_t>() > static_cast<int64_t>(std::numeric_limits<host::ObjectId>::max()))
            where.failField("object_id", "must be an integer from 1 to 4294967295");
        a.objectId = static_cast<host::ObjectId>(id.get<int64_t>());
    }
    a.atcId = text(node, "atc_id", where);
    a.airline = textOr(node, "airline", "", where);
    a.flightNumber = textOr(node, "flight_number", "", where);
    a.label = textOr(node, "label", a.atcId, where);
    a.latitudeDeg = numberIn(node, "latitude_deg", -90.0, 90.0, where);
    a.longitudeDeg = numberIn(node, "longitude_deg", -180.0, 180.0, where);
    a.altitudeFt = number(node, "altitude_ft", where);
    a.groundElevationFt = numberOr(node, "ground_elevation_ft", 0.0, where);
    if (a.altitudeFt < a.groundElevationFt) {
        std::ostringstream s;
        s << "(" << a.altitudeFt << ") is below 'ground_elevation_ft' (" << a.groundElevationFt << ")";
        where.failField("altitude_ft", s.str());
    }
    a.headingTrueDeg = number(node, "heading_true_deg", where);
    a.magneticVariationDeg =
        has(node, "magnetic_variation_deg") ? numberIn(node, "magnetic_variation_deg", -180.0, 180.0, where)
                                            : defaultVariation;
    a.groundSpeedKt = numberIn(node, "ground_speed_kt", 0.0, 5000.0, where);
    a.verticalSpeedFpm = numberOr(node, "vertical_speed_fpm", 0.0, where);
    return a;
}

std::string describeAircraft(const json& node) {
    if (node.is_object() && node.contains("atc_id") && node.at("atc_id").is_string())
        return " (" + node.at("atc_id").get<std::string>() + ")";
    return "";
}

}  // namespace

Scenario parseScenario(const std::string& jsonText, const std::string& sourceName) {
    Context top(sourceName, "");
    json root;
    try {
        root = json::parse(jsonText);
    } catch (const json::exception& e) {
        // Syntax errors, and numbers too large for a double.
        top.fail(std::string("not valid JSON: ") + e.what());
    }
    if (!root.is_object()) top.fail("the scenario must be a JSON object");
    rejectUnknownFields(root, kTopFields, top);

    Scenario scenario;
    scenario.name = textOr(root, "name", sourceName, top);
    scenario.description = textOr(root, "description", "", top);
    if (has(root, "limited_mode")) {
        if (!root.at("limited_mode").is_boolean()) top.failField("limited_mode", "must be true or false");
        scenario.limitedMode = root.at("limited_mode").get<bool>();
    }
    double variation = has(root, "magnetic_variation_deg")
                           ? numberIn(root, "magnetic_variation_deg", -180.0, 180.0, top)
                           : 0.0;

    if (!has(root, "own")) top.failField("own", "is missing");
    scenario.own = parseAircraft(root.at("own"), variation, Context(sourceName, "own" + describeAircraft(root.at("own"))));

    if (!has(root, "aircraft")) top.failField("aircraft", "is missing");
    const json& list = root.at("aircraft");
    if (!list.is_array()) top.failField("aircraft", "must be an array");
    std::set<host::ObjectId> ids;
    if (scenario.own.objectId != 0) ids.insert(scenario.own.objectId);
    for (size_t i = 0; i < list.size(); ++i) {
        Context where(sourceName, "aircraft[" + std::to_string(i) + "]" + describeAircraft(list[i]));
        Aircraft a = parseAircraft(list[i], variation, where);
        if (a.objectId != 0 && !ids.insert(a.objectId).second)
            where.failField("object_id", "repeats id " + std::to_string(a.objectId));
        scenario.traffic.push_back(std::move(a));
    }
    return scenario;
}

Scenario loadScenarioFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ScenarioError(path + ": cannot open the file");
    std::ostringstream contents;
    contents << in.rdbuf();
    return parseScenario(contents.str(), path);
}

std::string defaultScenarioJson() {
    return std::string(reinterpret_cast<const char*>(kDefaultScenarioJson), kDefaultScenarioJsonSize);
}

Scenario defaultScenario() { return parseScenario(defaultScenarioJson(), "default.json"); }

}  // namespace sim
