// A frame's picture composed off the host's surface: a 32-bit DIB section in
// a memory device context of its own, with a GDI+ bitmap and graphics object
// over the same pixels. A redraw puts the backdrop's pixels back (only where
// the last frame drew, when the picture still holds that backdrop), draws
// what moves with GDI+ on it, and hands the finished picture to the host's
// device context in one GDI blit, which also converts it to the surface's
// depth. Where the host's surface is itself a 32-bit DIB section, the frame
// is composed in the section's pixels instead: the same steps, with the
// whole backdrop copied in (the host may have erased or drawn over the last
// frame) and no blit.
// GDI+ on a device context (Wine's at least) takes milliseconds for what it
// does in microseconds on a bitmap of its own.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"
#include "render/GdiPlusObjects.h"
#include "render/LineRaster.h"
#include "render/PixelBlend.h"
#include "render/SurfacePixels.h"

namespace render {

class FrameBuffer : public StatusRecord {
public:
    FrameBuffer() = default;
    ~FrameBuffer() { release(); }
    FrameBuffer(const FrameBuffer&) = delete;
    FrameBuffer& operator=(const FrameBuffer&) = delete;

    // Whether the host provides the GDI functions (a Linux host may not).
    static bool available();
    // What a frame buffer of the size holds in memory; 0 when it cannot be made.
    static int64_t bytesFor(int32_t width, int32_t height);

    // Replaces any held picture; false, holding nothing, when the size is not
    // drawable or GDI or GDI+ gives no section, bitmap or graphics for it.
    bool create(int32_t width, int32_t height);
    // Over the pixels of the 32-bit DIB section the device context holds;
    // false, holding nothing, when it holds none of the size or GDI+ gives no
    // bitmap over it.
    bool createOverSurface(host::DeviceContext deviceContext, int32_t width, int32_t height);
    // Whether the device context still holds the section this frame buffer
    // is over (a host may put another in, or free it).
    bool stillOver(host::DeviceContext deviceContext) const;
    bool overSurface() const { return surface_.section != nullptr; }
    void release();
    bool valid() const { return bitmap_ != nullptr && graphics_.valid(); }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    // The host's section is not the module's to count; the own section is,
    // until released, even once its graphics was given up.
    int64_t storageBytes() const { return bitmap_ != nullptr && !overSurface() ? bytesFor(width_, height_) : 0; }

    // The backdrop's pixels as the picture's start; false when the sizes
    // differ. `picture` names what the backdrop shows (0: unknown): when the
    // frame buffer was last started from the same, only what was drawn
    // since is copied back.
    bool startFrom(const OffscreenBitmap& backdrop, uint64_t picture);
    // The next start copies the whole backdrop (a call failed, so where the
    // last frame drew may not be known).
    void forgetPicture() { startedFrom_ = 0; }
    // Draws on the picture, scaled as asked (the transform set again only
    // when the scale changes).
    Graphics& graphics(float scaleX, float scaleY);
    // The transform is set again at the next use (a failed call may have left
    // it off).
    void forgetScale() {
        scaleX_ = 0.0f;
        scaleY_ = 0.0f;
    }
    // The picture's pixels from (sourceX, sourceY), width x height, blended
    // over the frame's at (x, y) as memory (premultiplied, source over),
    // clipped to both: what a GDI+ copy at whole pixels does, without its
    // cost per call (Wine's gdiplus takes tens of microseconds for a text's
    // cell). False, touching nothing, when the picture has no pixels.
    bool blendOver(const OffscreenBitmap& picture, int32_t sourceX, int32_t sourceY, int32_t width, int32_t height,
                   int32_t x, int32_t y) {
        return blendInkOver(picture, nullptr, sourceX, sourceY, width, height, x, y);
    }
    // The same, each row blended only over its ink: `rows` holds the span of
    // the picture's columns for each row of the rectangle, from sourceY on
    // (null: every row whole). Outside a span a picture's pixels are 0 and
    // leave the frame's as they are.
    bool blendInkOver(const OffscreenBitmap& picture, const InkSpan* rows, int32_t sourceX, int32_t sourceY,
                      int32_t width, int32_t height, int32_t x, int32_t y);
    // The quadrilateral (in pixels) filled with the premultiplied colour as
    // memory, each pixel at its covered share. False, touching nothing, where
    // `blendConvexQuad` is: the caller draws with GDI+ instead.
    bool blendQuad(const QuadCorners& quad, uint32_t premultipliedColour);
    // A disc (centre and radius in pixels) filled the same way; from the
    // stamp of its radius where there is one.
    bool blendDisc(double x, double y, double radius, uint32_t premultipliedColour, const DiscStamp* stamp = nullptr);
    // The picture onto the device context, at its top-left corner, pixel for
    // pixel (where it is composed on the surface already: nothing to do).
    bool blitTo(host::DeviceContext deviceContext);
    // The picture copied by GDI+ instead, at the origin, pixel for pixel.
    void drawOnto(Graphics& target);

private:
    bool wrapPixels(uint8_t* topRow, int32_t rowBytes, int32_t width, int32_t height);
    uint32_t* row(int32_t y) const { return reinterpret_cast<uint32_t*>(pixels_ + int64_t{y} * rowBytes_); }
    void copyAllPixels(const uint32_t* source);
    void copyDrawnPixels(const uint32_t* source);
    // The next start puts the backdrop back over what a blend touched.
    void markBlended(const BlendedBox& blended);

    void* deviceContext_ = nullptr;
    void* section_ = nullptr;
    void* previousBitmap_ = nullptr;
    uint8_t* pixels_ = nullptr;  // the top row of the section's, freed with it
    int32_t rowBytes_ = 0;       // negative for a host's section stored bottom-up
    SurfacePixels surface_;      // the host's section, when the pixels are its own
    gdip::GpBitmap* bitmap_ = nullptr;
    Graphics graphics_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    uint64_t startedFrom_ = 0;  // the backdrop picture the pixels hold, under what was drawn since
    DrawnRegion drawn_;
    float scaleX_ = 0.0f;  // of the graphics' world transform; 0 before the first use
    float scaleY_ = 0.0f;
};

}  // namespace render
