#include "gauge/SurfaceCache.h"

namespace quillon {
namespace {

// The entry as a new surface finds it: never drawn, not yet scaled.
void resetEntry(SurfaceEntry& entry, host::DeviceContext deviceContext) {
    entry.deviceContext = deviceContext;
    entry.lastClock = 0.0;
    entry.scaledWidth = 0;
    entry.scaledHeight = 0;
}

}  // namespace

SurfaceEntry* SurfaceCache::find(host::DeviceContext deviceContext) {
    for (int i = 0; i < count_; ++i) {
        if (entries_[i].deviceContext == deviceContext) return &entries_[i];
    }
    return nullptr;
}

SurfaceEntry& SurfaceCache::claim(host::DeviceContext deviceContext) {
    SurfaceEntry* entry = nullptr;
    if (count_ < kCapacity) {
        entry = &entries_[count_++];
    } else {
        // Full: the surface drawn longest ago gives way (a window long closed,
        // most likely); its graphics object goes before the entry is reused.
        entry = &entries_[0];
        for (int i = 1; i < count_; ++i) {
            if (entries_[i].lastDrawn < entry->lastDrawn) entry = &entries_[i];
        }
        entry->graphics.release();
    }
    resetEntry(*entry, deviceContext);
    // A surface just claimed counts as used now, so that the next newcomer
    // does not push it out before it was ever drawn.
    markDrawn(*entry);
    return *entry;
}

void SurfaceCache::discard(SurfaceEntry& entry) {
    entry.graphics.release();
    resetEntry(entry, nullptr);
    entry.lastDrawn = 0;  // first to be reused
    if (&entry == &entries_[count_ - 1]) --count_;
}

void SurfaceCache::releaseAll() {
    for (int i = 0; i < count_; ++i) entries_[i].graphics.release();
}

}  // namespace quillon
