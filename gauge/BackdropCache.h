// The backdrops of the whole module: for each surface a gauge draws on, a
// bitmap holding the current view's unchanging drawing, so that a redraw
// copies it in place of drawing it again. The simulators are 32-bit
// processes with little address space to spare: all backdrops together stay
// within a fixed budget, the one drawn longest ago giving way first, and a
// surface that does not fit, or whose bitmap cannot be made, is drawn
// directly.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"
#include "render/FrameBuffer.h"
#include "render/GdiPlusObjects.h"

namespace quillon {

// Everything a backdrop's picture depends on.
struct BackdropContent {
    int32_t displayMode;
    float rangeNm;
    int32_t width;
    int32_t height;
    uint32_t backgroundColour;

    bool operator==(const BackdropContent& other) const {
        return displayMode == other.displayMode && rangeNm == other.rangeNm && width == other.width &&
               height == other.height && backgroundColour == other.backgroundColour;
    }
};

// The backdrop a surface may copy: null to draw directly; repaint when its
// bitmap does not show the content yet (new, resized, or shown otherwise).
// frame, of the same size, composes the surface's picture off the surface;
// null where the host has no GDI or the budget no room for it.
struct BackdropLease {
    render::Backdrop* backdrop = nullptr;
    bool repaint = false;
    render::FrameBuffer* frame = nullptr;
};

class BackdropCache {
public:
    static constexpr int kSlots = 32;
    static constexpr int64_t kDefaultBudgetBytes = int64_t{16} * 1024 * 1024;

    // The surface's backdrop for the content; the caller paints it when told.
    BackdropLease lease(const void* owner, host::DeviceContext surface, const BackdropContent& content);
    // Frees every backdrop of the owner (a gauge going away).
    void releaseOwner(const void* owner);

    // The storage of every backdrop and frame buffer, counted against the budget.
    int64_t bytesHeld() const;
    int backdropsHeld() const;
    int64_t budgetBytes() const { return budgetBytes_; }
    // Backdrops beyond a lowered budget go at once, the oldest first.
    void setBudgetBytes(int64_t bytes);

private:
    struct Slot {
        const void* owner = nullptr;
        host::DeviceContext surface = nullptr;
        BackdropContent content{};
        bool painted = false;
        bool failed = false;  // the bitmap of this size could not be made: not tried again
        uint64_t lastDrawn = 0;
        render::Backdrop backdrop;
        render::FrameBuffer frame;
        int64_t bytesHeld() const { return backdrop.storageBytes() + frame.storageBytes(); }
    };

    Slot* slotOf(const void* owner, host::DeviceContext surface);
    Slot& freeOrOldestSlot();
    Slot* oldestHolding(const Slot* spare);
    void empty(Slot& slot);
    void freeBitmap(Slot& slot);
    bool remake(Slot& slot);
    void remakeFrame(Slot& slot);
    bool makeRoom(int64_t bytes, const Slot* spare);

    Slot slots_[kSlots];
    int64_t budgetBytes_ = kDefaultBudgetBytes;
    uint64_t drawSequence_ = 0;
};

// The module's one cache. Never destroyed: its bitmaps go with the gauges
// that own them, before their GDI+ shut-down, never at process exit.
BackdropCache& backdropCache();

}  // namespace quillon
