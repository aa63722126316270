// Windows: the module is a DLL opened with LoadLibrary, as the simulator
// opens a gauge file.
#include <windows.h>

#include "sim/ModuleLoader.h"

namespace sim {
namespace {

class Win32ModuleLibrary final : public ModuleLibrary {
public:
    explicit Win32ModuleLibrary(HMODULE handle) : handle_(handle) {}
    ~Win32ModuleLibrary() override { FreeLibrary(handle_); }
    void* symbol(const char* name) const override {
        return reinterpret_cast<void*>(GetProcAddress(handle_, name));
    }

private:
    HMODULE handle_;
};

std::string describeError(DWORD code) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        text, sizeof text, nullptr);
    std::string reason = length > 0 ? std::string(text, length) : std::string();
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    return "error " + std::to_string(code) + (reason.empty() ? "" : " (" + reason + ")");
}

}  // namespace

std::unique_ptr<ModuleLibrary> openModuleLibrary(const std::string& path, std::string& error) {
    // No error dialog box for a missing or broken file: the caller reports it.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE handle = LoadLibraryA(path.c_str());
    const DWORD code = GetLastError();
    SetErrorMode(previousMode);
    if (handle == nullptr) {
        error = "cannot load module '" + path + "': " + describeError(code);
        return nullptr;
    }
    return std::make_unique<Win32ModuleLibrary>(handle);
}

bool moduleLibraryStillLoaded(const std::string& path) {
    // GetModuleHandle does not add a reference, so asking leaves no trace.
    return GetModuleHandleA(path.c_str()) != nullptr;
}

}  // namespace sim
