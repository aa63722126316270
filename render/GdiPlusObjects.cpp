#include "render/GdiPlusObjects.h"

#include <cmath>
#include <cstring>

#include "render/GdiPlusFlat.h"

namespace render {
namespace {

// Native objects held by wrappers now: a leak check for long runs.
int liveNativeObjects = 0;
uint64_t failedCalls = 0;

void countHeld(const void* native) {
    if (native != nullptr) ++liveNativeObjects;
}

void countDeleted(const void* native) {
    if (native != nullptr) --liveNativeObjects;
}

}  // namespace

int liveGdiObjects() { return liveNativeObjects; }
void countNativeHeld(const void* native) { countHeld(native); }
void countNativeDeleted(const void* native) { countDeleted(native); }

uint64_t failedGdiCalls() { return failedCalls; }

void countFailedGdiCall() { ++failedCalls; }

void* GdipAllocated::operator new(size_t size) noexcept { return gdip::GdipAlloc(size); }

void GdipAllocated::operator delete(void* pointer) noexcept {
    if (pointer != nullptr) gdip::GdipFree(pointer);
}

// ---- Graphics ----

bool Graphics::createFromDeviceContext(host::DeviceContext deviceContext) {
    release();
    resetStatus();
    gdip::GpGraphics* created = nullptr;
    record(gdip::GdipCreateFromHDC(deviceContext, &created));
    native_ = created;
    countHeld(native_);
    return native_ != nullptr;
}

bool Graphics::createOnBitmap(gdip::GpBitmap* bitmap) {
    release();
    resetStatus();
    gdip::GpGraphics* created = nullptr;
    record(gdip::GdipGetImageGraphicsContext(reinterpret_cast<gdip::GpImage*>(bitmap), &created));
    native_ = created;
    countHeld(native_);
    return native_ != nullptr;
}

void Graphics::release() {
    if (native_ != nullptr) gdip::GdipDeleteGraphics(native_);
    countDeleted(native_);
    native_ = nullptr;
    placement_ = {};
    containerBase_ = {};
    depth_ = 0;
    placementLost_ = false;
    dpiY_ = 0.0f;
}

// ---- Where drawing lands, for a picture that marks it ----

namespace {

// The lesser and greater of two coordinates, NaN if either is: std::fmin and
// std::fmax pass over a NaN, and a box with one side left out would leave
// unmarked the pixels that the drawing library strokes towards the corner.
float lowerOf(float a, float b) { return a < b || a != a ? a : b; }
float higherOf(float a, float b) { return a > b || a != a ? a : b; }

}  // namespace

void Graphics::followTransform(GpStatus status) {
    if (status != gdip::kOk) placementLost_ = true;
}

void Graphics::scaleWorldTransform(float sx, float sy) {
    followTransform(record(gdip::GdipScaleWorldTransform(native_, sx, sy, gdip::kMatrixOrderPrepend)));
    placement_.scaleX *= sx;
    placement_.scaleY *= sy;
}

void Graphics::translateWorldTransform(float dx, float dy) {
    followTransform(record(gdip::GdipTranslateWorldTransform(native_, dx, dy, gdip::kMatrixOrderPrepend)));
    placement_.offsetX += dx * placement_.scaleX;
    placement_.offsetY += dy * placement_.scaleY;
}

void Graphics::resetWorldTransform() {
    const GpStatus status = record(gdip::GdipResetWorldTransform(native_));
    placement_ = containerBase_;
    // Outside every container a reset that took is a known transform again.
    if (depth_ == 0) placementLost_ = false;
    followTransform(status);
}

void Graphics::markWorldBox(float left, float top, float right, float bottom, float padPixels) {
    if (drawn_ == nullptr) return;
    if (placementLost_) {
        drawn_->markAll();
        return;
    }
    const Placement& p = placement_;
    const float x1 = left * p.scaleX + p.offsetX;
    const float x2 = right * p.scaleX + p.offsetX;
    const float y1 = top * p.scaleY + p.offsetY;
    const float y2 = bottom * p.scaleY + p.offsetY;
    // A coordinate that is not a number marks the whole picture.
    drawn_->markPixels(lowerOf(x1, x2) - padPixels, lowerOf(y1, y2) - padPixels, higherOf(x1, x2) + padPixels,
                       higherOf(y1, y2) + padPixels);
}

// Half the pen's width on the device, with two pixels of anti-aliasing; a
// pen of another unit than these is taken as wide as the picture.
float Graphics::penHalfWidthPixels(const Pen& pen) const {
    constexpr float kSmoothing = 2.0f;
    const float scale = std::fmax(std::fabs(placement_.scaleX), std::fabs(placement_.scaleY));
    if (pen.unit() == gdip::kUnitWorld) return pen.width() * scale / 2 + kSmoothing;
    if (pen.unit() == gdip::kUnitPixel) return pen.width() / 2 + kSmoothing;
    return HUGE_VALF;
}

// A long line is marked piece by piece, so that a diagonal does not mark
// the whole box around it.
void Graphics::markStroke(const Pen& pen, float x1, float y1, float x2, float y2) {
    if (drawn_ == nullptr) return;
    const float pad = penHalfWidthPixels(pen);
    const float dx = (x2 - x1) * placement_.scaleX;
    const float dy = (y2 - y1) * placement_.scaleY;
    const float length = std::sqrt(dx * dx + dy * dy);
    const float tile = static_cast<float>(drawn_->tileSize());
    const int pieces = length > tile ? static_cast<int>(std::fmin(length / tile, 1024.0f)) + 1 : 1;
    for (int piece = 0; piece < pieces; ++piece) {
        const float from = static_cast<float>(piece) / static_cast<float>(pieces);
        const float to = static_cast<float>(piece + 1) / static_cast<float>(pieces);
        markWorldBox(x1 + (x2 - x1) * from, y1 + (y2 - y1) * from, x1 + (x2 - x1) * to, y1 + (y2 - y1) * to, pad);
    }
}

// Text is marked by its most: an em a character across and three ems
// down from where its line starts, an em spare all round.
void Graphics::markText(const char16_t* text, int length, const Font& font, float x, float y,
                        const StringFormat* format) {
    if (drawn_ == nullptr || text == nullptr) return;  // nothing marked, or nothing drawn
    if (placementLost_) {
        drawn_->markAll();
        return;
    }
    if (dpiY_ == 0.0f && record(gdip::GdipGetDpiY(native_, &dpiY_)) != gdip::kOk) dpiY_ = 0.0f;
    const FontDescription& description = font.description();
    float em = HUGE_VALF;  // in device pixels
    if (description.unit == gdip::kUnitPoint && dpiY_ > 0.0f) em = description.emSize * dpiY_ / 72.0f;
    if (description.unit == gdip::kUnitPixel) em = description.emSize;
    em *= std::fmax(std::fabs(placement_.scaleX), std::fabs(placement_.scaleY));
    if (!(em < HUGE_VALF)) {
        drawn_->markAll();
        return;
    }
    int characters = 0;
    while ((length < 0 || characters < length) && text[characters] != 0 && characters < 4096) ++characters;
    const float across = static_cast<float>(characters) * em;
    const int alignment = format != nullptr ? format->alignment() : gdip::kStringAlignmentNear;
    const int lineAlignment = format != nullptr ? format->lineAlignment() : gdip::kStringAlignmentNear;
    const float left = alignment == gdip::kStringAlignmentNear ? 0.0f
                       : alignment == gdip::kStringAlignmentFar ? -across : -across / 2;
    const float top = lineAlignment == gdip::kStringAlignmentNear ? 0.0f
                      : lineAlignment == gdip::kStringAlignmentFar ? -3 * em : -1.5f * em;
    const float deviceX = x * placement_.scaleX + placement_.offsetX;
    const float deviceY = y * placement_.scaleY + placement_.offsetY;
    drawn_->markPixels(deviceX + left - em, deviceY + top - em, deviceX + left + across + em, deviceY + top + 4 * em);
}

void Graphics::clear(uint32_t argb) {
    record(gdip::GdipGraphicsClear(native_, argb));
    if (drawn_ != nullptr) drawn_->markAll();
}

void Graphics::setSmoothingMode(int mode) { record(gdip::GdipSetSmoothingMode(native_, mode)); }

void Graphics::setTextRenderingHint(int hint) { record(gdip::GdipSetTextRenderingHint(native_, hint)); }

// A container starts where its opener's transform stands; a reset inside
// it goes back there.
gdip::GraphicsContainer Graphics::beginContainer() {
    gdip::GraphicsContainer container = 0;
    followTransform(record(gdip::GdipBeginContainer2(native_, &container)));
    if (depth_ < kDeepestContainer) {
        outerBases_[depth_] = containerBase_;
    } else {
        placementLost_ = true;
    }
    ++depth_;
    containerBase_ = placement_;
    return container;
}

bool Graphics::endContainer(gdip::GraphicsContainer container) {
    const bool ended = record(gdip::GdipEndContainer(native_, container)) == gdip::kOk;
    followTransform(ended ? gdip::kOk : gdip::kGenericError);
    if (depth_ > 0) {
        --depth_;
        placement_ = containerBase_;
        if (depth_ < kDeepestContainer) containerBase_ = outerBases_[depth_];
    }
    return ended;
}

void Graphics::drawLine(const Pen& pen, float x1, float y1, float x2, float y2) {
    record(gdip::GdipDrawLine(native_, pen.native_, x1, y1, x2, y2));
    markStroke(pen, x1, y1, x2, y2);
}

void Graphics::drawEllipse(const Pen& pen, float x, float y, float width, float height) {
    record(gdip::GdipDrawEllipse(native_, pen.native_, x, y, width, height));
    markWorldBox(x, y, x + width, y + height, penHalfWidthPixels(pen));
}

void Graphics::drawArc(const Pen& pen, float x, float y, float width, float height, float startAngle,
                       float sweepAngle) {
    record(gdip::GdipDrawArc(native_, pen.native_, x, y, width, height, startAngle, sweepAngle));
    markWorldBox(x, y, x + width, y + height, penHalfWidthPixels(pen));
}

void Graphics::drawRectangle(const Pen& pen, float x, float y, float width, float height) {
    record(gdip::GdipDrawRectangle(native_, pen.native_, x, y, width, height));
    markWorldBox(x, y, x + width, y + height, penHalfWidthPixels(pen));
}

void Graphics::fillEllipse(const Brush& brush, float x, float y, float width, float height) {
    record(gdip::GdipFillEllipse(native_, brush.native_, x, y, width, height));
    markWorldBox(x, y, x + width, y + height, 2.0f);
}

void Graphics::fillPie(const Brush& brush, float x, float y, float width, float height, float startAngle,
                       float sweepAngle) {
    record(gdip::GdipFillPie(native_, brush.native_, x, y, width, height, startAngle, sweepAngle));
    markWorldBox(x, y, x + width, y + height, 2.0f);
}

void Graphics::drawText(const char16_t* text, int length, const Font& font, float x, float y,
                        const StringFormat* format, const Brush* brush) {
    markText(text, length, font, x, y, format);
    const RectF layout{x, y, 0.0f, 0.0f};
    record(gdip::GdipDrawString(native_, text, length, font.native_, &layout,
                                format != nullptr ? format->native_ : nullptr,
                                brush != nullptr ? brush->native_ : nullptr));
}

RectF Graphics::measureText(const char16_t* text, int length, const Font& font, float x, float y) {
    const RectF layout{x, y, 0.0f, 0.0f};
    RectF bounds{0.0f, 0.0f, 0.0f, 0.0f};
    record(gdip::GdipMeasureString(native_, text, length, font.native_, &layout, nullptr, &bounds, nullptr,
                                   nullptr));
    return bounds;
}

bool Graphics::drawBitmap(const OffscreenBitmap& bitmap, int32_t x, int32_t y) {
    // The caller's transform, clip and compositing come back afterwards;
    // without a saved state nothing is touched.
    gdip::GraphicsState state = 0;
    if (record(gdip::GdipSaveGraphics(native_, &state)) != gdip::kOk) return false;
    if (drawn_ != nullptr)
        drawn_->markPixels(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x) + bitmap.width_,
                           static_cast<float>(y) + bitmap.height_);
    // One bitmap pixel to one surface pixel.
    record(gdip::GdipResetWorldTransform(native_));
    // The picture is opaque, so its pixels are copied rather than blended:
    // the same result at about half the cost. Clipped to the copy's own
    // rectangle: where the device context's bitmap is larger than the
    // picture (a surface resized in place), libgdiplus would otherwise take
    // a general path for the copy, more than twice as slow.
    record(gdip::GdipSetClipRectI(native_, x, y, bitmap.width_, bitmap.height_, gdip::kCombineModeReplace));
    record(gdip::GdipSetCompositingMode(native_, gdip::kCompositingModeSourceCopy));
    const gdip::GpStatus drawn = record(gdip::GdipDrawImageRectI(
        native_, reinterpret_cast<gdip::GpImage*>(bitmap.bitmap_), x, y, bitmap.width_, bitmap.height_));
    // Blending set back before the restore: libgdiplus's restore reports the
    // saved mode but keeps drawing with the copy's, and every cell copied
    // afterwards would punch its transparent pixels through the surface.
    record(gdip::GdipSetCompositingMode(native_, gdip::kCompositingModeSourceOver));
    if (record(gdip::GdipRestoreGraphics(native_, state)) == gdip::kOk) return drawn == gdip::kOk;
    // What the caller drew with before, as far as it can be known: no clip,
    // blending. The transform stays reset.
    placementLost_ = true;
    record(gdip::GdipResetClip(native_));
    record(gdip::GdipSetCompositingMode(native_, gdip::kCompositingModeSourceOver));
    return false;
}

void Graphics::drawBitmapPart(const OffscreenBitmap& bitmap, const RectF& destination, const RectF& sourcePixels) {
    record(gdip::GdipDrawImageRectRect(native_, reinterpret_cast<gdip::GpImage*>(bitmap.bitmap_), destination.X,
                                       destination.Y, destination.Width, destination.Height, sourcePixels.X,
                                       sourcePixels.Y, sourcePixels.Width, sourcePixels.Height, gdip::kUnitPixel,
                                       nullptr, nullptr, nullptr));
    markWorldBox(destination.X, destination.Y, destination.X + destination.Width,
                 destination.Y + destination.Height, 1.0f);
}

void Graphics::setInterpolationMode(int mode) { record(gdip::GdipSetInterpolationMode(native_, mode)); }

void Graphics::drawLines(const Pen& pen, const PointF* points, int count) {
    record(gdip::GdipDrawLines(native_, pen.native_, points, count));
    if (drawn_ == nullptr || points == nullptr || count <= 0) return;
    // Joins may reach out as far as the miter limit (ten half widths).
    float left = points[0].X, right = points[0].X, top = points[0].Y, bottom = points[0].Y;
    for (int i = 1; i < count; ++i) {
        left = lowerOf(left, points[i].X);
        right = higherOf(right, points[i].X);
        top = lowerOf(top, points[i].Y);
        bottom = higherOf(bottom, points[i].Y);
    }
    markWorldBox(left, top, right, bottom, 10 * penHalfWidthPixels(pen));
}

void Graphics::drawPath(const Pen& pen, const StrokePath& path) {
    record(gdip::GdipDrawPath(native_, pen.native_, path.native_));
    if (path.lines_ > 0) markWorldBox(path.left_, path.top_, path.right_, path.bottom_, penHalfWidthPixels(pen));
}

// ---- OffscreenBitmap ----

namespace {
// Premultiplied 32-bit pixels: GDI+'s own working format, which its image
// copies handle fastest. Every pixel of a backdrop is opaque, so the copy
// gives the colours drawn.
constexpr gdip::INT kOffscreenFormat = gdip::kPixelFormat32bppPArgb;
// Keeps the row stride (four bytes a pixel) and the pixel count in range.
constexpr int32_t kLargestReadableSide = 16384;
}  // namespace

// Bytes of a bitmap of the size, or 0 when its rows or the whole would not
// fit GDI+'s 32-bit strides and sizes.
int64_t OffscreenBitmap::storageBytesFor(int32_t width, int32_t height) const {
    if (width <= 0 || height <= 0) return 0;
    const int64_t stride = int64_t{width} * kBytesPerPixel;
    const int64_t bytes = stride * height;
    if (stride > INT32_MAX || bytes > INT32_MAX) return 0;
    return storageServes(bytes) ? storageBytes_ : bytes;
}

bool OffscreenBitmap::create(int32_t width, int32_t height, bool readable) {
    releaseBitmap();
    resetStatus();
    if (readable && (width > kLargestReadableSide || height > kLargestReadableSide)) return false;
    const int64_t storage = storageBytesFor(width, height);
    if (storage == 0) return false;
    if (storage != storageBytes_) {
        releaseStorage();
        pixels_ = static_cast<uint8_t*>(gdip::GdipAlloc(static_cast<size_t>(storage)));
        if (pixels_ == nullptr) {
            record(gdip::kOutOfMemory);
            return false;
        }
        storageBytes_ = storage;
    }
    if (readable) std::memset(pixels_, 0, static_cast<size_t>(int64_t{width} * height * kBytesPerPixel));
    gdip::GpBitmap* bitmap = nullptr;
    record(gdip::GdipCreateBitmapFromScan0(width, height, static_cast<gdip::INT>(width * kBytesPerPixel),
                                           kOffscreenFormat, pixels_, &bitmap));
    if (bitmap == nullptr) return false;
    bitmap_ = bitmap;
    countHeld(bitmap_);
    gdip::GpGraphics* graphics = nullptr;
    record(gdip::GdipGetImageGraphicsContext(reinterpret_cast<gdip::GpImage*>(bitmap_), &graphics));
    if (graphics == nullptr) {
        releaseBitmap();
        return false;
    }
    graphics_.native_ = graphics;
    countHeld(graphics);
    width_ = width;
    height_ = height;
    return true;
}

void OffscreenBitmap::release() {
    releaseBitmap();
    releaseStorage();
}

void OffscreenBitmap::releaseBitmap() {
    graphics_.release();  // before the bitmap it draws on
    if (bitmap_ != nullptr) gdip::GdipDisposeImage(reinterpret_cast<gdip::GpImage*>(bitmap_));
    countDeleted(bitmap_);
    bitmap_ = nullptr;
    width_ = 0;
    height_ = 0;
}

// Only once no bitmap shows the pixels any more.
void OffscreenBitmap::releaseStorage() {
    if (pixels_ != nullptr) gdip::GdipFree(pixels_);
    pixels_ = nullptr;
    storageBytes_ = 0;
}

// ---- Brushes ----

Brush::~Brush() {
    if (native_ != nullptr) gdip::GdipDeleteBrush(native_);
    countDeleted(native_);
}

SolidBrush::SolidBrush(uint32_t argb) {
    gdip::GpSolidFill* created = nullptr;
    record(gdip::GdipCreateSolidFill(argb, &created));
    native_ = reinterpret_cast<gdip::GpBrush*>(created);
    countHeld(native_);
}

SolidBrush::~SolidBrush() = default;

// ---- Pen ----

Pen::Pen(const Brush& brush, float width, int unit) : width_(width), unit_(unit) {
    record(gdip::GdipCreatePen2(brush.native_, width, unit, &native_));
    countHeld(native_);
}

Pen::~Pen() {
    if (native_ != nullptr) gdip::GdipDeletePen(native_);
    countDeleted(native_);
}

void Pen::setDashPattern(const float* dashes, int count) {
    record(gdip::GdipSetPenDashArray(native_, dashes, count));
}

// ---- Fonts ----

bool FontDescription::operator==(const FontDescription& other) const {
    for (int i = 0; i < kFamilyCapacity; ++i) {
        if (family[i] != other.family[i]) return false;
        if (family[i] == 0) break;
    }
    return emSize == other.emSize && style == other.style && unit == other.unit;
}

FontFamily::FontFamily(const char16_t* name) : name_(name) {
    record(gdip::GdipCreateFontFamilyFromName(name, nullptr, &native_));
    countHeld(native_);
}

FontFamily* FontFamily::genericSansSerif() {
    auto* family = new FontFamily();
    if (family == nullptr) return nullptr;
    family->record(gdip::GdipGetGenericFontFamilySansSerif(&family->native_));
    countHeld(family->native_);
    return family;
}

FontFamily::~FontFamily() {
    if (native_ != nullptr) gdip::GdipDeleteFontFamily(native_);
    countDeleted(native_);
}

Font::~Font() {
    if (native_ != nullptr) gdip::GdipDeleteFont(native_);
    countDeleted(native_);
}

bool Font::create(const FontFamily& family, float emSize, int style, int unit) {
    gdip::GpFont* created = nullptr;
    const GpStatus status = record(gdip::GdipCreateFont(family.native_, emSize, style, unit, &created));
    if (status != gdip::kOk || created == nullptr) return false;
    if (native_ != nullptr) gdip::GdipDeleteFont(native_);
    countDeleted(native_);
    native_ = created;
    countHeld(native_);
    describe(family, emSize, style, unit);
    return true;
}

void Font::describe(const FontFamily& family, float emSize, int style, int unit) {
    description_ = FontDescription{};
    const char16_t* name = family.name_ != nullptr ? family.name_ : u"";
    for (int i = 0; i < FontDescription::kFamilyCapacity - 1 && name[i] != 0; ++i) description_.family[i] = name[i];
    description_.emSize = emSize;
    description_.style = style;
    description_.unit = unit;
}

float Font::size() {
    float size = 0.0f;
    record(gdip::GdipGetFontSize(native_, &size));
    return size;
}

// ---- String format ----

StringFormat::StringFormat(int flags, uint16_t language) : flags_(flags), language_(language) {
    record(gdip::GdipCreateStringFormat(flags, language, &native_));
    countHeld(native_);
}

StringFormat::~StringFormat() {
    if (native_ != nullptr) gdip::GdipDeleteStringFormat(native_);
    countDeleted(native_);
}

void StringFormat::setAlignment(int alignment) {
    record(gdip::GdipSetStringFormatAlign(native_, alignment));
    alignment_ = alignment;
}

void StringFormat::setLineAlignment(int alignment) {
    record(gdip::GdipSetStringFormatLineAlign(native_, alignment));
    lineAlignment_ = alignment;
}

// ---- Matrix ----

Matrix::Matrix() {
    record(gdip::GdipCreateMatrix(&native_));
    countHeld(native_);
}

Matrix::~Matrix() {
    if (native_ != nullptr) gdip::GdipDeleteMatrix(native_);
    countDeleted(native_);
}

void Matrix::reset() { record(gdip::GdipSetMatrixElements(native_, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f)); }

void Matrix::rotate(float degrees) { record(gdip::GdipRotateMatrix(native_, degrees, gdip::kMatrixOrderPrepend)); }

void Matrix::translate(float dx, float dy) {
    record(gdip::GdipTranslateMatrix(native_, dx, dy, gdip::kMatrixOrderPrepend));
}

void Matrix::transformPoints(PointF* points, int count) {
    record(gdip::GdipTransformMatrixPoints(native_, points, count));
}

// ---- Stroke path ----

StrokePath::StrokePath() {
    // Winding: a filled outline of overlapping lines has no holes where they cross.
    record(gdip::GdipCreatePath(gdip::kFillModeWinding, &native_));
    countHeld(native_);
}

StrokePath::~StrokePath() { releaseNative(); }

void StrokePath::releaseNative() {
    if (native_ != nullptr) gdip::GdipDeletePath(native_);
    countDeleted(native_);
    native_ = nullptr;
}

void StrokePath::addLine(float x1, float y1, float x2, float y2) {
    if (native_ == nullptr) return;
    if (lines_ == 0) {
        left_ = right_ = x1;
        top_ = bottom_ = y1;
    }
    left_ = lowerOf(left_, lowerOf(x1, x2));
    right_ = higherOf(right_, higherOf(x1, x2));
    top_ = lowerOf(top_, lowerOf(y1, y2));
    bottom_ = higherOf(bottom_, higherOf(y1, y2));
    ++lines_;
    if (record(gdip::GdipStartPathFigure(native_)) != gdip::kOk) return;
    record(gdip::GdipAddPathLine(native_, x1, y1, x2, y2));
}

void StrokePath::clear() {
    if (native_ == nullptr || lines_ == 0) return;
    lines_ = 0;
    if (record(gdip::GdipResetPath(native_)) != gdip::kOk) releaseNative();
}

}  // namespace render
