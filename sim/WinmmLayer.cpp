// PlaySoundW for the module on Linux. Like winmm's, it returns at once;
// what it accepts is a sound from the module's resources by number
// (SND_RESOURCE with MAKEINTRESOURCE), which is all the module asks for.
#include "sim/WinmmLayer.h"

#include <cstdint>

#define WINMM_LAYER_EXPORT extern "C" __attribute__((visibility("default")))

namespace sim::winmm_layer {
namespace {

constexpr uint32_t kFromResource = 0x00040004u;  // SND_RESOURCE

int played = 0;
int stopped = 0;
PlayedSound last;
Listener listener = nullptr;
void* listenerContext = nullptr;

}  // namespace

int playedCount() { return played; }
int stoppedCount() { return stopped; }
PlayedSound lastPlayed() { return last; }

void setListener(Listener newListener, void* context) {
    listener = newListener;
    listenerContext = context;
}

}  // namespace sim::winmm_layer

using namespace sim::winmm_layer;

WINMM_LAYER_EXPORT int32_t PlaySoundW(const char16_t* sound, void* /*module*/, uint32_t flags) {
    const uintptr_t name = reinterpret_cast<uintptr_t>(sound);
    if (sound == nullptr) {
        ++stopped;
        return 1;
    }
    // A resource by number: the pointer's high bits are clear.
    if ((flags & kFromResource) != kFromResource || name == 0 || name > 0xffff) return 0;
    ++played;
    last = PlayedSound{static_cast<uint32_t>(name), flags};
    if (listener != nullptr) listener(last, listenerContext);
    return 1;
}
