// A block of texts laid out at points, each as Graphics::drawText lays it
// out, in one font, format and brush: drawn directly, or drawn once into a
// picture that is copied onto the surface while the texts stay the same.
// The data block's texts change at most once a second or so, and laying a
// text out costs the drawing library many times what copying it does.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/GdiPlusObjects.h"
#include "render/KeptPicture.h"
#include "render/PixelBlend.h"

namespace render {

class FrameBuffer;

struct PlacedText {
    const char16_t* text = nullptr;  // zero-terminated, owned by whoever laid the block out
    float x = 0.0f;                  // the anchor, in world units
    float y = 0.0f;
    int alignment = 0;
    int lineAlignment = 0;
    // Another text of the block whose measured bounds end where this one's
    // anchor goes (x is then ignored); -1: none.
    int follows = -1;
    // Texts of one group lie close together and are copied in one piece.
    int group = 0;

    // Placed alike, whatever the text.
    bool samePlace(const PlacedText& other) const {
        return x == other.x && y == other.y && alignment == other.alignment && lineAlignment == other.lineAlignment &&
               follows == other.follows && group == other.group;
    }
};

class TextBlock {
public:
    static constexpr int kMaxTexts = 8;
    static constexpr int kMaxGroups = 4;
    // Room for a text the block formats itself, terminator included.
    static constexpr size_t kOwnTextCapacity = 20;

    TextBlock() = default;
    TextBlock(const TextBlock&) = delete;
    TextBlock& operator=(const TextBlock&) = delete;

    // Every text is drawn in the font, format (its alignments are set for
    // each text) and brush; the brush's colour tells pictures apart.
    void setStyle(const Font& font, StringFormat& format, const Brush& brush, uint32_t brushColour) {
        font_ = &font;
        format_ = &format;
        brush_ = &brush;
        brushColour_ = brushColour;
    }
    bool styled() const { return font_ != nullptr && format_ != nullptr && brush_ != nullptr; }

    // Adds the text, which must outlive the block; a text beyond the
    // block's room is dropped. Returns its index, or -1.
    int add(const PlacedText& placed);
    // Adds a text placed so, kept in a buffer of the block's own (empty, of
    // kOwnTextCapacity), returned for the caller to write; null when the
    // block is full.
    char16_t* addOwn(const PlacedText& placed);

    int count() const { return count_; }
    const PlacedText& text(int index) const { return texts_[index]; }
    // Only once styled.
    const Font& font() const { return *font_; }
    StringFormat& format() const { return *format_; }
    const Brush& brush() const { return *brush_; }
    uint32_t brushColour() const { return brushColour_; }

private:
    const Font* font_ = nullptr;
    StringFormat* format_ = nullptr;
    const Brush* brush_ = nullptr;
    uint32_t brushColour_ = 0;
    int count_ = 0;
    PlacedText texts_[kMaxTexts];
    char16_t ownTexts_[kMaxTexts][kOwnTextCapacity] = {};
};

// A digest of everything a picture of the block at the scale depends on
// (texts up to a picture's longest): equal blocks give equal digests,
// unequal ones almost always differ.
uint64_t fingerprintOf(const TextBlock& block, float scaleX, float scaleY);

// Every text of the block drawn where and as it is placed, in the block's
// order; nothing for a block not styled.
void drawTextBlock(Graphics& graphics, const TextBlock& block);

// The block's texts drawn once into a transparent picture, at the same
// fraction of a pixel as they fall on the surface, and copied to whole
// pixels: what a copy puts on the surface is the drawn text moved by whole
// pixels. The surface maps world units to pixels as world x scale.
class TextBlockPicture final : public KeptPicture {
public:
    // Longest text a picture keeps, terminator included: a block with a
    // longer one is drawn directly.
    static constexpr size_t kKeptTextCapacity = 64;
    static bool keepable(const TextBlock& block);

    // Draws the block's texts into the picture, measuring with the surface's
    // graphics; false when the picture cannot be had, a text would not fit
    // its cell, or no room is found for it.
    bool build(Graphics& surface, const TextBlock& block, float scaleX, float scaleY, PictureRoom& room);
    // The picture's copy of the block, on a surface of the size in pixels;
    // blended as memory where the surface is a frame buffer's picture.
    void draw(Graphics& surface, int surfaceWidth, int surfaceHeight, FrameBuffer* composed = nullptr) const;

    // Built for the block at the scale (ready or found unbuildable), or
    // refused for want of room.
    bool keyedFor(const TextBlock& block, float scaleX, float scaleY) const;

private:
    struct KeptText {
        char16_t text[kKeptTextCapacity];
        PlacedText placed;  // its text pointer left null
    };
    // A group's cell: where it lies in the picture, and the whole pixels
    // that move it there from the surface.
    struct Cell {
        PixelBounds surface;  // the group's pixels on the surface, margins included
        int pictureTop = 0;   // its row in the picture (its left is the picture's)
        PixelBounds ink;      // relative to the cell's corner
    };

    void setKey(const TextBlock& block, float scaleX, float scaleY);
    bool buildOnce(Graphics& surface, const TextBlock& block, float scaleX, float scaleY, PictureRoom& room);
    bool layOutCells(Graphics& surface, const TextBlock& block, PointF* anchors);
    bool makePicture(int width, int height, PictureRoom& room);
    void drawTexts(const TextBlock& block, const PointF* anchors);
    bool findInk();
    void findRowInk(const Cell& cell);
    bool blendInto(FrameBuffer& composed) const;

    // The key: everything the picture depends on.
    KeptText texts_[TextBlock::kMaxTexts] = {};
    int count_ = 0;
    FontDescription font_;
    int formatFlags_ = 0;
    uint16_t formatLanguage_ = 0;
    uint32_t brushColour_ = 0;
    float scaleX_ = 0.0f;
    float scaleY_ = 0.0f;
    Cell cells_[TextBlock::kMaxGroups] = {};
    int groups_ = 0;
    // Each row's ink, by the picture's row, while the cells' rows fit: a
    // blend passes over the rest of the row, most of a cell (the space
    // around and between the lines, the ends of short lines).
    static constexpr int kRowsWithInk = 1024;
    InkSpan rowInk_[kRowsWithInk];
    bool rowsWithInk_ = false;
};

}  // namespace render
