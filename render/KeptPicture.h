// What the module's kept pictures of texts share (the tags' atlas, the data
// blocks' texts): the state of a picture built for a key, the search for
// where its ink lies, and the copy of a cell onto a surface at whole pixels,
// a plain copy for the drawing library rather than a resampling.
#pragma once

#include <cstdint>

#include "render/GdiPlusObjects.h"

namespace render {

// A rectangle of whole pixels; empty while right < left.
struct PixelBounds {
    int left = 0;
    int top = 0;
    int right = -1;  // inclusive
    int bottom = -1;

    bool empty() const { return right < left || bottom < top; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

// Widens the bounds, given relative to the cell's corner (x, y), by every
// pixel of the cell that is not 0 (alpha and colour). False when the picture's
// pixels cannot be read or the cell lies outside it.
bool widenToInk(const OffscreenBitmap& picture, int x, int y, int width, int height, PixelBounds& bounds);

// The source rectangle (the picture's pixels) copied with its corner on the
// target's whole pixel (left, top). The target maps world units to pixels as
// (world + origin) x scale.
void copyAtWholePixels(Graphics& target, const OffscreenBitmap& picture, const RectF& source, double left,
                       double top, float originX, float originY, float scaleX, float scaleY);

// Whoever keeps a picture's memory: asked for room before the picture is made.
class PictureRoom {
public:
    // True when a picture of the bytes may be made now.
    virtual bool makeRoomFor(int64_t bytes) = 0;

protected:
    ~PictureRoom() = default;
};

// A picture built while a GDI+ call failed may lack something: it is built
// once more at its next use, and only after a second such build given up.
class BuildRetry {
public:
    // Call before a build; the failed calls counted so far.
    uint64_t begin() const { return failedGdiCalls(); }
    // After the build: true when no call failed. Otherwise whether the
    // picture is given up for its key is in givenUp().
    bool finish(uint64_t failedBefore);
    bool givenUp() const { return givenUp_; }
    void reset() {
        again_ = false;
        givenUp_ = false;
    }

private:
    bool again_ = false;
    bool givenUp_ = false;
};

// A picture built for a key: ready, found unbuildable for its key, or
// refused for want of room.
class KeptPicture {
public:
    bool ready() const { return ready_; }
    // Found unbuildable for its key: not tried again.
    bool failed() const { return failed_; }
    // The bytes its picture needed when the last build found no room; 0 otherwise.
    int64_t refusedBytes() const { return refusedBytes_; }
    // The memory the picture holds.
    int64_t bytesHeld() const { return picture_.storageBytes(); }
    // Frees the picture; keeps the key, so that it is built again when asked.
    void release();
    // Frees the picture and forgets the key.
    void forget();

protected:
    KeptPicture() = default;
    ~KeptPicture() = default;

    // A readable picture of the size, once the room gives it the
    // bytes; false when the size is not drawable, needs more than
    // `largestBytes`, finds no room (noted in refusedBytes(), no verdict on
    // the key) or cannot be made.
    bool makePictureInRoom(int32_t width, int32_t height, PictureRoom& room, int64_t largestBytes);

    OffscreenBitmap picture_;
    bool ready_ = false;
    bool failed_ = false;  // for the key: not tried again in every frame
    bool keyed_ = false;
    int64_t refusedBytes_ = 0;
    BuildRetry retry_;
};

}  // namespace render
