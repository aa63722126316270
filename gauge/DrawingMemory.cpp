#include "gauge/DrawingMemory.h"

#include <cstdint>
#include <new>

namespace quillon {
namespace {

// The reference build draws every frame directly: it keeps no backdrops
// (and so composes no frames off the surface) and no pictures of the data
// blocks' texts.
#if defined(QUILLON_DIRECT_DRAWING)
constexpr bool kKeepsBackdrops = false;
#else
constexpr bool kKeepsBackdrops = true;
#endif

constexpr DrawingMemory::Kind kEveryKind[] = {DrawingMemory::kBackdrops, DrawingMemory::kFrameBuffers,
                                              DrawingMemory::kTextAtlases, DrawingMemory::kBlockTexts,
                                              DrawingMemory::kCrossAtlases};

// The slot kept for the owner's surface, of any kind keyed so; -1 when none.
template <typename Slot, int N>
int keyedSlot(const Slot (&slots)[N], const void* owner, host::DeviceContext surface) {
    for (int slot = 0; slot < N; ++slot)
        if (slots[slot].owner == owner && slots[slot].surface == surface) return slot;
    return -1;
}

int64_t bitmapBytes(int32_t width, int32_t height) {
    return int64_t{width} * int64_t{height} * render::OffscreenBitmap::kBytesPerPixel;
}

}  // namespace

class DrawingMemory::KindRoom final : public render::PictureRoom {
public:
    KindRoom(DrawingMemory& memory, Kind kind, int slot) : memory_(memory), kind_(kind), slot_(slot) {}
    bool makeRoomFor(int64_t bytes) override { return memory_.makeRoom(kind_, bytes, slot_); }

private:
    DrawingMemory& memory_;
    Kind kind_;
    int slot_;
};

DrawingMemory::DrawingMemory() = default;

// ---- The one policy ----

int DrawingMemory::slotCount(Kind kind) const {
    switch (kind) {
        case kBackdrops: return kBackdropSlots;
        case kFrameBuffers: return kFrameBufferSlots;
        case kBlockTexts: return kBlockTextSlots;
        case kCrossAtlases: return kCrossAtlasSlots;
        default: return kTextAtlasSlots;
    }
}

DrawingMemory::Use& DrawingMemory::useOf(Kind kind, int slot) {
    switch (kind) {
        case kBackdrops: return backdrops_[slot].use;
        case kFrameBuffers: return frames_[slot].use;
        case kBlockTexts: return blockTexts_[slot].use;
        case kCrossAtlases: return crossAtlases_[slot].use;
        default: return atlases_[slot].use;
    }
}

const DrawingMemory::Use& DrawingMemory::useOf(Kind kind, int slot) const {
    return const_cast<DrawingMemory*>(this)->useOf(kind, slot);
}

int64_t DrawingMemory::slotBytes(Kind kind, int slot) const {
    switch (kind) {
        case kBackdrops: return backdrops_[slot].bitmap.storageBytes();
        case kFrameBuffers: return frames_[slot].frame.storageBytes();
        case kBlockTexts: return blockTexts_[slot].picture.bytesHeld();
        case kCrossAtlases: return crossAtlases_[slot].atlas.bytesHeld();
        default: return atlases_[slot].atlas.bytesHeld();
    }
}

void DrawingMemory::evict(Kind kind, int slot) {
    switch (kind) {
        case kBackdrops:
            backdrops_[slot].bitmap.release();
            backdrops_[slot].painted = false;
            backdrops_[slot].picture = 0;
            return;
        case kFrameBuffers: frames_[slot].frame.release(); return;
        case kBlockTexts: blockTexts_[slot].picture.release(); return;  // keeps its key, like an atlas
        case kCrossAtlases: crossAtlases_[slot].atlas.release(); return;
        default: atlases_[slot].atlas.release(); return;  // keeps its key: built again when there is room
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

int64_t DrawingMemory::bytesHeld() const {
    int64_t held = 0;
    for (Kind kind : kEveryKind) held += bytesHeld(kind);
    return held;
}

int DrawingMemory::picturesHeld(Kind kind) const {
    int held = 0;
    for (int slot = 0; slot < slotCount(kind); ++slot) held += slotBytes(kind, slot) > 0 ? 1 : 0;
    return held;
}

// A frame buffer, in use or not, gives way to a backdrop: without its
// frame buffer a surface copies the backdrop by GDI+, without its backdrop
// it draws everything. Frame buffers ask among themselves like the rest.
bool DrawingMemory::givesWay(Kind requesterKind, Kind kind, int slot, uint64_t idleBefore) const {
    if (requesterKind == kBackdrops && kind == kFrameBuffers) return true;
    return useOf(kind, slot).last < idleBefore;
}

// The picture that may give way to the requester, the one used longest ago
// first; false when none.
bool DrawingMemory::oldestIdle(Kind requesterKind, int requester, uint64_t before, Kind& kind, int& slot) const {
    bool found = false;
    uint64_t oldestUse = UINT64_MAX;
    for (Kind candidateKind : kEveryKind) {
        for (int candidate = 0; candidate < slotCount(candidateKind); ++candidate) {
            if ((candidateKind == requesterKind && candidate == requester) || slotBytes(candidateKind, candidate) == 0)
                continue;
            const uint64_t last = useOf(candidateKind, candidate).last;
            if (!givesWay(requesterKind, candidateKind, candidate, before) || last >= oldestUse) continue;
            found = true;
            oldestUse = last;
            kind = candidateKind;
            slot = candidate;
        }
    }
    return found;
}

// Room for the bytes beside what the store holds. Only pictures not used
// since the requester last asked may give way, and only when their going
// makes the room: otherwise every holder keeps its picture and the
// requester goes without.
bool DrawingMemory::makeRoom(Kind kind, int64_t bytes, int requester) {
    if (bytes > bound_) return false;
    int64_t held = bytesHeld();
    if (held + bytes <= bound_) return true;
    const uint64_t idleBefore = useOf(kind, requester).previousRequest;
    int64_t idleBytes = 0;
    for (Kind other : kEveryKind) {
        for (int slot = 0; slot < slotCount(other); ++slot) {
            if (other == kind && slot == requester) continue;
            if (givesWay(kind, other, slot, idleBefore)) idleBytes += slotBytes(other, slot);
        }
    }
    if (held - idleBytes + bytes > bound_) return false;
    while (held + bytes > bound_) {
        Kind oldestKind = kBackdrops;
        int oldest = -1;
        if (!oldestIdle(kind, requester, idleBefore, oldestKind, oldest)) return false;
        evict(oldestKind, oldest);
        held = bytesHeld();
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

void DrawingMemory::setBoundBytes(int64_t bytes) {
    bound_ = bytes < 0 ? 0 : bytes;
    Kind kind = kBackdrops;
    int slot = -1;
    while (bytesHeld() > bound_ && oldestIdle(kKinds, -1, UINT64_MAX, kind, slot)) evict(kind, slot);
}

// ---- Backdrops ----

void DrawingMemory::forgetBackdrop(BackdropSlot& slot) {
    slot.bitmap.release();
    slot.use = {};
    slot.owner = nullptr;
    slot.surface = nullptr;
    slot.content = {};
    slot.painted = false;
    slot.picture = 0;
    slot.failed = false;
}

int DrawingMemory::backdropSlotOf(const void* owner, host::DeviceContext surface) const {
    return owner != nullptr ? keyedSlot(backdrops_, owner, surface) : -1;
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
    if (!kKeepsBackdrops || !drawable || bytes > bound_) {
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
    if (repaint) {  // until the caller has painted it
        slot.painted = false;
        slot.picture = 0;
    }
    return BackdropLease{&slot.bitmap, repaint, index};
}

void DrawingMemory::markPainted(const BackdropLease& lease) {
    if (lease.slot < 0 || lease.slot >= kBackdropSlots || lease.bitmap != &backdrops_[lease.slot].bitmap) return;
    backdrops_[lease.slot].painted = true;
    backdrops_[lease.slot].picture = ++pictures_;
    ++made_[kBackdrops];
}

uint64_t DrawingMemory::backdropPicture(const BackdropLease& lease) const {
    if (lease.slot < 0 || lease.slot >= kBackdropSlots || lease.bitmap != &backdrops_[lease.slot].bitmap) return 0;
    const BackdropSlot& slot = backdrops_[lease.slot];
    return slot.painted ? slot.picture : 0;
}

// A bitmap of the slot's size, in the storage the slot holds when that
// serves, else in new storage once there is room for it. A bitmap GDI+ will
// not make is not asked for again at this size; no room now may be room later.
bool DrawingMemory::remakeBackdrop(int index) {
    BackdropSlot& slot = backdrops_[index];
    const int64_t storage = slot.bitmap.storageBytesFor(slot.content.width, slot.content.height);
    if (storage != slot.bitmap.storageBytes()) {
        slot.bitmap.release();  // the old storage goes before the new is counted
        if (storage == 0) {
            slot.failed = true;
            return false;
        }
        if (!makeRoom(kBackdrops, storage, index)) return false;
    }
    if (slot.bitmap.create(slot.content.width, slot.content.height)) return true;
    slot.bitmap.release();
    slot.failed = true;
    return false;
}

void DrawingMemory::releaseOwner(const void* owner) {
    for (BackdropSlot& slot : backdrops_) {
        if (slot.owner == owner) forgetBackdrop(slot);
    }
    for (FrameSlot& slot : frames_) {
        if (slot.owner == owner) forgetFrameBuffer(slot);
    }
    for (BlockTextSlot& slot : blockTexts_) {
        if (slot.owner == owner) forgetBlockText(slot);
    }
}

// ---- Frame buffers ----

void DrawingMemory::forgetFrameBuffer(FrameSlot& slot) {
    slot.frame.release();
    slot.use = {};
    slot.owner = nullptr;
    slot.surface = nullptr;
    slot.width = 0;
    slot.height = 0;
    slot.failed = false;
    slot.notOverSurface = false;
    slot.sectionsSwapped = 0;
}

// The surface's slot, else a fresh one.
int DrawingMemory::frameSlotFor(const void* owner, host::DeviceContext surface) {
    if (const int kept = keyedSlot(frames_, owner, surface); kept >= 0) return kept;
    const int chosen = replaceableSlot(kFrameBuffers);
    forgetFrameBuffer(frames_[chosen]);
    frames_[chosen].owner = owner;
    frames_[chosen].surface = surface;
    return chosen;
}

render::FrameBuffer* DrawingMemory::frameBuffer(const void* owner, host::DeviceContext surface, int32_t width,
                                                int32_t height) {
    const int64_t bytes = render::FrameBuffer::bytesFor(width, height);
    if (owner == nullptr || bytes == 0 || !render::FrameBuffer::available()) return nullptr;
    const int index = frameSlotFor(owner, surface);
    FrameSlot& slot = frames_[index];
    stampRequest(slot.use);
    if (slot.width != width || slot.height != height) {
        slot.frame.release();  // the old picture goes before the new is counted
        slot.width = width;
        slot.height = height;
        slot.failed = false;
        slot.notOverSurface = false;
        slot.sectionsSwapped = 0;
    }
    // Composed in the host's own section where it has one: no picture to
    // keep, and no blit.
    if (slot.frame.overSurface() && !slot.frame.stillOver(surface)) {
        slot.frame.release();
        // A host that swaps its section all the time would have it probed and
        // wrapped anew in every frame: such a surface gets a picture of its own.
        if (++slot.sectionsSwapped > kSectionSwapsTolerated) slot.notOverSurface = true;
    }
    if (slot.frame.valid()) return &slot.frame;
    slot.frame.release();  // what is left of it goes before the new is counted
    if (!slot.notOverSurface) {
        if (slot.frame.createOverSurface(surface, width, height)) {
            ++made_[kFrameBuffers];
            return &slot.frame;
        }
        slot.notOverSurface = true;  // not asked again at this size: the probe blits
    }
    if (slot.failed || !makeRoom(kFrameBuffers, bytes, index)) return borrowedFrameBuffer(width, height);
    if (!slot.frame.create(width, height)) {
        slot.frame.release();
        slot.failed = true;
        return borrowedFrameBuffer(width, height);
    }
    ++made_[kFrameBuffers];
    return &slot.frame;
}

// Another surface's frame buffer of the size, the one used last: a redraw
// uses it only from the backdrop's copy to the blit, and both surfaces then
// start their next frame from a whole copy of their backdrops.
render::FrameBuffer* DrawingMemory::borrowedFrameBuffer(int32_t width, int32_t height) {
    FrameSlot* lender = nullptr;
    for (FrameSlot& slot : frames_) {
        if (!slot.frame.valid() || slot.frame.overSurface() || slot.width != width || slot.height != height) continue;
        if (lender == nullptr || slot.use.last > lender->use.last) lender = &slot;
    }
    return lender != nullptr ? &lender->frame : nullptr;
}

void DrawingMemory::releaseFrameBuffers() {
    for (FrameSlot& slot : frames_) forgetFrameBuffer(slot);
}

// ---- Text and cross atlases ----

// The slot keyed for the content, else a fresh one.
template <typename Atlas, typename Content, int kSlots>
int DrawingMemory::atlasSlotFor(AtlasSlot<Atlas> (&slots)[kSlots], Kind kind, const Content& content, float scaleX,
                                float scaleY) {
    for (int slot = 0; slot < kSlots; ++slot)
        if (slots[slot].atlas.keyedFor(content, scaleX, scaleY)) return slot;
    const int chosen = replaceableSlot(kind);
    slots[chosen].atlas.forget();
    slots[chosen].use = {};
    return chosen;
}

template <typename Atlas, typename Content, int kSlots>
const Atlas* DrawingMemory::keptAtlas(AtlasSlot<Atlas> (&slots)[kSlots], Kind kind, const Content& content,
                                      float scaleX, float scaleY) {
    const int index = atlasSlotFor(slots, kind, content, scaleX, scaleY);
    AtlasSlot<Atlas>& slot = slots[index];
    const bool keyed = slot.atlas.keyedFor(content, scaleX, scaleY);
    stampRequest(slot.use);
    if (slot.atlas.ready()) return &slot.atlas;
    if (keyed && slot.atlas.failed()) return nullptr;
    // Refused for room before: measured already, so no drawing call is made
    // until the room is there.
    if (keyed && slot.atlas.refusedBytes() > 0 && !makeRoom(kind, slot.atlas.refusedBytes(), index)) return nullptr;
    KindRoom room(*this, kind, index);
    if (!slot.atlas.build(content, scaleX, scaleY, room)) return nullptr;
    ++made_[kind];
    return &slot.atlas;
}

template <typename Atlas, int kSlots>
void DrawingMemory::forgetAtlases(AtlasSlot<Atlas> (&slots)[kSlots]) {
    for (AtlasSlot<Atlas>& slot : slots) {
        slot.atlas.forget();
        slot.use = {};
    }
}

const render::TextAtlas* DrawingMemory::textAtlas(const render::TextAtlasContent& content, float scaleX,
                                                  float scaleY) {
    return keptAtlas(atlases_, kTextAtlases, content, scaleX, scaleY);
}

void DrawingMemory::releaseTextAtlases() { forgetAtlases(atlases_); }

// ---- The data blocks' texts ----

void DrawingMemory::forgetBlockText(BlockTextSlot& slot) {
    slot.picture.forget();
    slot.use = {};
    slot.lastAsked = 0;
    slot.owner = nullptr;
    slot.surface = nullptr;
}

int DrawingMemory::blockTextSlotFor(const void* owner, host::DeviceContext surface) {
    if (const int kept = keyedSlot(blockTexts_, owner, surface); kept >= 0) return kept;
    const int chosen = replaceableSlot(kBlockTexts);
    BlockTextSlot& fresh = blockTexts_[chosen];
    forgetBlockText(fresh);
    fresh.owner = owner;
    fresh.surface = surface;
    return chosen;
}

const render::TextBlockPicture* DrawingMemory::blockTexts(const void* owner, host::DeviceContext surface,
                                                          render::Graphics& graphics,
                                                          const render::TextBlock& block, float scaleX,
                                                          float scaleY) {
    if (!kKeepsBackdrops || owner == nullptr || !render::TextBlockPicture::keepable(block)) return nullptr;
    const int index = blockTextSlotFor(owner, surface);
    BlockTextSlot& slot = blockTexts_[index];
    stampRequest(slot.use);
    render::TextBlockPicture& picture = slot.picture;
    const uint64_t asked = render::fingerprintOf(block, scaleX, scaleY);
    const bool askedBefore = asked == slot.lastAsked;
    slot.lastAsked = asked;
    if (picture.keyedFor(block, scaleX, scaleY)) {
        if (picture.ready()) return &picture;
        if (picture.failed()) return nullptr;
        // Refused for room before: no drawing call until the room is there.
        if (picture.refusedBytes() > 0 && !makeRoom(kBlockTexts, picture.refusedBytes(), index)) return nullptr;
    } else if (!askedBefore) {
        return nullptr;
    }
    KindRoom room(*this, kBlockTexts, index);
    if (!picture.build(graphics, block, scaleX, scaleY, room)) return nullptr;
    ++made_[kBlockTexts];
    return &picture;
}

void DrawingMemory::releaseBlockTexts() {
    for (BlockTextSlot& slot : blockTexts_) forgetBlockText(slot);
}

// ---- The targets' crosses ----

const render::CrossAtlas* DrawingMemory::crossAtlas(const render::CrossAtlasContent& content, float scaleX,
                                                    float scaleY) {
    if (!kKeepsBackdrops) return nullptr;  // the reference strokes every cross
    return keptAtlas(crossAtlases_, kCrossAtlases, content, scaleX, scaleY);
}

void DrawingMemory::releaseCrossAtlases() { forgetAtlases(crossAtlases_); }

DrawingMemory& drawingMemory() {
    alignas(DrawingMemory) static unsigned char storage[sizeof(DrawingMemory)];
    static DrawingMemory* memory = ::new (static_cast<void*>(storage)) DrawingMemory();
    return *memory;
}

}  // namespace quillon
