// Opening a gauge module by file name and finding its exported records,
// behind a small interface so that each platform brings its own loader.
#pragma once

#include <memory>
#include <string>

namespace sim {

class ModuleLibrary {
public:
    virtual ~ModuleLibrary() = default;  // closes the library
    // The address of an exported symbol, or null.
    virtual void* symbol(const char* name) const = 0;
};

// Null with a reason in `error` when the file cannot be loaded. Each open
// after the last close gives the module fresh static state.
std::unique_ptr<ModuleLibrary> openModuleLibrary(const std::string& path, std::string& error);

// Whether a library of this path is still mapped in the process.
bool moduleLibraryStillLoaded(const std::string& path);

}  // namespace sim
