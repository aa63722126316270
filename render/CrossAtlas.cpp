#include "render/CrossAtlas.h"

#include <cmath>

namespace render {
namespace {

// Room around each cell's ink, in pixels: GDI+'s pixel offset may put half
// a pixel of ink beyond the geometry.
constexpr int kMarginPixels = 2;
// A larger picture (surfaces of some 3,500 pixels and more) is not worth
// its share of the store: the crosses are then stroked.
constexpr int kLargestSide = 4096;
constexpr int64_t kLargestBytes = int64_t{4} * 1024 * 1024;
// Centres further off than this many pixels lie off any surface GDI can
// make; their crosses are left to the pen.
constexpr double kFarthestPixels = 1 << 20;

// Whole pixels from a cell's corner to where its crosses' reach allows the
// centre, margin included.
int anchorFor(double reachPixels) { return kMarginPixels + static_cast<int>(std::ceil(reachPixels)); }

// The phase of a pixel nearest to the world coordinate, counted in phases
// from pixel 0; false when it is too far off to place.
bool nearestPhase(float world, float origin, float scale, int& phases) {
    const double pixels = (static_cast<double>(world) + origin) * scale;
    if (!(std::fabs(pixels) < kFarthestPixels)) return false;
    phases = static_cast<int>(std::floor(pixels * CrossAtlas::kPhases + 0.5));
    return true;
}

int phaseOf(int phases) { return ((phases % CrossAtlas::kPhases) + CrossAtlas::kPhases) % CrossAtlas::kPhases; }

}  // namespace

bool CrossAtlas::build(const CrossAtlasContent& content, float scaleX, float scaleY, PictureRoom& room) {
    const uint64_t failedBefore = retry_.begin();
    const bool built = buildOnce(content, scaleX, scaleY, room);
    if (retry_.finish(failedBefore)) return built;
    // A call failed: a cross may be missing. Built once more at the next
    // use; after that the crosses are stroked.
    release();
    failed_ = retry_.givenUp();
    return false;
}

void CrossAtlas::setKey(const CrossAtlasContent& content, float scaleX, float scaleY) {
    colours_[0] = content.penColours[0];
    colours_[1] = content.penColours[1];
    penWidth_ = content.penWidth;
    arm_ = content.arm;
    scaleX_ = scaleX;
    scaleY_ = scaleY;
    keyed_ = true;
}

bool CrossAtlas::keyedFor(const CrossAtlasContent& content, float scaleX, float scaleY) const {
    return keyed_ && colours_[0] == content.penColours[0] && colours_[1] == content.penColours[1] &&
           penWidth_ == content.penWidth && arm_ == content.arm && scaleX_ == scaleX && scaleY_ == scaleY;
}

bool CrossAtlas::buildOnce(const CrossAtlasContent& content, float scaleX, float scaleY, PictureRoom& room) {
    release();
    setKey(content, scaleX, scaleY);
    failed_ = true;  // until built
    if (content.pens[0] == nullptr || content.pens[1] == nullptr || !(scaleX > 0.0f) || !(scaleY > 0.0f) ||
        !(content.arm > 0.0f) || !(content.penWidth > 0.0f))
        return false;
    const double reach = static_cast<double>(content.arm) + content.penWidth / 2.0;
    const double reachX = reach * scaleX;
    const double reachY = reach * scaleY;
    if (!(reachX < kLargestSide) || !(reachY < kLargestSide)) return false;
    anchorX_ = anchorFor(reachX);
    anchorY_ = anchorFor(reachY);
    // The centre moves up to a pixel less a phase past the anchor.
    cellWidth_ = 2 * anchorX_ + 1;
    cellHeight_ = 2 * anchorY_ + 1;
    const int64_t width = int64_t{cellWidth_} * 2 * kPhases;
    const int64_t height = int64_t{cellHeight_} * kPhases;
    if (width > kLargestSide || height > kLargestSide) return false;
    if (!makePictureInRoom(static_cast<int32_t>(width), static_cast<int32_t>(height), room, kLargestBytes))
        return false;
    Graphics& graphics = picture_.graphics();
    graphics.clear(0x00000000u);
    graphics.scaleWorldTransform(scaleX, scaleY);
    graphics.setSmoothingMode(gdip::kSmoothingModeAntiAlias);
    drawCrosses(content);
    findInk();
    failed_ = false;
    ready_ = true;
    return true;
}

// Each cross as the views stroke it, its centre a phase further
// across from cell to cell, and down from row to row.
void CrossAtlas::drawCrosses(const CrossAtlasContent& content) {
    Graphics& graphics = picture_.graphics();
    for (int pen = 0; pen < 2; ++pen) {
        for (int phaseY = 0; phaseY < kPhases; ++phaseY) {
            for (int phaseX = 0; phaseX < kPhases; ++phaseX) {
                const double pixelX = cellLeft(pen, phaseX) + anchorX_ + static_cast<double>(phaseX) / kPhases;
                const double pixelY = cellTop(phaseY) + anchorY_ + static_cast<double>(phaseY) / kPhases;
                const float x = static_cast<float>(pixelX / scaleX_);
                const float y = static_cast<float>(pixelY / scaleY_);
                graphics.drawLine(*content.pens[pen], x, y - arm_, x, y + arm_);
                graphics.drawLine(*content.pens[pen], x - arm_, y, x + arm_, y);
            }
        }
    }
}

// A cell whose ink cannot be read is blended whole.
void CrossAtlas::findInk() {
    for (int pen = 0; pen < 2; ++pen) {
        for (int phaseY = 0; phaseY < kPhases; ++phaseY) {
            for (int phaseX = 0; phaseX < kPhases; ++phaseX) {
                PixelBounds& ink = ink_[pen][phaseY][phaseX];
                ink = PixelBounds{};
                if (!widenToInk(picture_, cellLeft(pen, phaseX), cellTop(phaseY), cellWidth_, cellHeight_, ink))
                    ink = PixelBounds{0, 0, cellWidth_ - 1, cellHeight_ - 1};
            }
        }
    }
}

bool CrossAtlas::blend(FrameBuffer& frame, float originX, float originY, int pen, float x, float y) const {
    if (!ready_ || pen < 0 || pen > 1) return false;
    int phasesX = 0;
    int phasesY = 0;
    if (!nearestPhase(x, originX, scaleX_, phasesX) || !nearestPhase(y, originY, scaleY_, phasesY)) return false;
    const int phaseX = phaseOf(phasesX);
    const int phaseY = phaseOf(phasesY);
    const PixelBounds& ink = ink_[pen][phaseY][phaseX];
    if (ink.empty()) return true;
    const int left = (phasesX - phaseX) / kPhases - anchorX_ + ink.left;
    const int top = (phasesY - phaseY) / kPhases - anchorY_ + ink.top;
    return frame.blendOver(picture_, cellLeft(pen, phaseX) + ink.left, cellTop(phaseY) + ink.top, ink.width(),
                           ink.height(), left, top);
}

}  // namespace render
