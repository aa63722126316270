#include "render/TextAtlas.h"

#include <cmath>
#include <initializer_list>
#include <new>

namespace render {
namespace {

constexpr int kColumns = 16;
constexpr int kTextCapacity = 16;
// A picture larger than this (surfaces of some 2,500 pixels and more) is
// not worth its memory: the text is then drawn directly.
constexpr int kLargestSide = 4096;
// Room around each cell's ink, in pixels.
constexpr int kMarginPixels = 2;
constexpr int kKeptAtlases = 4;
constexpr int kAntiAliasGridFitText = 3;  // ClearType needs an opaque background

uint64_t useCount = 0;

// In static storage, made on first use and never destroyed: no static
// destructor may call GDI+ at process exit (the last gauge releases them).
TextAtlas& keptAtlas(int index) {
    alignas(TextAtlas) static unsigned char storage[kKeptAtlases][sizeof(TextAtlas)];
    static const bool made = [] {
        for (auto& slot : storage) new (slot) TextAtlas();
        return true;
    }();
    (void)made;
    return *std::launder(reinterpret_cast<TextAtlas*>(storage[index]));
}

}  // namespace

bool TextAtlas::measure(const TextAtlasSpec& spec) {
    char16_t text[kTextCapacity];
    textWidth_ = 0.0f;
    lineHeight_ = 0.0f;
    // The widest of the first, middle and last texts stands for all.
    for (int cell : {0, spec.cells / 2, spec.cells - 1}) {
        spec.cellText(cell, text, kTextCapacity);
        const RectF bounds = picture_.graphics().measureText(text, -1, *spec.font, 0.0f, 0.0f);
        if (bounds.Width > textWidth_) textWidth_ = bounds.Width;
        if (bounds.Height > lineHeight_) lineHeight_ = bounds.Height;
    }
    return textWidth_ > 0.0f && lineHeight_ > 0.0f && std::isfinite(textWidth_) && std::isfinite(lineHeight_);
}

bool TextAtlas::build(const TextAtlasSpec& spec, float scaleX, float scaleY) {
    release();
    // The key first, so that a failure is remembered for it.
    cellText_ = spec.cellText;
    colours_[0] = spec.brushColours[0];
    colours_[1] = spec.brushColours[1];
    scaleX_ = scaleX;
    scaleY_ = scaleY;
    cells_ = spec.cells;
    failed_ = true;
    if (spec.cells <= 0 || !(scaleX > 0.0f) || !(scaleY > 0.0f)) return false;
    // A one-pixel picture first, to measure the text at the scale.
    if (!picture_.create(1, 1)) return false;
    picture_.graphics().scaleWorldTransform(scaleX, scaleY);
    const bool measured = measure(spec);
    picture_.release();
    if (!measured) return false;

    cellWidthPixels_ = static_cast<int>(std::ceil(textWidth_ * scaleX)) + 2 * kMarginPixels;
    cellHeightPixels_ = static_cast<int>(std::ceil(lineHeight_ * scaleY)) + 2 * kMarginPixels;
    const int rows = (2 * spec.cells + kColumns - 1) / kColumns;
    const double width = static_cast<double>(cellWidthPixels_) * kColumns;
    const double height = static_cast<double>(cellHeightPixels_) * rows;
    if (width > kLargestSide || height > kLargestSide) return false;
    if (!picture_.create(static_cast<int>(width), static_cast<int>(height))) return false;
    Graphics& graphics = picture_.graphics();
    graphics.clear(0x00000000u);
    graphics.scaleWorldTransform(scaleX, scaleY);
    graphics.setSmoothingMode(gdip::kSmoothingModeAntiAlias);
    graphics.setTextRenderingHint(kAntiAliasGridFitText);
    spec.format->setAlignment(gdip::kStringAlignmentCenter);
    spec.format->setLineAlignment(gdip::kStringAlignmentNear);

    char16_t text[kTextCapacity];
    for (int brush = 0; brush < 2; ++brush) {
        for (int cell = 0; cell < spec.cells; ++cell) {
            const int slot = brush * spec.cells + cell;
            const float left = static_cast<float>((slot % kColumns) * cellWidthPixels_ + kMarginPixels) / scaleX;
            const float top = static_cast<float>((slot / kColumns) * cellHeightPixels_ + kMarginPixels) / scaleY;
            spec.cellText(cell, text, kTextCapacity);
            graphics.drawText(text, -1, *spec.font, left + textWidth_ / 2, top, spec.format, spec.brushes[brush]);
        }
    }
    failed_ = false;
    ready_ = true;
    return true;
}

bool TextAtlas::matches(const TextAtlasSpec& spec, float scaleX, float scaleY) const {
    return ready_ && tried(spec, scaleX, scaleY);
}

bool TextAtlas::tried(const TextAtlasSpec& spec, float scaleX, float scaleY) const {
    return (ready_ || failed_) && cellText_ == spec.cellText && cells_ == spec.cells && colours_[0] == spec.brushColours[0] &&
           colours_[1] == spec.brushColours[1] && scaleX_ == scaleX && scaleY_ == scaleY;
}

void TextAtlas::release() {
    picture_.release();
    ready_ = false;
    failed_ = false;
}

void TextAtlas::draw(Graphics& target, float originX, float originY, int cell, int brush, float centreX,
                     float textTop) const {
    if (!ready_ || cell < 0 || cell >= cells_ || brush < 0 || brush > 1) return;
    const int slot = brush * cells_ + cell;
    const RectF source{static_cast<float>((slot % kColumns) * cellWidthPixels_),
                       static_cast<float>((slot / kColumns) * cellHeightPixels_),
                       static_cast<float>(cellWidthPixels_), static_cast<float>(cellHeightPixels_)};
    const float width = static_cast<float>(cellWidthPixels_) / scaleX_;
    const float height = static_cast<float>(cellHeightPixels_) / scaleY_;
    // Snapped to the pixel the cell's corner falls in.
    const double left = std::floor((static_cast<double>(centreX) - width / 2 + originX) * scaleX_ + 0.5);
    const double top = std::floor((static_cast<double>(textTop) + originY) * scaleY_ - kMarginPixels + 0.5);
    const RectF destination{static_cast<float>(left / scaleX_ - originX), static_cast<float>(top / scaleY_ - originY),
                            width, height};
    target.drawBackdropPart(picture_, destination, source);
}

const TextAtlas* textAtlasFor(const TextAtlasSpec& spec, float scaleX, float scaleY) {
    TextAtlas* oldest = &keptAtlas(0);
    for (int i = 0; i < kKeptAtlases; ++i) {
        TextAtlas& atlas = keptAtlas(i);
        if (atlas.tried(spec, scaleX, scaleY)) {
            atlas.lastUse = ++useCount;
            return atlas.ready() ? &atlas : nullptr;
        }
        if (atlas.lastUse < oldest->lastUse) oldest = &atlas;
    }
    oldest->lastUse = ++useCount;
    return oldest->build(spec, scaleX, scaleY) ? oldest : nullptr;
}

void releaseTextAtlases() {
    for (int i = 0; i < kKeptAtlases; ++i) {
        keptAtlas(i).release();
        keptAtlas(i).lastUse = 0;
    }
}

int liveTextAtlases() {
    int live = 0;
    for (int i = 0; i < kKeptAtlases; ++i) live += keptAtlas(i).ready() ? 1 : 0;
    return live;
}

}  // namespace render
