#include "sim/TrafficService.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "sim/CodePage.h"
#include "sim/Geodesy.h"
#include "sim/Variables.h"

namespace sim {
namespace {

enum class Dimension { Angle, Length, Speed, Text };

enum class Quantity {
    Latitude,
    Longitude,
    Altitude,
    IndicatedAltitude,
    VerticalSpeed,
    HeadingMagnetic,
    HeadingTrue,
    HeightAboveGround,
    GroundSpeed,
    AtcId,
    Airline,
    FlightNumber,
};

struct VariableInfo {
    const char* name;
    Quantity quantity;
    Dimension dimension;
};

// Ids are offset so that a variable id passed as a unit (or the reverse)
// reads as no value.
constexpr int32_t kFirstVariableId = 1001;
constexpr int32_t kFirstUnitId = 2001;

constexpr VariableInfo kVariables[] = {
    {"PLANE LATITUDE", Quantity::Latitude, Dimension::Angle},
    {"PLANE LONGITUDE", Quantity::Longitude, Dimension::Angle},
    {"PLANE ALTITUDE", Quantity::Altitude, Dimension::Length},
    {"INDICATED ALTITUDE", Quantity::IndicatedAltitude, Dimension::Length},
    {"VELOCITY WORLD Y", Quantity::VerticalSpeed, Dimension::Speed},
    {"PLANE HEADING DEGREES MAGNETIC", Quantity::HeadingMagnetic, Dimension::Angle},
    {"PLANE HEADING DEGREES TRUE", Quantity::HeadingTrue, Dimension::Angle},
    {"PLANE ALT ABOVE GROUND", Quantity::HeightAboveGround, Dimension::Length},
    {"GROUND VELOCITY", Quantity::GroundSpeed, Dimension::Speed},
    {"ATC ID", Quantity::AtcId, Dimension::Text},
    {"ATC AIRLINE", Quantity::Airline, Dimension::Text},
    {"ATC FLIGHT NUMBER", Quantity::FlightNumber, Dimension::Text},
};

// Each unit converts from its dimension's base unit (degrees, feet, knots).
struct UnitInfo {
    const char* name;
    Dimension dimension;
    double perBaseUnit;
};

constexpr UnitInfo kUnits[] = {
    {"DEGREES", Dimension::Angle, 1.0},
    {"FEET", Dimension::Length, 1.0},
    {"FEET PER MINUTE", Dimension::Speed, kFeetPerMinutePerKnot},
    {"KNOTS", Dimension::Speed, 1.0},
    {"RADIANS", Dimension::Angle, kPi / 180.0},
    {"METERS", Dimension::Length, kMetresPerFoot},
    {"FEET PER SECOND", Dimension::Speed, kFeetPerMinutePerKnot / 60.0},
};

constexpr int32_t kVariableCount = static_cast<int32_t>(sizeof kVariables / sizeof kVariables[0]);
constexpr int32_t kUnitCount = static_cast<int32_t>(sizeof kUnits / sizeof kUnits[0]);

const VariableInfo* variableById(int32_t id) {
    if (id < kFirstVariableId || id >= kFirstVariableId + kVariableCount) return nullptr;
    return &kVariables[id - kFirstVariableId];
}

const UnitInfo* unitById(int32_t id) {
    if (id < kFirstUnitId || id >= kFirstUnitId + kUnitCount) return nullptr;
    return &kUnits[id - kFirstUnitId];
}

// In degrees, feet or knots.
double baseValue(const Aircraft& a, Quantity q) {
    switch (q) {
    case Quantity::Latitude: return a.latitudeDeg;
    case Quantity::Longitude: return a.longitudeDeg;
    case Quantity::Altitude: return a.altitudeFt;
    case Quantity::IndicatedAltitude: return a.altitudeFt;  // standard atmosphere: indicated is true
    case Quantity::VerticalSpeed: return a.verticalSpeedFpm / kFeetPerMinutePerKnot;
    case Quantity::HeadingMagnetic: return a.headingMagneticDeg();
    case Quantity::HeadingTrue: return normalizeDegrees360(a.headingTrueDeg);
    case Quantity::HeightAboveGround: return a.heightAboveGroundFt();
    case Quantity::GroundSpeed: return a.groundSpeedKt;
    default: return 0.0;
    }
}

const std::string& textValue(const Aircraft& a, Quantity q) {
    switch (q) {
    case Quantity::AtcId: return a.atcId;
    case Quantity::Airline: return a.airline;
    default: return a.flightNumber;
    }
}

std::string nameOrNull(const char* name) { return name ? std::string(name) : std::string("(null)"); }

}  // namespace

const std::vector<std::string>& trafficVariableNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const VariableInfo& v : kVariables) out.emplace_back(v.name);
        return out;
    }();
    return names;
}

const std::vector<std::string>& trafficUnitNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const UnitInfo& u : kUnits) out.emplace_back(u.name);
        return out;
    }();
    return names;
}

TrafficService::TrafficService(CallLog* log) : log_(log) {}

bool TrafficService::logging() const { return log_ != nullptr && log_->enabled(); }

void TrafficService::log(CallRecord record) {
    if (logging()) log_->add(std::move(record));
}

void TrafficService::setScenario(Scenario scenario) {
    // Ids the scenario gives are kept; the others are assigned around them.
    std::unordered_map<host::ObjectId, const Aircraft*> used;
    auto claim = [&](const Aircraft& a) {
        if (a.objectId == 0) return;
        if (!used.emplace(a.objectId, &a).second)
            throw std::invalid_argument("scenario '" + scenario.name + "': object id " + std::to_string(a.objectId) +
                                        " (" + a.atcId + ") is used twice");
    };
    claim(scenario.own);
    for (const Aircraft& a : scenario.traffic) claim(a);
    auto assign = [&](Aircraft& a, host::ObjectId preferred) {
        if (a.objectId != 0) return;
        host::ObjectId id = preferred;
        while (used.count(id) != 0) ++id;
        a.objectId = id;
        used.emplace(id, &a);
    };
    assign(scenario.own, kOwnObjectId);
    for (size_t i = 0; i < scenario.traffic.size(); ++i)
        assign(scenario.traffic[i], kFirstTrafficObjectId + static_cast<host::ObjectId>(i));
    scenario_ = std::move(scenario);
    labels_.clear();
    rebuildIndex();
}

void TrafficService::rebuildIndex() {
    indexById_.clear();
    for (size_t i = 0; i < scenario_.traffic.size(); ++i) indexById_.emplace(scenario_.traffic[i].objectId, i);
}

Aircraft* TrafficService::find(host::ObjectId id) {
    if (id == scenario_.own.objectId) return &scenario_.own;
    auto it = indexById_.find(id);
    return it == indexById_.end() ? nullptr : &scenario_.traffic[it->second];
}

const Aircraft* TrafficService::find(host::ObjectId id) const {
    return const_cast<TrafficService*>(this)->find(id);
}

host::ObjectId TrafficService::addAircraft(Aircraft aircraft) {
    if (aircraft.objectId == 0) {
        host::ObjectId id = kFirstTrafficObjectId + static_cast<host::ObjectId>(scenario_.traffic.size());
        while (find(id) != nullptr) ++id;
        aircraft.objectId = id;
    } else if (find(aircraft.objectId) != nullptr) {
        throw std::invalid_argument("object id " + std::to_string(aircraft.objectId) + " is already in use");
    }
    host::ObjectId id = aircraft.objectId;
    scenario_.traffic.push_back(std::move(aircraft));
    rebuildIndex();
    return id;
}

bool TrafficService::removeAircraft(host::ObjectId id) {
    auto it = indexById_.find(id);
    if (it == indexById_.end()) return false;
    scenario_.traffic.erase(scenario_.traffic.begin() + static_cast<std::ptrdiff_t>(it->second));
    rebuildIndex();
    return true;
}

void TrafficService::advance(double seconds) {
    scenario_.own.advance(seconds);
    for (Aircraft& a : scenario_.traffic) a.advance(seconds);
}

double TrafficService::distanceFromOwnMetres(const Aircraft& aircraft) const {
    return distanceMetres(LatLon{scenario_.own.latitudeDeg, scenario_.own.longitudeDeg},
                          LatLon{aircraft.latitudeDeg, aircraft.longitudeDeg});
}

void* TrafficService::getInterface(const char* name) {
    void* result = nullptr;
    if (interfaceAvailable_ && !gone_ && name != nullptr && std::strcmp(name, host::kTrafficInfoName) == 0)
        result = static_cast<host::ITrafficInfo*>(&info_);
    if (logging()) {
        CallRecord r{Call::GetInterface};
        r.text = nameOrNull(name);
        r.result = result != nullptr ? 1.0 : 0.0;
        log(std::move(r));
    }
    return result;
}

int32_t TrafficService::variableId(const char* name) {
    int32_t id = kUnknownVariableId;
    if (name != nullptr) {
        std::string folded = foldCase(name);
        for (int32_t i = 0; i < kVariableCount; ++i)
            if (folded == kVariables[i].name) id = kFirstVariableId + i;
    }
    if (logging()) {
        CallRecord r{Call::VariableId};
        r.slot = 8;
        r.text = nameOrNull(name);
        r.result = id;
        log(std::move(r));
    }
    return id;
}

int32_t TrafficService::unitId(const char* name) {
    int32_t id = kUnknownUnitId;
    if (name != nullptr) {
        std::string folded = foldCase(name);
        for (int32_t i = 0; i < kUnitCount; ++i)
            if (folded == kUnits[i].name) id = kFirstUnitId + i;
    }
    if (logging()) {
        CallRecord r{Call::UnitId};
        r.slot = 9;
        r.text = nameOrNull(name);
        r.result = id;
        log(std::move(r));
    }
    return id;
}

uint32_t TrafficService::objectsInRadius(double radiusMetres, int32_t maxCount, host::ObjectId* ids) {
    uint32_t count = 0;
    const bool answers = !gone_ && refreshFault_ != RefreshFault::ErrorCount;
    if (answers && ids != nullptr && maxCount > 0 && radiusMetres >= 0.0) {  // NaN fails the comparison too
        const size_t cap = static_cast<size_t>(maxCount);
        // The user's own aircraft leads in full mode: it is at distance 0.
        if (!scenario_.limitedMode) ids[count++] = scenario_.own.objectId;
        std::vector<std::pair<double, host::ObjectId>> near;
        for (const Aircraft& a : scenario_.traffic) {
            double d = distanceFromOwnMetres(a);
            if (d <= radiusMetres) near.emplace_back(d, a.objectId);
        }
        std::sort(near.begin(), near.end());
        for (const auto& entry : near) {
            if (count == cap) break;
            ids[count++] = entry.second;
        }
    }
    if (logging()) {
        CallRecord r{Call::ObjectsInRadius};
        r.slot = 10;
        r.numbers = {radiusMetres, static_cast<double>(maxCount)};
        for (uint32_t i = 0; i < count; ++i) r.numbers.push_back(ids[i]);
        r.result = count;
        log(std::move(r));
    }
    if (refreshFault_ == RefreshFault::ErrorCount) return kRefreshErrorCount;
    if (refreshFault_ == RefreshFault::CountNotHonoured) return count + 50;
    return count;
}

int32_t TrafficService::numberValue(host::ObjectId object, int32_t variable, int32_t unit, double* value,
                                    int32_t reserved) {
    const Aircraft* a = gone_ ? nullptr : find(object);
    const VariableInfo* v = variableById(variable);
    const UnitInfo* u = unitById(unit);
    int32_t result = kTrafficReadFailed;
    double written = std::nan("");
    if (a != nullptr && v != nullptr && u != nullptr && value != nullptr && v->dimension != Dimension::Text &&
        v->dimension == u->dimension) {
        written = baseValue(*a, v->quantity) * u->perBaseUnit;
        *value = written;
        result = kTrafficReadOk;
    }
    if (logging()) {
        CallRecord r{Call::NumberValue};
        r.slot = 12;
        r.id = object;
        r.text = v ? v->name : "";
        r.unit = u ? u->name : "";
        r.numbers = {static_cast<double>(variable), static_cast<double>(unit), static_cast<double>(reserved),
                     static_cast<double>(result)};
        r.result = written;
        log(std::move(r));
    }
    return result;
}

int32_t TrafficService::stringValue(host::ObjectId object, int32_t variable, char* buffer, int32_t bufferSize,
                                    int32_t reserved) {
    const Aircraft* a = gone_ ? nullptr : find(object);
    const VariableInfo* v = variableById(variable);
    int32_t result = kTrafficReadFailed;
    std::string written;
    if (a != nullptr && v != nullptr && v->dimension == Dimension::Text && buffer != nullptr && bufferSize > 0) {
        written = utf8ToCp1252(textValue(*a, v->quantity));
        if (written.size() > static_cast<size_t>(bufferSize) - 1) written.resize(static_cast<size_t>(bufferSize) - 1);
        std::memcpy(buffer, written.data(), written.size());
        buffer[written.size()] = '\0';
        result = kTrafficReadOk;
    }
    if (logging()) {
        CallRecord r{Call::StringValue};
        r.slot = 13;
        r.id = object;
        r.text = written;
        r.unit = v ? v->name : "";
        r.numbers = {static_cast<double>(variable), static_cast<double>(bufferSize), static_cast<double>(reserved),
                     static_cast<double>(result)};
        r.result = result;
        log(std::move(r));
    }
    return result;
}

int32_t TrafficService::queryLimitedMode() {
    int32_t result = scenario_.limitedMode ? 1 : 0;
    if (logging()) {
        CallRecord r{Call::LimitedMode};
        r.slot = 15;
        r.result = result;
        log(std::move(r));
    }
    return result;
}

const char* TrafficService::objectLabel(host::ObjectId object) {
    static const char kEmpty[] = "";
    const char* result = kEmpty;
    if (const Aircraft* a = gone_ ? nullptr : find(object)) {
        std::string label = utf8ToCp1252(a->label);
        std::string& kept = labels_[object];
        // The text handed out stays put until the label itself changes.
        if (kept != label) kept = std::move(label);
        result = kept.c_str();
    }
    if (logging()) {
        CallRecord r{Call::ObjectLabel};
        r.slot = 16;
        r.id = object;
        r.text = result;
        log(std::move(r));
    }
    return result;
}

int32_t TrafficService::placeholder(int32_t position) {
    if (logging()) {
        CallRecord r{Call::Placeholder};
        r.slot = position;
        r.text = "traffic";
        log(std::move(r));
    }
    return 0;
}

int32_t TrafficService::providerPlaceholder(int32_t position) {
    if (logging()) {
        CallRecord r{Call::Placeholder};
        r.slot = position;
        r.text = "provider";
        log(std::move(r));
    }
    return 0;
}

}  // namespace sim
