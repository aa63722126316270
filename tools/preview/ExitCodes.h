// Exit codes of quillon-preview, one per kind of failure, so that scripts
// can tell a typo from a broken scenario file.
#pragma once

namespace preview {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;    // anything not listed below
constexpr int kExitUsage = 2;      // bad command line
constexpr int kExitScenario = 3;   // the scenario file cannot be read or is malformed
constexpr int kExitModule = 4;     // the gauge module cannot be loaded
constexpr int kExitSelection = 5;  // --select: aircraft unknown, not shown, or the selection did not take
constexpr int kExitOutput = 6;     // an output file cannot be written
constexpr int kExitDisplay = 7;    // no window can be opened (no display)
constexpr int kExitPanel = 8;      // the panel.cfg cannot be read, or its window cannot be laid out

}  // namespace preview
