// The Windows checks are plain programs run under Wine: each failed check
// is printed, and the exit code tells whether any failed.
#pragma once

#include <cstdio>
#include <string>

namespace checks {

inline int failures = 0;

inline void check(bool condition, const std::string& what) {
    if (!condition) {
        std::fprintf(stderr, "FAILED: %s\n", what.c_str());
        ++failures;
    }
}

// Prints the summary line when nothing failed; returns the exit code.
inline int finish(const char* summary) {
    if (failures == 0) std::printf("%s\n", summary);
    return failures == 0 ? 0 : 1;
}

}  // namespace checks
