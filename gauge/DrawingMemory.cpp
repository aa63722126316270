#include "gauge/DrawingMemory.h"

#include <cstdint>
#include <new>

namespace quillon {
namespace {

// The reference build draws every frame directly: its backdrops' bound holds nothing.
#if defined(QUILLON_DIRECT_DRAWING)
constexpr int64_t kModuleBackdropBound = 0;
#else
constexpr int64_t kModuleBackdropBound = DrawingMemory::kBackdropBoundBytes;
#endif

int64_t bitmapBytes(int32_t width, int32_t height) {
    return int64_t{width} * int64_t{height} * render::OffscreenBitmap::kBytesPerPixel;
}

enum class Remade { kMade, kNoRoom, kFailed };

}  // namespace

class DrawingMemory::AtlasRoom final : public render::PictureRoom {
public:
    AtlasRoom(DrawingMemory& memory, int slot) : memory_(memory), slot_(slot) {}
    bool makeRoomFor(int64_t bytes) override { return memory_.makeRoom(kTextAtlases, bytes, slot_); }

private:
    DrawingMemory& memory_;
    int slot_;
};

DrawingMemory::DrawingMemory() { bounds_[kBackdrops] = kModuleBackdropBound; }

// ---- The one policy ----

int DrawingMemory::slotCount(Kind kind) const { return kind == kBackdrops ? kBackdropSlots : kTextAtlasSlots; }

DrawingMemory::Use& DrawingMemory::useOf(Kind kind, int slot) {
    return kind == kBackdrops ? backdrops_[slot].use : atlases_[slot].use;
}

int64_t DrawingMemory::slotBytes(Kind kind, int slot) const {
    if (kind == kTextAtlases) return atlases_[slot].atlas.bytesHeld();
    return backdrops_[slot].bitmap.storageBytes() + backdrops_[slot].frame.storageBytes();
}

void DrawingMemory::evict(Kind kind, int slot) {
    if (kind == kBackdrops) {
        backdrops_[slot].frame.release();
        backdrops_[slot].bitmap.release();
        backdrops_[slot].painted = false;
    } else {
        atlases_[slot].atlas.release();  // keeps its key: built again when there is room
    }
}

// The requester's previous request is what its competitors are measured by.
void DrawingMemory::stampRequest(Use& use) {
    use.previousRequest = use.last;
    use.last = ++sequence_;
}

int64_t DrawingMemory::bytesHeld(Kind kind) const {
    int64_t held = 0;
    for (int slot = 0; slot < slotCount(kind); ++slot) held += slotBytes(kind, slot);
    return held;
}

int DrawingMemory::picturesHeld(Kind kind) const {
    int held = 0;
    for (int slot = 0; slot < slotCount(kind); ++slot) held += slotBytes(kind, slot) > 0 ? 1 : 0;
    return held;
}

// The holder used longest ago, before the sequence number, other than the
// requester; -1 when none.
int DrawingMemory::oldestIdle(Kind kind, int requester, uint64_t before) const {
    int oldest = -1;
    uint64_t oldestUse = before;
    for (int slot = 0; slot < slotCount(kind); ++slot) {
        if (slot == requester || slotBytes(kind, slot) == 0) continue;
        const uint64_t last = kind == kBackdrops ? backdrops_[slot].use.last : atlases_[slot].use.last;
        if (last < oldestUse) {
            oldest = slot;
            oldestUse = last;
        }
    }
    return oldest;
}

// Room for the bytes beside what the kind holds. Only pictures not used
// since the requester last asked may give way, and only when their going
// makes the room: otherwise every holder keeps its picture and the
// requester draws directly.
bool DrawingMemory::makeRoom(Kind kind, int64_t bytes, int requester) {
    if (bytes > bounds_[kind]) return false;
    int64_t held = bytesHeld(kind);
    if (held + bytes <= bounds_[kind]) return true;
    const uint64_t idleBefore = useOf(kind, requester).previousRequest;
    int64_t idleBytes = 0;
    for (int slot = 0; slot < slotCount(kind); ++slot) {
        if (slot == requester) continue;
        if (useOf(kind, slot).last < idleBefore) idleBytes += slotBytes(kind, slot);
    }
    if (held - idleBytes + bytes > bounds_[kind]) return false;
    while (held + bytes > bounds_[kind]) {
        const int oldest = oldestIdle(kind, requester, idleBefore);
        if (oldest < 0) return false;
        evict(kind, oldest);
        held = bytesHeld(kind);
    }
    return true;
}

// The slot a newcomer's key takes: one holding no picture (a free slot
// holds none and was never used) before one that does, the one used longest
// ago among them.
int DrawingMemory::replaceableSlot(Kind kind) {
    int chosen = 0;
    for (int slot = 1; slot < slotCount(kind); ++slot) {
        const bool holds = slotBytes(kind, slot) > 0;
        const bool chosenHolds = slotBytes(kind, chosen) > 0;
        if (holds != chosenHolds ? !holds : useOf(kind, slot).last < useOf(kind, chosen).last) chosen = slot;
    }
    return chosen;
}

void DrawingMemory::setBoundBytes(Kind kind, int64_t bytes) {
    bounds_[kind] = bytes < 0 ? 0 : bytes;
    while (bytesHeld(kind) > bounds_[kind]) {
        const int oldest = oldestIdle(kind, -1, UINT64_MAX);
        if (oldest < 0) break;
        evict(kind, oldest);
    }
}

// ---- Backdrops ----

void DrawingMemory::forgetBackdrop(BackdropSlot& slot) {
    slot.frame.release();
    slot.bitmap.release();
    slot.use = {};
    slot.owner = nullptr;
    slot.surface = nullptr;
    slot.content = {};
    slot.painted = false;
    slot.failed = false;
}

int DrawingMemory::backdropSlotOf(const void* owner, host::DeviceContext surface) const {
    if (owner == nullptr) return -1;
    for (int slot = 0; slot < kBackdropSlots; ++slot)
        if (backdrops_[slot].owner == owner && backdrops_[slot].surface == surface) return slot;
    return -1;
}

int DrawingMemory::claimBackdropSlot() {
    const int chosen = replaceableSlot(kBackdrops);
    forgetBackdrop(backdrops_[chosen]);
    return chosen;
}

BackdropLease DrawingMemory::leaseBackdrop(const void* owner, host::DeviceContext surface,
                                           const BackdropContent& content) {
    int index = backdropSlotOf(owner, surface);
    const bool drawable = content.width > 0 && content.height > 0;
    const int64_t bytes = drawable ? bitmapBytes(content.width, content.height) : 0;
    if (!drawable || bytes > bounds_[kBackdrops]) {
        if (index >= 0) evict(kBackdrops, index);  // its picture is of no use now
        return {};
    }
    if (index < 0) {
        index = claimBackdropSlot();
        backdrops_[index].owner = owner;
        backdrops_[index].surface = surface;
    }
    BackdropSlot& slot = backdrops_[index];
    stampRequest(slot.use);
    const bool sameSize = slot.content.width == content.width && slot.content.height == content.height;
    if (!sameSize) {
        slot.painted = false;
        slot.failed = false;
    }
    if (slot.failed) return {};
    if (!sameSize || !slot.bitmap.valid()) {
        slot.content = content;
        slot.painted = false;
        if (!remakeBackdrop(index)) return {};
    }
    const bool repaint = !slot.painted || !(slot.content == content);
    slot.content = content;
    if (repaint) slot.painted = false;  // until the caller has painted it
    return BackdropLease{&slot.bitmap, repaint, index, slot.frame.valid() ? &slot.frame : nullptr};
}

void DrawingMemory::markPainted(const BackdropLease& lease) {
    if (lease.slot < 0 || lease.slot >= kBackdropSlots || lease.bitmap != &backdrops_[lease.slot].bitmap) return;
    backdrops_[lease.slot].painted = true;
    ++made_[kBackdrops];
}

// A bitmap of the slot's size, in the storage the slot holds when that
// serves, else in new storage once there is room for it. A bitmap GDI+ will
// not make is not asked for again at this size; no room now may be room later.
bool DrawingMemory::remakeBackdrop(int index) {
    BackdropSlot& slot = backdrops_[index];
    slot.frame.release();  // of the old size
    const int64_t storage = slot.bitmap.storageBytesFor(slot.content.width, slot.content.height);
    if (storage != slot.bitmap.storageBytes()) {
        slot.bitmap.release();  // the old storage goes before the new is counted
        if (storage == 0) {
            slot.failed = true;
            return false;
        }
        if (!makeRoom(kBackdrops, storage, index)) return false;
    }
    if (slot.bitmap.create(slot.content.width, slot.content.height)) {
        remakeFrame(index);
        return true;
    }
    slot.bitmap.release();
    slot.failed = true;
    return false;
}

// The frame buffer beside the backdrop, when the host has GDI's functions and
// the bound room for it; without one, the backdrop is copied onto the surface.
void DrawingMemory::remakeFrame(int index) {
    BackdropSlot& slot = backdrops_[index];
    const int64_t bytes = render::FrameBuffer::bytesFor(slot.content.width, slot.content.height);
    if (bytes == 0 || !render::FrameBuffer::available() || !makeRoom(kBackdrops, bytes, index)) return;
    slot.frame.create(slot.content.width, slot.content.height);
}

void DrawingMemory::discardBackdrop(const void* owner, host::DeviceContext surface) {
    const int index = backdropSlotOf(owner, surface);
    if (index >= 0) evict(kBackdrops, index);
}

void DrawingMemory::releaseOwner(const void* owner) {
    for (BackdropSlot& slot : backdrops_) {
        if (slot.owner == owner) forgetBackdrop(slot);
    }
}

// ---- Text atlases ----

// The slot keyed for the content, else a fresh one.
int DrawingMemory::atlasSlotFor(const render::TextAtlasContent& content, float scaleX, float scaleY) {
    for (int slot = 0; slot < kTextAtlasSlots; ++slot)
        if (atlases_[slot].atlas.keyedFor(content, scaleX, scaleY)) return slot;
    const int chosen = replaceableSlot(kTextAtlases);
    atlases_[chosen].atlas.forget();
    atlases_[chosen].use = {};
    return chosen;
}

const render::TextAtlas* DrawingMemory::textAtlas(const render::TextAtlasContent& content, float scaleX,
                                                  float scaleY) {
    const int index = atlasSlotFor(content, scaleX, scaleY);
    AtlasSlot& slot = atlases_[index];
    const bool keyed = slot.atlas.keyedFor(content, scaleX, scaleY);
    stampRequest(slot.use);
    if (slot.atlas.ready()) return &slot.atlas;
    if (keyed && slot.atlas.failed()) return nullptr;
    // Refused for room before: measured already, so no drawing call is made
    // until the room is there.
    if (keyed && slot.atlas.refusedBytes() > 0 && !makeRoom(kTextAtlases, slot.atlas.refusedBytes(), index))
        return nullptr;
    AtlasRoom room(*this, index);
    if (!slot.atlas.build(content, scaleX, scaleY, room)) return nullptr;
    ++made_[kTextAtlases];
    return &slot.atlas;
}

void DrawingMemory::releaseTextAtlases() {
    for (AtlasSlot& slot : atlases_) {
        slot.atlas.forget();
        slot.use = {};
    }
}

DrawingMemory& drawingMemory() {
    alignas(DrawingMemory) static unsigned char storage[sizeof(DrawingMemory)];
    static DrawingMemory* memory = ::new (static_cast<void*>(storage)) DrawingMemory();
    return *memory;
}

}  // namespace quillon
