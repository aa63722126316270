// Reading traffic scenarios from JSON files (see scenarios/README.md for
// the format) and the default scenario built into the library.
#pragma once

#include <stdexcept>
#include <string>

#include "sim/Scenario.h"

namespace sim {

// Says which file, which aircraft and which field is wrong.
class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `sourceName` names the text in error messages.
Scenario parseScenario(const std::string& jsonText, const std::string& sourceName);
Scenario loadScenarioFile(const std::string& path);

// The built-in scenario (scenarios/default.json at build time).
Scenario defaultScenario();
std::string defaultScenarioJson();

}  // namespace sim
