// One GDI+ graphics object per device context a gauge has drawn on, each
// scaled so that the 1000 x 1000 logical space fills its surface.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"
#include "render/GdiPlusObjects.h"

namespace quillon {

struct SurfaceEntry {
    host::DeviceContext deviceContext = nullptr;
    double lastClock = 0.0;             // clock value at this surface's last redraw
    render::Graphics graphics;
    int32_t scaledWidth = 0;            // size the graphics object is scaled for
    int32_t scaledHeight = 0;
    uint64_t lastDrawn = 0;             // redraw sequence number, for reuse when full
};

class SurfaceCache {
public:
    static constexpr int kCapacity = 1000;

    // The entry of the device context, or null.
    SurfaceEntry* find(host::DeviceContext deviceContext);
    // A fresh entry for the device context: the next free one, or, when all
    // are in use, the one drawn longest ago with its graphics object deleted.
    SurfaceEntry& claim(host::DeviceContext deviceContext);
    // Stamps the entry as drawn now.
    void markDrawn(SurfaceEntry& entry) { entry.lastDrawn = ++drawSequence_; }
    // Forgets an entry claimed for a surface whose graphics object could not be made.
    void discard(SurfaceEntry& entry);

    int count() const { return count_; }
    const SurfaceEntry& entry(int index) const { return entries_[index]; }
    // Deletes every graphics object (the gauge's destruction).
    void releaseAll();

private:
    SurfaceEntry entries_[kCapacity];
    int count_ = 0;
    uint64_t drawSequence_ = 0;
};

}  // namespace quillon
