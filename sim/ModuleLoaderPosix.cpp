#include <dlfcn.h>

#include "sim/ModuleLoader.h"

namespace sim {
namespace {

class PosixModuleLibrary final : public ModuleLibrary {
public:
    explicit PosixModuleLibrary(void* handle) : handle_(handle) {}
    ~PosixModuleLibrary() override { dlclose(handle_); }
    void* symbol(const char* name) const override { return dlsym(handle_, name); }

private:
    void* handle_;
};

}  // namespace

std::unique_ptr<ModuleLibrary> openModuleLibrary(const std::string& path, std::string& error) {
    // Local binding: the module's symbols must not satisfy anyone else's.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = "cannot load module '" + path + "': " + (reason ? reason : "unknown reason");
        return nullptr;
    }
    return std::make_unique<PosixModuleLibrary>(handle);
}

bool moduleLibraryStillLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return false;
    dlclose(handle);
    return true;
}

}  // namespace sim
