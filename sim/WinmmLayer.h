// The stand-in's sound call for the module (sim/WinmmLayer.cpp): PlaySoundW
// as winmm exports it, for the Linux programs that host the module. It plays
// nothing itself; it records each call, and hands it to a program that plays
// sounds of its own (the preview's window, through SDL2's audio).
#pragma once

#include <cstdint>

namespace sim::winmm_layer {

struct PlayedSound {
    uint32_t resource = 0;  // the number of a sound asked for from the module's resources; 0 for any other
    uint32_t flags = 0;
};

// How many calls the module made, and the last one.
int playedCount();
// How many times it stopped what was playing (a call with no sound).
int stoppedCount();
PlayedSound lastPlayed();

// Called at each call the layer accepts, on the caller's thread; null: none.
using Listener = void (*)(const PlayedSound& sound, void* context);
void setListener(Listener listener, void* context);

}  // namespace sim::winmm_layer
