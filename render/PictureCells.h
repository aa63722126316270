// What the module's kept text pictures share: finding where a cell's ink
// lies, and copying a cell onto a surface at whole pixels, a plain copy for
// the drawing library rather than a resampling.
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
// pixel of the cell that is not fully transparent. False when the picture's
// pixels cannot be read or the cell lies outside it.
bool widenToInk(const OffscreenBitmap& picture, int x, int y, int width, int height, PixelBounds& bounds);

// The source rectangle (the picture's pixels) copied with its corner on the
// target's whole pixel (left, top). The target maps world units to pixels as
// (world + origin) x scale.
void copyAtWholePixels(Graphics& target, const OffscreenBitmap& picture, const RectF& source, double left,
                       double top, float originX, float originY, float scaleX, float scaleY);

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

}  // namespace render
