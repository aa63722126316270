// The targets' crosses drawn once into a small picture, in two pens and at
// every eighth of a pixel across and down, and blended from there into a
// frame composed as memory: a blend of a few dozen pixels costs a fraction
// of what stroking two anti-aliased lines costs the drawing library, and a
// busy sky has hundreds of crosses in every frame.
//
// A blended cross is the cross the pen draws at the nearest eighth of a
// pixel: at most a sixteenth of a pixel across and down from where the pen
// would have drawn it, its anti-aliasing that of the pen there, to within
// the rounding of one blend. Along its edges a pixel's coverage differs from
// the pen's by at most a sixteenth (an eighth where two edges meet).
#pragma once

#include <cstdint>

#include "render/FrameBuffer.h"
#include "render/GdiPlusObjects.h"
#include "render/KeptPicture.h"
#include "render/LineRaster.h"

namespace render {

// What the crosses depend on: two lines through the centre, `arm` world
// units each way, the vertical one first, in either pen.
struct CrossAtlasContent {
    const Pen* pens[2];
    uint32_t penColours[2];  // they tell atlases apart
    float penWidth;          // world units
    float arm;               // world units
};

// Where the platform's pen puts a line, measured on an atlas's own crosses:
// how far, in pixels, the middle of a line's ink lies from its geometry, and
// how wide the ink is (GDI+ inks a pen narrower than a pixel a pixel wide).
// `measured` only once slanted lines filled by the module matched the
// pen's own in the atlas: elsewhere lines are left to the pen.
struct LinePlacement {
    bool measured = false;
    double offsetX = 0.0;
    double offsetY = 0.0;
    double pixelWidth = 0.0;  // 0: the pen's width, scaled as the world
};

class CrossAtlas final : public KeptPicture {
public:
    static constexpr int kPhases = 8;  // positions a pixel across, and as many down

    // Draws every cross at the scale; false when the picture cannot be had,
    // would be too large, or finds no room.
    bool build(const CrossAtlasContent& content, float scaleX, float scaleY, PictureRoom& room);
    // Built for the content and scale (ready or found unbuildable), or
    // refused for want of room.
    bool keyedFor(const CrossAtlasContent& content, float scaleX, float scaleY) const;

    // Blends the cross of the pen (0 or 1) centred on (x, y) into the frame,
    // which maps world units to pixels as (world + origin) x scale, the
    // atlas's scale. False, blending nothing, when the picture is not ready
    // or the centre lies too far off any surface to place: the caller
    // strokes the cross instead.
    bool blend(FrameBuffer& frame, float originX, float originY, int pen, float x, float y) const;

    // Whether lines in the first pen may be filled as memory (see
    // LinePlacement), and the quadrilateral, in pixels of a frame that maps
    // world units as (world + origin) x scale, that the pen's ink fills
    // along the line; false for a line of no length, or unmeasured lines.
    bool linesMeasured() const { return placement_.measured; }
    bool penQuad(float originX, float originY, float x1, float y1, float x2, float y2, QuadCorners& quad) const;

private:
    bool buildOnce(const CrossAtlasContent& content, float scaleX, float scaleY, PictureRoom& room);
    void setKey(const CrossAtlasContent& content, float scaleX, float scaleY);
    void drawCrosses(const CrossAtlasContent& content);
    void findInk();
    void measureLines();
    bool filledLinesMatchThePens(const CrossAtlasContent& content);
    int probeTop() const { return cellTop(kPhases); }
    int cellLeft(int pen, int phaseX) const { return (pen * kPhases + phaseX) * cellWidth_; }
    int cellTop(int phaseY) const { return phaseY * cellHeight_; }

    uint32_t colours_[2] = {};
    float penWidth_ = 0.0f;
    float arm_ = 0.0f;
    float scaleX_ = 0.0f;
    float scaleY_ = 0.0f;
    int cellWidth_ = 0;
    int cellHeight_ = 0;
    // Whole pixels from a cell's corner to its cross's centre at phase 0.
    int anchorX_ = 0;
    int anchorY_ = 0;
    // Where each cell's cross inks, from the cell's corner: only that is blended.
    PixelBounds ink_[2][kPhases][kPhases];
    LinePlacement placement_;
};

}  // namespace render
