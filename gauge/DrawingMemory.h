// The module's drawing memory: every off-screen picture it keeps to spare
// the frame rate, in one store with one accounting, one bound and one
// policy. Four kinds live here: backdrops (for each surface a gauge draws
// on, the current view's fixed part, copied in place of drawing it again),
// frame buffers (one per surface beside its backdrop, on which a redraw
// composes the picture before one blit hands it to the host; kept from frame
// to frame, so that only what the last frame drew is put back), the tags'
// text atlases (short texts and arrows drawn once per scale and scheme) and
// the data blocks' pictures (for each surface, its block's texts drawn once
// while they stay the same); beside them the targets' crosses, drawn once
// per scale and scheme. The simulators are 32-bit processes with little
// address space to spare: all of them together stay within 40 MiB.
//
// When more pictures compete than fit, those that hold a picture keep it and
// the newcomer goes without (the surface is drawn directly): a holder gives
// way only once it has not been used since the newcomer last asked (a closed
// window, a view no longer shown). Nothing is made in one frame only to be
// thrown out by the next.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"
#include "render/CrossAtlas.h"
#include "render/FrameBuffer.h"
#include "render/GdiPlusObjects.h"
#include "render/TextAtlas.h"
#include "render/TextBlock.h"

namespace quillon {

// Everything a backdrop's picture depends on.
struct BackdropContent {
    int32_t displayMode;
    float rangeNm;
    int32_t width;
    int32_t height;
    uint32_t backgroundColour;
    int32_t dimmingStep = 0;  // one backdrop per surface: a new step paints it once

    bool operator==(const BackdropContent& other) const {
        return displayMode == other.displayMode && rangeNm == other.rangeNm && width == other.width &&
               height == other.height && backgroundColour == other.backgroundColour &&
               dimmingStep == other.dimmingStep;
    }
};

// The backdrop a surface may copy: none to draw directly; repaint when its
// bitmap does not show the content yet (new, resized, or shown otherwise).
// Once repainted, markPainted says so.
struct BackdropLease {
    render::OffscreenBitmap* bitmap = nullptr;
    bool repaint = false;
    int slot = -1;
};

class DrawingMemory {
public:
    enum Kind { kBackdrops, kFrameBuffers, kTextAtlases, kBlockTexts, kCrossAtlases, kKinds };

    static constexpr int kBackdropSlots = 32;
    static constexpr int kFrameBufferSlots = kBackdropSlots;  // one beside each backdrop
    static constexpr int kSectionSwapsTolerated = 8;
    static constexpr int kTextAtlasSlots = 8;    // keys; the bound limits the pictures
    static constexpr int kBlockTextSlots = 16;   // surfaces showing a data block at once
    static constexpr int kCrossAtlasSlots = 16;  // sizes and schemes shown at once
    static constexpr int64_t kBoundBytes = int64_t{40} * 1024 * 1024;

    DrawingMemory();
    DrawingMemory(const DrawingMemory&) = delete;
    DrawingMemory& operator=(const DrawingMemory&) = delete;

    // The surface's backdrop for the content; the caller paints it when told.
    BackdropLease leaseBackdrop(const void* owner, host::DeviceContext surface, const BackdropContent& content);
    void markPainted(const BackdropLease& lease);
    // What the leased backdrop shows, as a number no other picture of the
    // store ever had; 0 while it is not painted.
    uint64_t backdropPicture(const BackdropLease& lease) const;
    // Frees every backdrop, frame buffer and block picture of the owner (a
    // gauge going away).
    void releaseOwner(const void* owner);

    // The surface's frame buffer, of the size; where no room is left for it,
    // another surface's of the same size; null where there is none or the
    // host has no GDI.
    render::FrameBuffer* frameBuffer(const void* owner, host::DeviceContext surface, int32_t width, int32_t height);
    // Frees every frame buffer (with the last gauge, before its GDI+ shut-down).
    void releaseFrameBuffers();

    // The atlas for the content at this scale, kept from earlier frames or
    // built now; null when none can be had (the caller draws the texts).
    const render::TextAtlas* textAtlas(const render::TextAtlasContent& content, float scaleX, float scaleY);
    // Frees every atlas (with the last gauge, before its GDI+ shut-down).
    void releaseTextAtlases();

    // The surface's picture of the block at this scale, kept from earlier
    // frames or built now (measured on the surface's graphics); null when
    // none can be had (the caller draws the texts). A block is drawn into a
    // picture once it shows the same at two requests in a row: texts that
    // change at every frame (a window resized as it is drawn) are drawn
    // directly, as cheaply as ever.
    const render::TextBlockPicture* blockTexts(const void* owner, host::DeviceContext surface,
                                               render::Graphics& graphics, const render::TextBlock& block,
                                               float scaleX, float scaleY);
    // Frees every block's picture (with the last gauge, before its GDI+ shut-down).
    void releaseBlockTexts();

    // The crosses for the content at this scale, kept from earlier frames or
    // built now; null when none can be had (the caller strokes them).
    const render::CrossAtlas* crossAtlas(const render::CrossAtlasContent& content, float scaleX, float scaleY);
    // Frees every cross atlas (with the last gauge, before its GDI+ shut-down).
    void releaseCrossAtlases();

    int64_t bytesHeld(Kind kind) const;
    int64_t bytesHeld() const;
    int picturesHeld(Kind kind) const;
    int64_t boundBytes() const { return bound_; }
    // Pictures beyond a lowered bound go at once, those used longest ago first.
    void setBoundBytes(int64_t bytes);
    // Pictures made (painted afresh or built) since the start: a redraw that
    // keeps remaking them is thrashing.
    uint64_t picturesMade(Kind kind) const { return made_[kind]; }

private:
    // What every kept picture has: when it was last used, and when its
    // requester asked before that (the measure of who may give way to it).
    struct Use {
        uint64_t last = 0;
        uint64_t previousRequest = 0;
    };
    struct BackdropSlot {
        Use use;
        const void* owner = nullptr;
        host::DeviceContext surface = nullptr;
        BackdropContent content{};
        bool painted = false;
        uint64_t picture = 0;  // set when painted
        bool failed = false;  // the bitmap of this size could not be made: not tried again
        render::OffscreenBitmap bitmap;
    };
    struct FrameSlot {
        Use use;
        const void* owner = nullptr;  // with the surface, the key; none: a free slot
        host::DeviceContext surface = nullptr;
        int32_t width = 0;
        int32_t height = 0;
        bool failed = false;  // GDI or GDI+ gave none of this size: not tried again
        bool notOverSurface = false;  // the host's surface gave no section to compose in
        int sectionsSwapped = 0;      // times the host put another section in, at this size
        render::FrameBuffer frame;
    };
    template <typename Atlas>
    struct AtlasSlot {
        Use use;
        Atlas atlas;
    };
    struct BlockTextSlot {
        Use use;
        const void* owner = nullptr;
        host::DeviceContext surface = nullptr;
        uint64_t lastAsked = 0;  // the fingerprint of the block last asked for
        render::TextBlockPicture picture;
    };
    class KindRoom;

    // The one policy, over every kind.
    int slotCount(Kind kind) const;
    Use& useOf(Kind kind, int slot);
    const Use& useOf(Kind kind, int slot) const;
    int64_t slotBytes(Kind kind, int slot) const;
    void evict(Kind kind, int slot);
    void stampRequest(Use& use);
    bool makeRoom(Kind kind, int64_t bytes, int requester);
    bool givesWay(Kind requesterKind, Kind kind, int slot, uint64_t idleBefore) const;
    bool oldestIdle(Kind requesterKind, int requester, uint64_t before, Kind& kind, int& slot) const;
    int replaceableSlot(Kind kind);

    void forgetBackdrop(BackdropSlot& slot);
    void forgetFrameBuffer(FrameSlot& slot);
    int frameSlotFor(const void* owner, host::DeviceContext surface);
    render::FrameBuffer* borrowedFrameBuffer(int32_t width, int32_t height);
    int backdropSlotOf(const void* owner, host::DeviceContext surface) const;
    int claimBackdropSlot();
    bool remakeBackdrop(int slot);
    // Both kinds of atlas, keyed by their content and scale.
    template <typename Atlas, typename Content, int kSlots>
    int atlasSlotFor(AtlasSlot<Atlas> (&slots)[kSlots], Kind kind, const Content& content, float scaleX,
                     float scaleY);
    template <typename Atlas, typename Content, int kSlots>
    const Atlas* keptAtlas(AtlasSlot<Atlas> (&slots)[kSlots], Kind kind, const Content& content, float scaleX,
                           float scaleY);
    template <typename Atlas, int kSlots>
    static void forgetAtlases(AtlasSlot<Atlas> (&slots)[kSlots]);
    void forgetBlockText(BlockTextSlot& slot);
    int blockTextSlotFor(const void* owner, host::DeviceContext surface);

    BackdropSlot backdrops_[kBackdropSlots];
    FrameSlot frames_[kFrameBufferSlots];
    AtlasSlot<render::TextAtlas> atlases_[kTextAtlasSlots];
    BlockTextSlot blockTexts_[kBlockTextSlots];
    AtlasSlot<render::CrossAtlas> crossAtlases_[kCrossAtlasSlots];
    int64_t bound_ = kBoundBytes;
    uint64_t made_[kKinds] = {};
    uint64_t sequence_ = 0;
    uint64_t pictures_ = 0;  // backdrop pictures painted: each its own number
};

// The module's one store. Never destroyed: its pictures go with the gauges
// that use them, before their GDI+ shut-down, never at process exit.
DrawingMemory& drawingMemory();

}  // namespace quillon
