#include "render/TextBlock.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "render/FrameBuffer.h"

namespace render {
namespace {

// Text drawn onto a transparent picture cannot keep ClearType on Windows'
// GDI+ (sub-pixel colours need the background they fall on): the picture's
// texts are anti-aliased in grey, as the tags' atlas draws them.
constexpr int kPictureTextHint = 3;  // TextRenderingHintAntiAliasGridFit
// A picture larger than this is not worth its memory: the texts are then
// drawn directly.
constexpr int kLargestSide = 4096;
// Rows and columns of the picture are made in steps, so that a text a
// little longer than the last one is drawn into the bitmap there is.
constexpr int kWidthStep = 64;
constexpr int kHeightStep = 32;
// Room around the measured bounds of a group's texts: glyphs may reach past
// what GDI+ measures (Wine's far-aligned texts ink a few pixels beyond the
// anchor), by a part of the line's height and a few pixels.
constexpr int kMarginPixels = 3;
constexpr double kMarginPerLineHeight = 0.25;

size_t textLength(const char16_t* text, size_t capacity) {
    size_t length = 0;
    while (length < capacity && text[length] != u'\0') ++length;
    return length;
}

bool sameText(const char16_t* kept, const char16_t* text) {
    for (size_t i = 0; i < TextBlockPicture::kKeptTextCapacity; ++i) {
        if (kept[i] != text[i]) return false;
        if (text[i] == u'\0') return true;
    }
    return false;
}

int roundUp(int value, int step) { return (value + step - 1) / step * step; }

// Where a text laid out at the anchor lies, from its size measured at the
// anchor with GDI+'s default format (near, near).
RectF alignedBounds(const RectF& measured, int alignment, int lineAlignment) {
    RectF bounds = measured;
    if (alignment == gdip::kStringAlignmentCenter) bounds.X -= measured.Width / 2;
    if (alignment == gdip::kStringAlignmentFar) bounds.X -= measured.Width;
    if (lineAlignment == gdip::kStringAlignmentCenter) bounds.Y -= measured.Height / 2;
    if (lineAlignment == gdip::kStringAlignmentFar) bounds.Y -= measured.Height;
    return bounds;
}

void include(PixelBounds& bounds, const PixelBounds& more) {
    if (bounds.empty()) {
        bounds = more;
        return;
    }
    if (more.left < bounds.left) bounds.left = more.left;
    if (more.top < bounds.top) bounds.top = more.top;
    if (more.right > bounds.right) bounds.right = more.right;
    if (more.bottom > bounds.bottom) bounds.bottom = more.bottom;
}

// The anchor of each text: where it is placed, or where the text it
// follows ends as measured on the graphics.
void resolveAnchors(Graphics& graphics, const TextBlock& block, PointF* anchors) {
    for (int i = 0; i < block.count(); ++i) {
        const PlacedText& placed = block.text(i);
        anchors[i] = PointF{placed.x, placed.y};
        if (placed.follows < 0 || placed.follows >= i) continue;
        const PointF& from = anchors[placed.follows];
        const RectF before = graphics.measureText(block.text(placed.follows).text, -1, block.font(), from.X, from.Y);
        anchors[i].X = before.X + before.Width;
    }
}

void drawPlaced(Graphics& graphics, const TextBlock& block, int index, float x, float y) {
    const PlacedText& placed = block.text(index);
    block.format().setLineAlignment(placed.lineAlignment);
    block.format().setAlignment(placed.alignment);
    graphics.drawText(placed.text, -1, block.font(), x, y, &block.format(), &block.brush());
}

}  // namespace

int TextBlock::add(const PlacedText& placed) {
    if (count_ >= kMaxTexts) return -1;
    texts_[count_] = placed;
    return count_++;
}

char16_t* TextBlock::addOwn(const PlacedText& placed) {
    if (count_ >= kMaxTexts) return nullptr;
    char16_t* text = ownTexts_[count_];
    text[0] = u'\0';
    texts_[count_] = placed;
    texts_[count_].text = text;
    ++count_;
    return text;
}

namespace {

// FNV-1a, 64 bits.
constexpr uint64_t kFingerprintStart = 14695981039346656037ull;
constexpr uint64_t kFingerprintPrime = 1099511628211ull;

void mix(uint64_t& digest, const void* data, size_t bytes) {
    const unsigned char* byte = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < bytes; ++i) digest = (digest ^ byte[i]) * kFingerprintPrime;
}

template <typename Value>
void mixValue(uint64_t& digest, const Value& value) {
    mix(digest, &value, sizeof value);
}

}  // namespace

uint64_t fingerprintOf(const TextBlock& block, float scaleX, float scaleY) {
    uint64_t digest = kFingerprintStart;
    mixValue(digest, scaleX);
    mixValue(digest, scaleY);
    mixValue(digest, block.brushColour());
    if (block.styled()) {
        const FontDescription font = block.font().description();
        mix(digest, font.family, sizeof font.family);
        mixValue(digest, font.emSize);
        mixValue(digest, font.style);
        mixValue(digest, block.format().flags());
    }
    for (int i = 0; i < block.count(); ++i) {
        const PlacedText& placed = block.text(i);
        const float place[2] = {placed.x, placed.y};
        const int layout[4] = {placed.alignment, placed.lineAlignment, placed.follows, placed.group};
        mix(digest, place, sizeof place);
        mix(digest, layout, sizeof layout);
        if (placed.text != nullptr) {
            const size_t length = textLength(placed.text, TextBlockPicture::kKeptTextCapacity);
            mix(digest, placed.text, length * sizeof(char16_t));
        }
        mixValue(digest, char16_t{0});
    }
    return digest;
}

void drawTextBlock(Graphics& graphics, const TextBlock& block) {
    if (!block.styled()) return;
    PointF anchors[TextBlock::kMaxTexts];
    resolveAnchors(graphics, block, anchors);
    for (int i = 0; i < block.count(); ++i) drawPlaced(graphics, block, i, anchors[i].X, anchors[i].Y);
}

// ---- The picture ----

bool TextBlockPicture::keepable(const TextBlock& block) {
    if (block.count() <= 0 || !block.styled()) return false;
    for (int i = 0; i < block.count(); ++i) {
        const PlacedText& placed = block.text(i);
        if (placed.text == nullptr || textLength(placed.text, kKeptTextCapacity) >= kKeptTextCapacity) return false;
        if (placed.group < 0 || placed.group >= TextBlock::kMaxGroups || placed.follows >= i) return false;
    }
    return true;
}

void TextBlockPicture::setKey(const TextBlock& block, float scaleX, float scaleY) {
    count_ = block.count();
    for (int i = 0; i < count_; ++i) {
        const PlacedText& placed = block.text(i);
        KeptText& kept = texts_[i];
        const size_t length = textLength(placed.text, kKeptTextCapacity - 1);
        for (size_t c = 0; c < length; ++c) kept.text[c] = placed.text[c];
        kept.text[length] = u'\0';
        kept.placed = placed;
        kept.placed.text = nullptr;
    }
    font_ = block.font().description();
    formatFlags_ = block.format().flags();
    formatLanguage_ = block.format().language();
    brushColour_ = block.brushColour();
    scaleX_ = scaleX;
    scaleY_ = scaleY;
    keyed_ = true;
}

bool TextBlockPicture::keyedFor(const TextBlock& block, float scaleX, float scaleY) const {
    if (!keyed_ || !block.styled() || count_ != block.count() || scaleX_ != scaleX || scaleY_ != scaleY ||
        brushColour_ != block.brushColour() || formatFlags_ != block.format().flags() ||
        formatLanguage_ != block.format().language() || font_ != block.font().description())
        return false;
    for (int i = 0; i < count_; ++i) {
        const PlacedText& placed = block.text(i);
        const KeptText& kept = texts_[i];
        if (!kept.placed.samePlace(placed) || placed.text == nullptr || !sameText(kept.text, placed.text))
            return false;
    }
    return true;
}

bool TextBlockPicture::build(Graphics& surface, const TextBlock& block, float scaleX, float scaleY,
                             PictureRoom& room) {
    const uint64_t failedBefore = retry_.begin();
    const bool built = buildOnce(surface, block, scaleX, scaleY, room);
    if (retry_.finish(failedBefore)) return built;
    // A call failed: the picture may lack a text. Built once more at the
    // next use; after that the block is drawn directly until it changes.
    ready_ = false;
    failed_ = retry_.givenUp();
    return false;
}

bool TextBlockPicture::buildOnce(Graphics& surface, const TextBlock& block, float scaleX, float scaleY,
                                 PictureRoom& room) {
    ready_ = false;
    refusedBytes_ = 0;
    if (!keepable(block)) return false;
    // The key first, so that a failure is remembered for it.
    setKey(block, scaleX, scaleY);
    failed_ = true;
    if (!(scaleX > 0.0f) || !(scaleY > 0.0f)) return false;
    PointF anchors[TextBlock::kMaxTexts];
    if (!layOutCells(surface, block, anchors)) return false;
    int width = 0;
    int height = 0;
    for (int g = 0; g < groups_; ++g) {
        cells_[g].pictureTop = height;
        if (cells_[g].surface.empty()) continue;
        if (cells_[g].surface.width() > width) width = cells_[g].surface.width();
        height += cells_[g].surface.height();
    }
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return false;
    if (!makePicture(width, height, room)) return false;
    drawTexts(block, anchors);
    if (!findInk()) return false;
    failed_ = false;
    ready_ = true;
    return true;
}

// Each group's pixels on the surface: its texts' measured bounds, widened
// to whole pixels and a margin.
bool TextBlockPicture::layOutCells(Graphics& surface, const TextBlock& block, PointF* anchors) {
    resolveAnchors(surface, block, anchors);
    groups_ = 0;
    for (Cell& cell : cells_) cell = Cell{};
    for (int i = 0; i < block.count(); ++i) {
        const PlacedText& placed = block.text(i);
        const RectF measured = surface.measureText(placed.text, -1, block.font(), anchors[i].X, anchors[i].Y);
        const RectF bounds = alignedBounds(measured, placed.alignment, placed.lineAlignment);
        const double margin = kMarginPixels + std::ceil(kMarginPerLineHeight * bounds.Height * scaleY_);
        const double left = std::floor(static_cast<double>(bounds.X) * scaleX_ - margin);
        const double top = std::floor(static_cast<double>(bounds.Y) * scaleY_ - margin);
        const double right = std::ceil((static_cast<double>(bounds.X) + bounds.Width) * scaleX_ + margin);
        const double bottom = std::ceil((static_cast<double>(bounds.Y) + bounds.Height) * scaleY_ + margin);
        const double anchorX = static_cast<double>(anchors[i].X) * scaleX_;
        const double anchorY = static_cast<double>(anchors[i].Y) * scaleY_;
        // Far beyond any surface (or not a number): not worth a picture.
        for (double value : {left, top, right, bottom, anchorX, anchorY})
            if (!(std::fabs(value) < 1e6)) return false;
        include(cells_[placed.group].surface, PixelBounds{static_cast<int>(left), static_cast<int>(top),
                                                          static_cast<int>(right), static_cast<int>(bottom)});
        if (placed.group + 1 > groups_) groups_ = placed.group + 1;
    }
    return true;
}

// The bitmap there is when the cells fit it and fill a fair part of it;
// otherwise one of the size, rounded up, once there is room.
bool TextBlockPicture::makePicture(int width, int height, PictureRoom& room) {
    const bool fits = picture_.valid() && picture_.width() >= width && picture_.height() >= height &&
                      int64_t{picture_.width()} * picture_.height() <= int64_t{4} * roundUp(width, kWidthStep) *
                                                                             roundUp(height, kHeightStep);
    if (!fits) {
        const int pictureWidth = roundUp(width, kWidthStep);
        const int pictureHeight = roundUp(height, kHeightStep);
        picture_.release();  // the old storage goes before the new is counted
        if (!makePictureInRoom(pictureWidth, pictureHeight, room, INT64_MAX)) return false;
    }
    Graphics& graphics = picture_.graphics();
    graphics.resetWorldTransform();
    graphics.scaleWorldTransform(scaleX_, scaleY_);
    graphics.clear(0x00000000u);
    graphics.setTextRenderingHint(kPictureTextHint);
    return true;
}

// Each text at its anchor moved by its cell's whole pixels: the same
// fraction of a pixel as on the surface.
void TextBlockPicture::drawTexts(const TextBlock& block, const PointF* anchors) {
    for (int i = 0; i < block.count(); ++i) {
        const Cell& cell = cells_[block.text(i).group];
        const double x = (static_cast<double>(anchors[i].X) * scaleX_ - cell.surface.left) / scaleX_;
        const double y = (static_cast<double>(anchors[i].Y) * scaleY_ - (cell.surface.top - cell.pictureTop)) / scaleY_;
        drawPlaced(picture_.graphics(), block, i, static_cast<float>(x), static_cast<float>(y));
    }
}

// The inked part of each cell is what is copied. Ink on a cell's edge may
// have been cut there: such a block is drawn directly.
bool TextBlockPicture::findInk() {
    rowsWithInk_ = groups_ > 0 && cells_[groups_ - 1].pictureTop + cells_[groups_ - 1].surface.height() <= kRowsWithInk;
    for (int g = 0; g < groups_; ++g) {
        Cell& cell = cells_[g];
        cell.ink = PixelBounds{};
        if (cell.surface.empty()) continue;
        const int width = cell.surface.width();
        const int height = cell.surface.height();
        if (!widenToInk(picture_, 0, cell.pictureTop, width, height, cell.ink)) return false;
        if (cell.ink.empty()) continue;
        if (cell.ink.left == 0 || cell.ink.top == 0 || cell.ink.right == width - 1 || cell.ink.bottom == height - 1)
            return false;
        // A transparent pixel more on every side: Wine's gdiplus may leave a
        // copy's first row or column out.
        cell.ink = PixelBounds{cell.ink.left - 1, cell.ink.top - 1, cell.ink.right + 1, cell.ink.bottom + 1};
        if (rowsWithInk_) findRowInk(cell);
    }
    return true;
}

void TextBlockPicture::findRowInk(const Cell& cell) {
    const uint32_t* pixels = picture_.pixels();
    for (int row = cell.pictureTop + cell.ink.top; row <= cell.pictureTop + cell.ink.bottom; ++row)
        rowInk_[row] = inkSpanOf(pixels + static_cast<size_t>(row) * picture_.width() + cell.ink.left,
                                 cell.ink.left, cell.ink.width());
}

// Only what falls on the surface is copied: Wine's gdiplus takes a path many
// times slower for a copy that reaches past the surface's edge.
void TextBlockPicture::draw(Graphics& surface, int surfaceWidth, int surfaceHeight, FrameBuffer* composed) const {
    if (!ready_) return;
    if (composed != nullptr && blendInto(*composed)) return;
    // The copies land on whole pixels: nearest neighbour takes the same
    // pixels as any filter, and spares Wine's gdiplus its resampling.
    surface.setInterpolationMode(gdip::kInterpolationModeNearestNeighbor);
    for (int g = 0; g < groups_; ++g) {
        const Cell& cell = cells_[g];
        if (cell.ink.empty()) continue;
        const int left = std::max(cell.surface.left + cell.ink.left, 0);
        const int top = std::max(cell.surface.top + cell.ink.top, 0);
        const int right = std::min(cell.surface.left + cell.ink.right, surfaceWidth - 1);
        const int bottom = std::min(cell.surface.top + cell.ink.bottom, surfaceHeight - 1);
        if (right < left || bottom < top) continue;
        const RectF source{static_cast<float>(left - cell.surface.left),
                           static_cast<float>(cell.pictureTop + top - cell.surface.top),
                           static_cast<float>(right - left + 1), static_cast<float>(bottom - top + 1)};
        copyAtWholePixels(surface, picture_, source, left, top, 0.0f, 0.0f, scaleX_, scaleY_);
    }
    surface.setInterpolationMode(gdip::kInterpolationModeDefault);
}

// Each cell's ink blended at the whole pixels a copy would land on.
bool TextBlockPicture::blendInto(FrameBuffer& composed) const {
    for (int g = 0; g < groups_; ++g) {
        const Cell& cell = cells_[g];
        if (cell.ink.empty()) continue;
        const int top = cell.pictureTop + cell.ink.top;
        if (!composed.blendInkOver(picture_, rowsWithInk_ ? rowInk_ + top : nullptr, cell.ink.left, top,
                                   cell.ink.width(), cell.ink.height(), cell.surface.left + cell.ink.left,
                                   cell.surface.top + cell.ink.top))
            return false;
    }
    return true;
}

}  // namespace render
