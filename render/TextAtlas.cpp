#include "render/TextAtlas.h"

#include <cmath>
#include <initializer_list>

#include "render/FrameBuffer.h"
#include "render/KeptPicture.h"
#include "render/PixelBlend.h"

namespace render {
namespace {

constexpr int kColumns = 16;
constexpr int kTextCapacity = 16;
// A picture larger than this (surfaces of some 2,500 pixels and more) is
// not worth its memory: the text is then drawn directly.
constexpr int kLargestSide = 4096;
// Room around each cell's ink, in pixels.
constexpr int kMarginPixels = 2;
constexpr int kAntiAliasGridFitText = 3;  // ClearType needs an opaque background

int drawingCount(const AtlasDrawings& drawings) {
    return drawings.draw != nullptr && drawings.count > 0 ? drawings.count : 0;
}

// Where in a pixel to put a line drawing's anchor so that its lines come out
// sharp: on the centre for lines an odd number of pixels wide (or thinner
// than a pixel), on the corner for even widths.
float anchorPhase(float lineWidth, float scale) {
    const double pixels = std::floor(static_cast<double>(lineWidth) * scale + 0.5);
    return pixels >= 2.0 && std::fmod(pixels, 2.0) == 0.0 ? 0.0f : 0.5f;
}

}  // namespace

bool TextAtlas::measure(const TextAtlasContent& content) {
    char16_t text[kTextCapacity];
    textWidth_ = 0.0f;
    lineHeight_ = 0.0f;
    // The widest of the first, middle and last texts stands for all.
    for (int cell : {0, content.cells / 2, content.cells - 1}) {
        content.cellText(cell, text, kTextCapacity);
        const RectF bounds = picture_.graphics().measureText(text, -1, *content.font, 0.0f, 0.0f);
        if (bounds.Width > textWidth_) textWidth_ = bounds.Width;
        if (bounds.Height > lineHeight_) lineHeight_ = bounds.Height;
    }
    return textWidth_ > 0.0f && lineHeight_ > 0.0f && std::isfinite(textWidth_) && std::isfinite(lineHeight_);
}

void TextAtlas::setKey(const TextAtlasContent& content, float scaleX, float scaleY) {
    cellText_ = content.cellText;
    colours_[0] = content.brushColours[0];
    colours_[1] = content.brushColours[1];
    font_ = content.font != nullptr ? content.font->description() : FontDescription{};
    formatFlags_ = content.format != nullptr ? content.format->flags() : 0;
    formatLanguage_ = content.format != nullptr ? content.format->language() : 0;
    lineWidth_ = content.drawings.lineWidth;
    scaleX_ = scaleX;
    scaleY_ = scaleY;
    cells_ = content.cells;
    drawing_ = content.drawings.draw;
    drawings_ = drawingCount(content.drawings);
    keyed_ = true;
}

bool TextAtlas::build(const TextAtlasContent& content, float scaleX, float scaleY, PictureRoom& room) {
    const uint64_t failedBefore = retry_.begin();
    const bool built = buildOnce(content, scaleX, scaleY, room);
    if (retry_.finish(failedBefore)) return built;
    // A call failed: the picture may lack a text or its alignment. Built once
    // more at the next use; after that the texts are drawn directly.
    release();
    failed_ = retry_.givenUp();
    return false;
}

bool TextAtlas::buildOnce(const TextAtlasContent& content, float scaleX, float scaleY, PictureRoom& room) {
    release();
    // The key first, so that a failure is remembered for it.
    setKey(content, scaleX, scaleY);
    failed_ = true;
    if (content.cells <= 0 || content.font == nullptr || content.format == nullptr || !(scaleX > 0.0f) ||
        !(scaleY > 0.0f))
        return false;
    // A one-pixel picture first, to measure the text at the scale.
    if (!picture_.create(1, 1)) return false;
    picture_.graphics().scaleWorldTransform(scaleX, scaleY);
    const bool measured = measure(content);
    picture_.release();
    if (!measured || !placeDrawings(content.drawings)) return false;

    cellWidthPixels_ = static_cast<int>(std::ceil(textWidth_ * scaleX)) + 2 * kMarginPixels;
    cellHeightPixels_ = static_cast<int>(std::ceil(lineHeight_ * scaleY)) + 2 * kMarginPixels;
    textRows_ = (2 * content.cells + kColumns - 1) / kColumns;
    const double textWidth = static_cast<double>(cellWidthPixels_) * kColumns;
    const double drawingsWidth = static_cast<double>(drawingWidthPixels_) * 2 * drawings_;
    const double width = textWidth > drawingsWidth ? textWidth : drawingsWidth;
    const double height = static_cast<double>(cellHeightPixels_) * textRows_ + drawingHeightPixels_;
    if (width > kLargestSide || height > kLargestSide) return false;
    if (!makePictureInRoom(static_cast<int32_t>(width), static_cast<int32_t>(height), room, INT64_MAX)) return false;
    Graphics& graphics = picture_.graphics();
    graphics.clear(0x00000000u);
    graphics.scaleWorldTransform(scaleX, scaleY);
    graphics.setSmoothingMode(gdip::kSmoothingModeAntiAlias);
    graphics.setTextRenderingHint(kAntiAliasGridFitText);
    drawTexts(content);
    findTextInk();
    drawDrawings(content.drawings);
    failed_ = false;
    ready_ = true;
    return true;
}

void TextAtlas::drawTexts(const TextAtlasContent& content) {
    content.format->setAlignment(gdip::kStringAlignmentCenter);
    content.format->setLineAlignment(gdip::kStringAlignmentNear);
    char16_t text[kTextCapacity];
    for (int brush = 0; brush < 2; ++brush) {
        for (int cell = 0; cell < content.cells; ++cell) {
            const RectF at = textCell(brush * content.cells + cell);
            const float left = (at.X + kMarginPixels) / scaleX_;
            const float top = (at.Y + kMarginPixels) / scaleY_;
            content.cellText(cell, text, kTextCapacity);
            picture_.graphics().drawText(text, -1, *content.font, left + textWidth_ / 2, top, content.format,
                                         content.brushes[brush]);
        }
    }
}

// The part of a text cell that any text inks: the rest of every cell is
// transparent, and leaving it out of the copies leaves the picture as it is
// while sparing the drawing library its pixels.
void TextAtlas::findTextInk() {
    inkLeft_ = 0;
    inkTop_ = 0;
    inkWidth_ = cellWidthPixels_;
    inkHeight_ = cellHeightPixels_;
    PixelBounds ink;
    for (int slot = 0; slot < 2 * cells_; ++slot) {
        const RectF cell = textCell(slot);
        if (!widenToInk(picture_, static_cast<int>(cell.X), static_cast<int>(cell.Y), cellWidthPixels_,
                        cellHeightPixels_, ink))
            return;
    }
    if (ink.empty()) return;  // nothing to read: the whole cell is copied
    inkLeft_ = ink.left;
    inkTop_ = ink.top;
    inkWidth_ = ink.width();
    inkHeight_ = ink.height();
}

bool TextAtlas::placeDrawings(const AtlasDrawings& drawings) {
    drawingWidthPixels_ = 0;
    drawingHeightPixels_ = 0;
    if (drawings_ == 0) return true;
    const RectF& box = drawings.box;
    if (drawings.pens[0] == nullptr || drawings.pens[1] == nullptr || !std::isfinite(box.X) || !std::isfinite(box.Y) ||
        !(box.Width > 0.0f) || !(box.Height > 0.0f) || !(box.Width < kLargestSide) || !(box.Height < kLargestSide) ||
        !(std::fabs(box.X) < kLargestSide) || !(std::fabs(box.Y) < kLargestSide))
        return false;
    anchorPixelX_ = kMarginPixels + std::ceil(-box.X * scaleX_) + anchorPhase(drawings.lineWidth, scaleX_);
    anchorPixelY_ = kMarginPixels + std::ceil(-box.Y * scaleY_) + anchorPhase(drawings.lineWidth, scaleY_);
    drawingWidthPixels_ = static_cast<int>(std::ceil(anchorPixelX_ + (box.X + box.Width) * scaleX_)) + kMarginPixels;
    drawingHeightPixels_ = static_cast<int>(std::ceil(anchorPixelY_ + (box.Y + box.Height) * scaleY_)) + kMarginPixels;
    return drawingWidthPixels_ > 0 && drawingHeightPixels_ > 0;
}

void TextAtlas::drawDrawings(const AtlasDrawings& drawings) {
    for (int pen = 0; pen < 2; ++pen) {
        for (int drawing = 0; drawing < drawings_; ++drawing) {
            const RectF at = drawingCell(pen * drawings_ + drawing);
            drawings.draw(picture_.graphics(), *drawings.pens[pen], drawing, (at.X + anchorPixelX_) / scaleX_,
                          (at.Y + anchorPixelY_) / scaleY_);
        }
    }
}

RectF TextAtlas::textCell(int slot) const {
    return RectF{static_cast<float>((slot % kColumns) * cellWidthPixels_),
                 static_cast<float>((slot / kColumns) * cellHeightPixels_), static_cast<float>(cellWidthPixels_),
                 static_cast<float>(cellHeightPixels_)};
}

RectF TextAtlas::drawingCell(int slot) const {
    return RectF{static_cast<float>(slot * drawingWidthPixels_), static_cast<float>(textRows_ * cellHeightPixels_),
                 static_cast<float>(drawingWidthPixels_), static_cast<float>(drawingHeightPixels_)};
}

bool TextAtlas::keyedFor(const TextAtlasContent& content, float scaleX, float scaleY) const {
    const FontDescription font = content.font != nullptr ? content.font->description() : FontDescription{};
    const int flags = content.format != nullptr ? content.format->flags() : 0;
    const uint16_t language = content.format != nullptr ? content.format->language() : 0;
    return keyed_ && cellText_ == content.cellText && cells_ == content.cells &&
           colours_[0] == content.brushColours[0] && colours_[1] == content.brushColours[1] && font_ == font &&
           formatFlags_ == flags && formatLanguage_ == language && lineWidth_ == content.drawings.lineWidth &&
           drawing_ == content.drawings.draw && drawings_ == drawingCount(content.drawings) && scaleX_ == scaleX &&
           scaleY_ == scaleY;
}

RectF TextAtlas::inkAround() const {
    if (!ready_) return RectF{};
    const float left = (inkLeft_ - cellWidthPixels_ / 2.0f - 1.0f) / scaleX_;
    const float top = (inkTop_ - kMarginPixels - 1.0f) / scaleY_;
    return RectF{left, top, (inkWidth_ + 2.0f) / scaleX_, (inkHeight_ + 2.0f) / scaleY_};
}

void TextAtlas::draw(Graphics& target, float originX, float originY, int cell, int brush, float centreX,
                     float textTop, FrameBuffer* composed) const {
    if (!ready_ || cell < 0 || cell >= cells_ || brush < 0 || brush > 1) return;
    const RectF whole = textCell(brush * cells_ + cell);
    const float width = whole.Width / scaleX_;
    // Snapped to the pixel the cell's corner falls in.
    const double left = std::floor((static_cast<double>(centreX) - width / 2 + originX) * scaleX_ + 0.5);
    const double top = std::floor((static_cast<double>(textTop) + originY) * scaleY_ - kMarginPixels + 0.5);
    const RectF ink{whole.X + inkLeft_, whole.Y + inkTop_, static_cast<float>(inkWidth_),
                    static_cast<float>(inkHeight_)};
    copyCell(target, composed, originX, originY, left + inkLeft_, top + inkTop_, ink);
}

void TextAtlas::drawDrawing(Graphics& target, float originX, float originY, int drawing, int brush, float anchorX,
                            float anchorY, FrameBuffer* composed) const {
    if (!ready_ || drawing < 0 || drawing >= drawings_ || brush < 0 || brush > 1) return;
    const double left = std::floor((static_cast<double>(anchorX) + originX) * scaleX_ - anchorPixelX_ + 0.5);
    const double top = std::floor((static_cast<double>(anchorY) + originY) * scaleY_ - anchorPixelY_ + 0.5);
    copyCell(target, composed, originX, originY, left, top, drawingCell(brush * drawings_ + drawing));
}

void TextAtlas::copyCell(Graphics& target, FrameBuffer* composed, float originX, float originY, double left,
                         double top, const RectF& source) const {
    if (composed != nullptr && blendCell(*composed, left, top, source)) return;
    copyAtWholePixels(target, picture_, source, left, top, originX, originY, scaleX_, scaleY_);
}

// The cell's pixels blended where the copy puts them: the source and the
// corner are whole pixels already.
bool TextAtlas::blendCell(FrameBuffer& composed, double left, double top, const RectF& source) const {
    if (!(std::fabs(left) < kFarthestPixels) || !(std::fabs(top) < kFarthestPixels)) return false;
    return composed.blendOver(picture_, static_cast<int32_t>(source.X), static_cast<int32_t>(source.Y),
                              static_cast<int32_t>(source.Width), static_cast<int32_t>(source.Height),
                              static_cast<int32_t>(left), static_cast<int32_t>(top));
}

}  // namespace render
