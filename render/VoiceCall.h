// The platform's sound call for the advisories' voice: PlaySound of winmm on
// Windows, with the WAV carried as a resource of the module itself; on Linux
// the stand-in host provides the same call (sim/WinmmLayer.cpp), and a host
// without it leaves it null (a weak reference) and nothing is heard. The call
// returns at once (the sound plays on the system's own thread); a host
// without sound refuses it, which costs the frame nothing.
#pragma once

#include <cstdint>

namespace render {

// The resource number of the voice "Traffic, traffic" (resources/Quillon.rc).
constexpr int kTrafficVoiceResource = 4608;

// Starts the module's voice resource playing, without waiting for it and
// cutting off none that plays; false when the host has no sound call or
// refused it.
bool playVoiceResource(int resourceId);

// Stops the voice while it may still be playing (started within the last
// few seconds): it plays from this module's own resources, which are gone
// once the host unloads the module. A voice long finished is left alone, so
// that another gauge's sound is not cut off.
void stopVoiceStillPlaying();

}  // namespace render
