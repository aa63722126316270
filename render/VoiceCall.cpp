#include "render/VoiceCall.h"

#include <chrono>

#if defined(_WIN32)
#include <windows.h>
#include <mmsystem.h>
#endif

#if !defined(_WIN32)
// The stand-in's, where the hosting program provides it; else null.
extern "C" __attribute__((weak)) int32_t PlaySoundW(const char16_t* sound, void* module, uint32_t flags);
#endif

namespace render {
namespace {

// SND_ASYNC | SND_NODEFAULT | SND_NOWAIT | SND_RESOURCE: from the module's
// resources, returning at once, silent rather than the system's default
// sound when it is missing, and not waiting for a busy device.
constexpr uint32_t kVoiceFlags = 0x0001u | 0x0002u | 0x2000u | 0x00040004u;
// Longer than the voice (about 1.2 s) plays.
constexpr std::chrono::seconds kVoiceLasts{3};

bool voiceStarted = false;
std::chrono::steady_clock::time_point voiceStartedAt;

// What PlaySound takes for "stop the sound playing".
bool stopPlaying() {
#if defined(_WIN32)
    return PlaySoundW(nullptr, nullptr, 0) != FALSE;
#else
    if (&PlaySoundW == nullptr) return false;
    return PlaySoundW(nullptr, nullptr, 0) != 0;
#endif
}

#if defined(_WIN32)
// This module's own handle, for its resources.
HMODULE thisModule() {
    HMODULE module = nullptr;
    static const char anchor = 0;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&anchor), &module))
        return nullptr;
    return module;
}
#endif

}  // namespace

bool playVoiceResource(int resourceId) {
    // MAKEINTRESOURCE: the number in the pointer's low word.
    const uintptr_t name = static_cast<uint16_t>(resourceId);
#if defined(_WIN32)
    HMODULE module = thisModule();
    if (module == nullptr) return false;
    const bool started = PlaySoundW(reinterpret_cast<LPCWSTR>(name), module, kVoiceFlags) != FALSE;
#else
    if (&PlaySoundW == nullptr) return false;
    const bool started = PlaySoundW(reinterpret_cast<const char16_t*>(name), nullptr, kVoiceFlags) != 0;
#endif
    if (started) {
        voiceStarted = true;
        voiceStartedAt = std::chrono::steady_clock::now();
    }
    return started;
}

void stopVoiceStillPlaying() {
    if (!voiceStarted) return;
    voiceStarted = false;
    if (std::chrono::steady_clock::now() - voiceStartedAt < kVoiceLasts) stopPlaying();
}

}  // namespace render
