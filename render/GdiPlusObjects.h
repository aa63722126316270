// Thin owners of GDI+ objects. Each pairs the native handle with the last
// non-zero status of a call made on it; nobody acts on that status, drawing
// simply goes on. Native handles stay inside render/.
#pragma once

#include "host/HostTypes.h"
#include "render/DrawnRegion.h"
#include "render/GdiPlusTypes.h"

namespace render {

using gdip::GpStatus;
using gdip::PointF;
using gdip::RectF;

// GDI+ calls of the module that failed so far: a picture kept for later
// frames is drawn again when one failed while it was drawn.
uint64_t failedGdiCalls();
void countFailedGdiCall();

class StatusRecord {
public:
    GpStatus lastStatus() const { return lastStatus_; }

protected:
    GpStatus record(GpStatus status) {
        if (status != gdip::kOk) {
            lastStatus_ = status;
            countFailedGdiCall();
        }
        return status;
    }
    void resetStatus() { lastStatus_ = gdip::kOk; }

private:
    GpStatus lastStatus_ = gdip::kOk;
};

// Objects of the colour scheme live in memory from GDI+'s own allocator.
struct GdipAllocated {
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* pointer) noexcept;
};

// Native GDI+ objects held by wrappers right now (leak checks of long runs).
int liveGdiObjects();
// For the wrappers in render/ that hold native objects of their own.
void countNativeHeld(const void* native);
void countNativeDeleted(const void* native);

class Brush;
class Pen;
class Font;
class FontFamily;
class StringFormat;
class OffscreenBitmap;
class StrokePath;

// A graphics object drawing on a host device context. Lives inline in the
// surface cache, so it can be emptied and re-created in place.
class Graphics : public StatusRecord {
public:
    Graphics() = default;
    ~Graphics() { release(); }
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    // Replaces any held object; false when GDI+ gives none.
    bool createFromDeviceContext(host::DeviceContext deviceContext);
    // Replaces any held object with one drawing on the bitmap.
    bool createOnBitmap(gdip::GpBitmap* bitmap);
    void release();
    bool valid() const { return native_ != nullptr; }

    void scaleWorldTransform(float sx, float sy);
    void translateWorldTransform(float dx, float dy);
    void resetWorldTransform();
    void clear(uint32_t argb);
    void setSmoothingMode(int mode);
    void setTextRenderingHint(int hint);
    gdip::GraphicsContainer beginContainer();
    // False when the container stays open: later drawing would sit in it.
    bool endContainer(gdip::GraphicsContainer container);

    void drawLine(const Pen& pen, float x1, float y1, float x2, float y2);
    void drawEllipse(const Pen& pen, float x, float y, float width, float height);
    void drawArc(const Pen& pen, float x, float y, float width, float height, float startAngle, float sweepAngle);
    void drawRectangle(const Pen& pen, float x, float y, float width, float height);
    void fillEllipse(const Brush& brush, float x, float y, float width, float height);
    // The slice of the ellipse from the start angle (degrees clockwise from +x) over the sweep.
    void fillPie(const Brush& brush, float x, float y, float width, float height, float startAngle, float sweepAngle);

    // Text at an origin point: the layout rectangle has zero size there, so
    // the format's alignments act around the point. length -1: zero-terminated.
    void drawText(const char16_t* text, int length, const Font& font, float x, float y, const StringFormat* format,
                  const Brush* brush);
    // Bounds of the text laid out at the origin, with GDI+'s default format.
    RectF measureText(const char16_t* text, int length, const Font& font, float x, float y);

    // The bitmap's pixels at the given pixel position, one to one, whatever
    // the world transform; transform, clip and compositing are as before
    // afterwards. False when the pixels may not be there, or the world
    // transform may not have come back (the caller sets it afresh).
    bool drawBitmap(const OffscreenBitmap& bitmap, int32_t x, int32_t y);
    // The source rectangle (pixels) of the bitmap into the
    // destination (world units), as the world transform maps it.
    void drawBitmapPart(const OffscreenBitmap& bitmap, const RectF& destination, const RectF& sourcePixels);
    void setInterpolationMode(int mode);
    // Connected lines through the points, stroked as one.
    void drawLines(const Pen& pen, const PointF* points, int count);
    // Every line of the path in one stroke.
    void drawPath(const Pen& pen, const StrokePath& path);

    // From now on marks in the region where it draws (a picture kept from
    // frame to frame); null: marks nothing.
    void markDrawingIn(DrawnRegion* region) { drawn_ = region; }

private:
    friend class OffscreenBitmap;
    friend class FrameBuffer;

    // World units to device pixels as the module sets the world transform
    // (scales and translations only): device = world x scale + offset.
    struct Placement {
        float scaleX = 1.0f;
        float scaleY = 1.0f;
        float offsetX = 0.0f;
        float offsetY = 0.0f;
    };
    static constexpr int kDeepestContainer = 8;

    void followTransform(GpStatus status);
    void markWorldBox(float left, float top, float right, float bottom, float padPixels);
    void markStroke(const Pen& pen, float x1, float y1, float x2, float y2);
    void markText(const char16_t* text, int length, const Font& font, float x, float y, const StringFormat* format);
    float penHalfWidthPixels(const Pen& pen) const;

    gdip::GpGraphics* native_ = nullptr;
    DrawnRegion* drawn_ = nullptr;
    Placement placement_;
    Placement containerBase_;  // where a reset of the world transform goes back to
    Placement outerBases_[kDeepestContainer];
    int depth_ = 0;
    // A transform call failed or containers nested too deep: where drawing
    // lands is not known until the transform is reset outside any container.
    bool placementLost_ = false;
    float dpiY_ = 0.0f;  // asked for at the first text; 0 before
};

// A picture kept off the surface: a 32-bit bitmap of a fixed pixel size with
// a graphics object drawing on it, copied onto a surface when needed. Its
// pixels live in storage of its own, which a new size reuses while it fits
// there and fills at least half of it: a surface resized by a pixel or two
// gets a new bitmap without a new megabyte, and GDI+ never zeroes pixels
// that the picture's clear paints over anyway.
class OffscreenBitmap : public StatusRecord {
public:
    OffscreenBitmap() = default;
    ~OffscreenBitmap() { release(); }
    OffscreenBitmap(const OffscreenBitmap&) = delete;
    OffscreenBitmap& operator=(const OffscreenBitmap&) = delete;

    // Replaces any held bitmap; false, holding no bitmap, when the size is
    // not drawable or GDI+ gives no bitmap or no graphics object for it.
    // The pixels are undefined until drawn, but a readable backdrop (at most
    // 16384 pixels a side) starts transparent, for pixels() to read.
    bool create(int32_t width, int32_t height, bool readable = false);
    // Frees the bitmap and its storage.
    void release();
    bool valid() const { return bitmap_ != nullptr && graphics_.valid(); }
    // Premultiplied ARGB, row after row (width() a row); null without a bitmap.
    const uint32_t* pixels() const { return bitmap_ != nullptr ? reinterpret_cast<const uint32_t*>(pixels_) : nullptr; }
    // The same pixels, for drawing on as memory.
    uint32_t* pixelsToDrawOn() { return bitmap_ != nullptr ? reinterpret_cast<uint32_t*>(pixels_) : nullptr; }

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    // What the backdrop holds in memory, bitmap or not.
    int64_t storageBytes() const { return storageBytes_; }
    // What create() would hold for the size: the storage held now when it
    // serves, else the size's own bytes.
    int64_t storageBytesFor(int32_t width, int32_t height) const;
    static constexpr int64_t kBytesPerPixel = 4;

    // Draws on the bitmap.
    Graphics& graphics() { return graphics_; }

private:
    friend class Graphics;
    bool storageServes(int64_t bytes) const { return bytes <= storageBytes_ && bytes * 2 >= storageBytes_; }
    void releaseBitmap();
    void releaseStorage();

    gdip::GpBitmap* bitmap_ = nullptr;
    Graphics graphics_;
    uint8_t* pixels_ = nullptr;  // owned; outlives the bitmap over it
    int64_t storageBytes_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

// Brush base: destruction is its virtual operation.
class Brush : public StatusRecord, public GdipAllocated {
public:
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;
    virtual ~Brush();

    bool valid() const { return native_ != nullptr; }

protected:
    Brush() = default;
    gdip::GpBrush* native_ = nullptr;

private:
    friend class Graphics;
    friend class Pen;
};

class SolidBrush final : public Brush {
public:
    explicit SolidBrush(uint32_t argb);
    // Out of line: the table of operations then lives with the module's
    // objects, built without type information.
    ~SolidBrush() override;
};

class Pen : public StatusRecord, public GdipAllocated {
public:
    // A pen that takes its colour from the brush; width in the given unit.
    Pen(const Brush& brush, float width, int unit);
    ~Pen();
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;

    // Dash and gap lengths in multiples of the pen width.
    void setDashPattern(const float* dashes, int count);
    bool valid() const { return native_ != nullptr; }
    float width() const { return width_; }
    int unit() const { return unit_; }

private:
    friend class Graphics;
    gdip::GpPen* native_ = nullptr;
    float width_ = 0.0f;
    int unit_ = 0;
};

// What a font was made from: two fonts with equal descriptions draw alike.
struct FontDescription {
    static constexpr int kFamilyCapacity = 32;
    char16_t family[kFamilyCapacity] = {};  // empty: the generic sans-serif family
    float emSize = 0.0f;
    int style = 0;
    int unit = 0;

    bool operator==(const FontDescription& other) const;
    bool operator!=(const FontDescription& other) const { return !(*this == other); }
};

class FontFamily : public StatusRecord, public GdipAllocated {
public:
    // Looks the family up by name; valid() tells whether it was found.
    explicit FontFamily(const char16_t* name);
    // The generic sans-serif family.
    static FontFamily* genericSansSerif();
    ~FontFamily();
    FontFamily(const FontFamily&) = delete;
    FontFamily& operator=(const FontFamily&) = delete;

    bool valid() const { return native_ != nullptr; }

private:
    FontFamily() = default;
    friend class Font;
    gdip::GpFontFamily* native_ = nullptr;
    const char16_t* name_ = nullptr;  // null for the generic family
};

class Font : public StatusRecord, public GdipAllocated {
public:
    // An empty font holding only a status; see create().
    Font() = default;
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Creates from the family; on failure keeps the status and stays empty.
    bool create(const FontFamily& family, float emSize, int style, int unit);
    void recordFailure(GpStatus status) { record(status); }
    float size();
    bool valid() const { return native_ != nullptr; }
    const FontDescription& description() const { return description_; }

private:
    friend class Graphics;
    gdip::GpFont* native_ = nullptr;
    FontDescription description_;
    void describe(const FontFamily& family, float emSize, int style, int unit);
};

class StringFormat : public StatusRecord, public GdipAllocated {
public:
    StringFormat(int flags, uint16_t language);
    ~StringFormat();
    StringFormat(const StringFormat&) = delete;
    StringFormat& operator=(const StringFormat&) = delete;

    void setAlignment(int alignment);
    void setLineAlignment(int alignment);
    bool valid() const { return native_ != nullptr; }
    int alignment() const { return alignment_; }
    int lineAlignment() const { return lineAlignment_; }
    // What it was made with (its alignments are set by each user).
    int flags() const { return flags_; }
    uint16_t language() const { return language_; }

private:
    friend class Graphics;
    gdip::GpStringFormat* native_ = nullptr;
    int alignment_ = 0;  // near, as GDI+ makes a format
    int lineAlignment_ = 0;
    int flags_ = 0;
    uint16_t language_ = 0;
};

// Every rotation and translation is prepended to the current matrix.
class Matrix : public StatusRecord, public GdipAllocated {
public:
    Matrix();
    ~Matrix();
    Matrix(const Matrix&) = delete;
    Matrix& operator=(const Matrix&) = delete;

    void reset();
    void rotate(float degrees);
    void translate(float dx, float dy);
    void transformPoints(PointF* points, int count);
    bool valid() const { return native_ != nullptr; }

private:
    gdip::GpMatrix* native_ = nullptr;
};

// Separate lines gathered to be stroked with one pen in one call: the
// drawing library sets a stroke up once for all of them. Emptied, not
// remade, between uses, so its storage is reused. Where lines overlap, the
// stroke covers a pixel once: their anti-aliased edges do not add up as they
// do when each line is drawn on its own.
class StrokePath : public StatusRecord, public GdipAllocated {
public:
    StrokePath();
    ~StrokePath();
    StrokePath(const StrokePath&) = delete;
    StrokePath& operator=(const StrokePath&) = delete;

    // A line as a figure of its own (not joined to the one before).
    void addLine(float x1, float y1, float x2, float y2);
    // Empties the path. A path that could not be emptied lets its object go
    // (invalid from then on): it would otherwise draw old lines again.
    void clear();
    bool valid() const { return native_ != nullptr; }
    bool empty() const { return lines_ == 0; }

private:
    friend class Graphics;
    void releaseNative();

    gdip::GpPath* native_ = nullptr;
    int lines_ = 0;
    // What the lines cover, in world units (valid while lines_ > 0).
    float left_ = 0.0f;
    float top_ = 0.0f;
    float right_ = 0.0f;
    float bottom_ = 0.0f;
};

}  // namespace render
