#include "tests/support/ScriptedTraffic.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace quillon::testing {
namespace {

std::string nameOrEmpty(const char* name) { return name != nullptr ? name : ""; }

int32_t idFor(std::map<std::string, int32_t>& ids, const std::string& name, int32_t first) {
    auto found = ids.find(name);
    if (found != ids.end()) return found->second;
    int32_t id = first + static_cast<int32_t>(ids.size());
    ids.emplace(name, id);
    return id;
}

std::string nameFor(const std::map<std::string, int32_t>& ids, int32_t id) {
    for (const auto& [name, value] : ids)
        if (value == id) return name;
    return "#" + std::to_string(id);
}

}  // namespace

ScriptedObject& ScriptedTraffic::add(host::ObjectId id) {
    objects_.push_back(ScriptedObject{});
    objects_.back().id = id;
    return objects_.back();
}

ScriptedObject& ScriptedTraffic::add(host::ObjectId id, const std::string& label) {
    auto& object = add(id);
    object.label = label;
    return object;
}

std::vector<std::string> ScriptedTraffic::callTexts() const {
    std::vector<std::string> texts;
    texts.reserve(calls_.size());
    for (const auto& call : calls_) texts.push_back(describe(call));
    return texts;
}

std::string ScriptedTraffic::describe(const TrafficCall& call) {
    char text[256];
    const auto& op = call.operation;
    if (op == "variableId" || op == "unitId") {
        std::snprintf(text, sizeof text, "%s(%s)", op.c_str(), op == "unitId" ? call.unit.c_str() : call.variable.c_str());
    } else if (op == "objectsInRadius") {
        std::snprintf(text, sizeof text, "objectsInRadius(%.17g, %d)", call.radiusMetres, call.maxCount);
    } else if (op == "numberValue") {
        std::snprintf(text, sizeof text, "numberValue(%u, %s, %s, %d)", call.object, call.variable.c_str(),
                      call.unit.c_str(), call.reserved);
    } else if (op == "stringValue") {
        std::snprintf(text, sizeof text, "stringValue(%u, %s, %d, %d)", call.object, call.variable.c_str(),
                      call.bufferSize, call.reserved);
    } else if (op == "objectLabel") {
        std::snprintf(text, sizeof text, "objectLabel(%u)", call.object);
    } else {
        std::snprintf(text, sizeof text, "%s()", op.c_str());
    }
    return text;
}

size_t ScriptedTraffic::callCount(const std::string& operation) const {
    return static_cast<size_t>(std::count_if(calls_.begin(), calls_.end(),
                                             [&](const TrafficCall& call) { return call.operation == operation; }));
}

int32_t ScriptedTraffic::variableIdOf(const std::string& name) const {
    auto found = variableIds_.find(name);
    return found != variableIds_.end() ? found->second : 0;
}

int32_t ScriptedTraffic::unitIdOf(const std::string& name) const {
    auto found = unitIds_.find(name);
    return found != unitIds_.end() ? found->second : 0;
}

int32_t ScriptedTraffic::variableId(const char* name) {
    TrafficCall call;
    call.operation = "variableId";
    call.variable = nameOrEmpty(name);
    calls_.push_back(call);
    return idFor(variableIds_, call.variable, kFirstVariableId);
}

int32_t ScriptedTraffic::unitId(const char* name) {
    TrafficCall call;
    call.operation = "unitId";
    call.unit = nameOrEmpty(name);
    calls_.push_back(call);
    return idFor(unitIds_, call.unit, kFirstUnitId);
}

uint32_t ScriptedTraffic::objectsInRadius(double radiusMetres, int32_t maxCount, host::ObjectId* ids) {
    TrafficCall call;
    call.operation = "objectsInRadius";
    call.radiusMetres = radiusMetres;
    call.maxCount = maxCount;
    calls_.push_back(call);

    size_t limit = objects_.size();
    if (!ignoreMaximum_) limit = std::min(limit, static_cast<size_t>(std::max(maxCount, 0)));
    for (size_t i = 0; i < limit; ++i) ids[i] = objects_[i].id;
    return reportedCount_ ? *reportedCount_ : static_cast<uint32_t>(limit);
}

int32_t ScriptedTraffic::numberValue(host::ObjectId object, int32_t variable, int32_t unit, double* value,
                                     int32_t reserved) {
    TrafficCall call;
    call.operation = "numberValue";
    call.object = object;
    call.variable = variableName(variable);
    call.unit = unitName(unit);
    call.reserved = reserved;
    call.hasValueAddress = value != nullptr;
    calls_.push_back(call);

    // A value the script does not know is not written, like a failed read.
    const ScriptedObject* found = find(object);
    if (found == nullptr || value == nullptr) return 0;
    auto number = found->numbers.find({call.variable, call.unit});
    if (number == found->numbers.end()) return 0;
    *value = number->second;
    return 1;
}

int32_t ScriptedTraffic::stringValue(host::ObjectId object, int32_t variable, char* buffer, int32_t bufferSize,
                                     int32_t reserved) {
    TrafficCall call;
    call.operation = "stringValue";
    call.object = object;
    call.variable = variableName(variable);
    call.bufferSize = bufferSize;
    call.reserved = reserved;
    call.hasBuffer = buffer != nullptr;
    calls_.push_back(call);

    const ScriptedObject* found = find(object);
    if (found == nullptr || buffer == nullptr || bufferSize <= 0) return 0;
    auto text = found->texts.find(call.variable);
    if (text == found->texts.end()) return 0;

    const std::string& value = text->second;
    const size_t size = static_cast<size_t>(bufferSize);
    if (unterminatedTexts_ && value.size() >= size) {
        std::memcpy(buffer, value.data(), size);  // no room left for a terminator
        return 1;
    }
    const size_t length = std::min(value.size(), size - 1);
    std::memcpy(buffer, value.data(), length);
    buffer[length] = 0;
    return 1;
}

int32_t ScriptedTraffic::limitedMode() {
    TrafficCall call;
    call.operation = "limitedMode";
    calls_.push_back(call);
    return limitedMode_;
}

const char* ScriptedTraffic::objectLabel(host::ObjectId object) {
    TrafficCall call;
    call.operation = "objectLabel";
    call.object = object;
    calls_.push_back(call);
    const ScriptedObject* found = find(object);
    if (found == nullptr || !found->label) return nullptr;
    return found->label->c_str();
}

int32_t ScriptedTraffic::unexpected(const char* operation) {
    TrafficCall call;
    call.operation = operation;
    calls_.push_back(call);
    return 0;
}

const ScriptedObject* ScriptedTraffic::find(host::ObjectId id) const {
    for (const auto& object : objects_)
        if (object.id == id) return &object;
    return nullptr;
}

std::string ScriptedTraffic::variableName(int32_t id) const { return nameFor(variableIds_, id); }
std::string ScriptedTraffic::unitName(int32_t id) const { return nameFor(unitIds_, id); }

}  // namespace quillon::testing
