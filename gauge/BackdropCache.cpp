#include "gauge/BackdropCache.h"

#include <new>

namespace quillon {
namespace {

// The reference build draws every frame directly: its budget holds nothing.
#if defined(QUILLON_DIRECT_DRAWING)
constexpr int64_t kModuleBudgetBytes = 0;
#else
constexpr int64_t kModuleBudgetBytes = BackdropCache::kDefaultBudgetBytes;
#endif

int64_t bitmapBytes(int32_t width, int32_t height) {
    return int64_t{width} * int64_t{height} * render::Backdrop::kBytesPerPixel;
}

}  // namespace

BackdropLease BackdropCache::lease(const void* owner, host::DeviceContext surface, const BackdropContent& content) {
    Slot* slot = slotOf(owner, surface);
    const bool drawable = content.width > 0 && content.height > 0;
    const int64_t bytes = drawable ? bitmapBytes(content.width, content.height) : 0;
    if (!drawable || bytes > budgetBytes_) {
        if (slot != nullptr) empty(*slot);  // its picture is of no use now
        return {};
    }

    if (slot == nullptr) {
        slot = &freeOrOldestSlot();
        slot->owner = owner;
        slot->surface = surface;
    }
    slot->lastDrawn = ++drawSequence_;
    const bool sameSize = slot->content.width == content.width && slot->content.height == content.height;
    if (!sameSize) {
        slot->painted = false;
        slot->failed = false;
    }
    if (slot->failed) return {};
    if (!sameSize || !slot->backdrop.valid()) {
        slot->content = content;
        if (!remake(*slot)) {
            slot->failed = true;
            return {};
        }
        slot->painted = false;
    }
    const bool repaint = !slot->painted || !(slot->content == content);
    slot->content = content;
    slot->painted = true;
    return BackdropLease{&slot->backdrop, repaint, slot->frame.valid() ? &slot->frame : nullptr};
}

void BackdropCache::releaseOwner(const void* owner) {
    for (Slot& slot : slots_)
        if (slot.owner == owner) empty(slot);
}

int64_t BackdropCache::bytesHeld() const {
    int64_t held = 0;
    for (const Slot& slot : slots_) held += slot.bytesHeld();
    return held;
}

int BackdropCache::backdropsHeld() const {
    int held = 0;
    for (const Slot& slot : slots_) held += slot.backdrop.valid() ? 1 : 0;
    return held;
}

void BackdropCache::setBudgetBytes(int64_t bytes) {
    budgetBytes_ = bytes < 0 ? 0 : bytes;
    makeRoom(0, nullptr);
}

BackdropCache::Slot* BackdropCache::slotOf(const void* owner, host::DeviceContext surface) {
    for (Slot& slot : slots_)
        if (slot.owner == owner && slot.surface == surface && owner != nullptr) return &slot;
    return nullptr;
}

BackdropCache::Slot& BackdropCache::freeOrOldestSlot() {
    Slot* oldest = &slots_[0];
    for (Slot& slot : slots_) {
        if (slot.owner == nullptr) return slot;
        if (slot.lastDrawn < oldest->lastDrawn) oldest = &slot;
    }
    empty(*oldest);
    return *oldest;
}

BackdropCache::Slot* BackdropCache::oldestHolding(const Slot* spare) {
    Slot* oldest = nullptr;
    for (Slot& slot : slots_) {
        if (&slot == spare || slot.bytesHeld() == 0) continue;
        if (oldest == nullptr || slot.lastDrawn < oldest->lastDrawn) oldest = &slot;
    }
    return oldest;
}

void BackdropCache::empty(Slot& slot) {
    freeBitmap(slot);
    slot.owner = nullptr;
    slot.surface = nullptr;
    slot.content = BackdropContent{};
    slot.failed = false;
    slot.lastDrawn = 0;
}

void BackdropCache::freeBitmap(Slot& slot) {
    slot.frame.release();
    slot.backdrop.release();
    slot.painted = false;
}

// A bitmap of the slot's size, in the storage the slot holds when that
// serves, else in new storage once the budget has room for it.
bool BackdropCache::remake(Slot& slot) {
    const int64_t storage = slot.backdrop.storageBytesFor(slot.content.width, slot.content.height);
    if (storage != slot.backdrop.storageBytes()) {
        freeBitmap(slot);  // the old storage goes before the new is counted
        if (storage == 0 || !makeRoom(storage, &slot)) return false;
    }
    slot.frame.release();  // of the old size
    if (!slot.backdrop.create(slot.content.width, slot.content.height)) {
        freeBitmap(slot);
        return false;
    }
    remakeFrame(slot);
    return true;
}

// The frame buffer beside the backdrop, when the host has GDI's functions and
// the budget room for it; without one, the backdrop is copied onto the surface.
void BackdropCache::remakeFrame(Slot& slot) {
    const int64_t bytes = render::FrameBuffer::bytesFor(slot.content.width, slot.content.height);
    if (bytes == 0 || !render::FrameBuffer::available() || !makeRoom(bytes, &slot)) return;
    slot.frame.create(slot.content.width, slot.content.height);
}

// Frees the backdrops drawn longest ago, other than the spare one, until
// the bytes fit in the budget beside what is held.
bool BackdropCache::makeRoom(int64_t bytes, const Slot* spare) {
    while (bytesHeld() + bytes > budgetBytes_) {
        Slot* oldest = oldestHolding(spare);
        if (oldest == nullptr) return false;
        empty(*oldest);
    }
    return true;
}

BackdropCache& backdropCache() {
    alignas(BackdropCache) static unsigned char storage[sizeof(BackdropCache)];
    static BackdropCache* cache = [] {
        BackdropCache* made = ::new (static_cast<void*>(storage)) BackdropCache();
        made->setBudgetBytes(kModuleBudgetBytes);
        return made;
    }();
    return *cache;
}

}  // namespace quillon
