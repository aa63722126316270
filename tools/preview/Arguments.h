// Checks of the numbers and output names the command line gives, each with
// a one-line message a user can act on. NaN and infinities are refused
// everywhere: a range check alone lets NaN through.
#pragma once

#include <functional>
#include <string>

namespace preview {

// A finite decimal number from `low` to `high`, both included.
bool parseBoundedNumber(const std::string& text, double low, double high, double& value, std::string& error);

// An output file name the tool can write: not empty, not "-" (standard
// output is for results), not a folder, and ending in `extension` (".png",
// ".gif"; any case), since the format is fixed by the command.
bool checkOutputPath(const std::string& path, const std::string& extension, std::string& error);

// Runs `write` on a temporary file in the folder of `path` and renames it to
// `path` only when the whole file is written, so that a failure never leaves
// a partial file. Creates the folder if it is missing.
bool writeWhole(const std::string& path, const std::function<bool(const std::string&, std::string&)>& write,
                std::string& error);

}  // namespace preview
