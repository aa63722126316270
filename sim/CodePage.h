// The host's narrow texts are in the Windows ANSI code page 1252; scenario
// files are UTF-8.
#pragma once

#include <string>

namespace sim {

// Characters outside code page 1252, and malformed UTF-8 sequences, become '?'.
std::string utf8ToCp1252(const std::string& utf8);

}  // namespace sim
