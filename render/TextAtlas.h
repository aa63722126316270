// Short texts drawn once into an offscreen picture at a surface's scale, in
// two brushes, and then copied onto the surface cell by cell: copying a
// small picture costs the drawing library a fraction of laying the text out
// again in every frame. Small line drawings (the tags' climb arrows) may sit
// beside them, drawn once in two pens, for the same reason: a copy costs a
// fraction of stroking the lines with anti-aliasing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/GdiPlusObjects.h"
#include "render/KeptPicture.h"

namespace render {

class FrameBuffer;

// Writes the text of a cell; returns its length.
using CellText = size_t (*)(int cell, char16_t* text, size_t capacity);

// Draws line drawing number `drawing` with the pen around the anchor point.
using CellDrawing = void (*)(Graphics& graphics, const Pen& pen, int drawing, float anchorX, float anchorY);

// Line drawings kept beside the texts, in pens coloured as the brushes.
struct AtlasDrawings {
    CellDrawing draw = nullptr;  // none: the atlas holds texts only
    int count = 0;
    const Pen* pens[2] = {};
    // Where the ink may reach around the anchor, in world units.
    RectF box{};
    // The pens' width in world units: the anchor is put where lines of that
    // width fall on whole pixels, as sharp as the surface's scale allows.
    float lineWidth = 0.0f;
};

// What an atlas holds: its texts, drawn in two brushes, and its line drawings.
struct TextAtlasContent {
    CellText cellText;
    int cells;
    const Font* font;
    StringFormat* format;  // its alignments are set while the atlas is drawn
    const Brush* brushes[2];
    uint32_t brushColours[2];  // the brushes' colours: they tell atlases apart
    AtlasDrawings drawings;
};

class TextAtlas final : public KeptPicture {
public:
    // Draws every cell in both brushes at the scale; false when the picture
    // cannot be had, would be too large, or finds no room.
    bool build(const TextAtlasContent& content, float scaleX, float scaleY, PictureRoom& room);
    // Built for the content and scale (ready or found unbuildable), or
    // refused for want of room.
    bool keyedFor(const TextAtlasContent& content, float scaleX, float scaleY) const;

    // The cell's text in the brush, centred on x with the top of its line at
    // y, in the target's world units. The target maps world units to pixels
    // as (world + origin) x scale, the atlas's scale: each cell is copied to
    // whole pixels, a plain copy for the drawing library rather than a
    // resampling. Where the target is a frame buffer's picture (`composed`),
    // the cell is blended there as memory instead (libgdiplus's copy to the
    // byte; Wine's copy rounds a few levels otherwise): a copy costs the
    // drawing library far more than its few hundred pixels.
    void draw(Graphics& target, float originX, float originY, int cell, int brush, float centreX, float textTop,
              FrameBuffer* composed = nullptr) const;
    // Height of a line of the text, in world units.
    float lineHeight() const { return lineHeight_; }
    // Where the texts' ink may lie around a cell drawn at (centreX, textTop),
    // in world units from there, a pixel wider all round for the snapping.
    RectF inkAround() const;

    bool hasDrawings() const { return ready_ && drawings_ > 0; }
    // The line drawing in the pen of the brush's colour, its anchor on the
    // pixel corner or centre nearest to (anchorX, anchorY): at most half a
    // pixel from where the pen would have drawn it, either way.
    void drawDrawing(Graphics& target, float originX, float originY, int drawing, int brush, float anchorX,
                     float anchorY, FrameBuffer* composed = nullptr) const;

private:
    void setKey(const TextAtlasContent& content, float scaleX, float scaleY);
    bool buildOnce(const TextAtlasContent& content, float scaleX, float scaleY, PictureRoom& room);

    bool measure(const TextAtlasContent& content);
    bool placeDrawings(const AtlasDrawings& drawings);
    void drawTexts(const TextAtlasContent& content);
    void findTextInk();
    void drawDrawings(const AtlasDrawings& drawings);
    // Source rectangles, in the picture's pixels.
    RectF textCell(int slot) const;
    RectF drawingCell(int slot) const;
    // The cell lands on the whole pixel (left, top).
    void copyCell(Graphics& target, FrameBuffer* composed, float originX, float originY, double left, double top,
                  const RectF& source) const;
    bool blendCell(FrameBuffer& composed, double left, double top, const RectF& source) const;

    // The key: everything the picture depends on.
    CellText cellText_ = nullptr;
    uint32_t colours_[2] = {};
    FontDescription font_;
    int formatFlags_ = 0;
    uint16_t formatLanguage_ = 0;
    float lineWidth_ = 0.0f;
    float scaleX_ = 0.0f;
    float scaleY_ = 0.0f;
    int cells_ = 0;
    int cellWidthPixels_ = 0;
    int cellHeightPixels_ = 0;
    float lineHeight_ = 0.0f;
    float textWidth_ = 0.0f;
    // Where the texts' ink lies in a cell, in pixels from its corner.
    int inkLeft_ = 0;
    int inkTop_ = 0;
    int inkWidth_ = 0;
    int inkHeight_ = 0;
    // The line drawings: one row of cells under the texts.
    CellDrawing drawing_ = nullptr;
    int drawings_ = 0;
    int textRows_ = 0;
    int drawingWidthPixels_ = 0;
    int drawingHeightPixels_ = 0;
    // The anchor's place in a drawing cell, in pixels from its corner.
    float anchorPixelX_ = 0.0f;
    float anchorPixelY_ = 0.0f;
};

}  // namespace render
