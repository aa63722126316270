#include "render/CrossAtlas.h"

#include <cmath>

#include "render/PixelBlend.h"

namespace render {
namespace {

// Room around each cell's ink, in pixels: GDI+'s pixel offset may put half
// a pixel of ink beyond the geometry.
constexpr int kMarginPixels = 2;
// A larger picture (surfaces of some 3,500 pixels and more) is not worth
// its share of the store: the crosses are then stroked.
constexpr int kLargestSide = 4096;
constexpr int64_t kLargestBytes = int64_t{4} * 1024 * 1024;

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

// The ink along `count` pixels `step` apart: how many pixels of full cover
// it makes, and where its middle lies (pixel i's middle at i + 0.5).
struct InkAcross {
    double pixels = 0.0;
    double middle = 0.0;
};

InkAcross inkAcross(const uint32_t* first, int64_t step, int count, uint32_t fullAlpha) {
    double weight = 0.0;
    double moment = 0.0;
    for (int i = 0; i < count; ++i) {
        const double alpha = first[i * step] >> 24;
        weight += alpha;
        moment += alpha * (i + 0.5);
    }
    if (!(weight > 0.0)) return InkAcross{};
    return InkAcross{weight / fullAlpha, moment / weight};
}

// A line's ink as wide as its geometry, within what anti-aliasing rounds.
bool inkAsWide(double inkPixels, double widthPixels) {
    return std::fabs(inkPixels - widthPixels) <= 0.05 * widthPixels + 0.03;
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
    placement_ = LinePlacement{};
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
    // A row of cells more below the crosses, for the slanted lines that
    // check the module's own lines against the pen's.
    const int64_t height = int64_t{cellHeight_} * (kPhases + 1);
    if (width > kLargestSide || height > kLargestSide) return false;
    if (!makePictureInRoom(static_cast<int32_t>(width), static_cast<int32_t>(height), room, kLargestBytes))
        return false;
    Graphics& graphics = picture_.graphics();
    graphics.clear(0x00000000u);
    graphics.scaleWorldTransform(scaleX, scaleY);
    graphics.setSmoothingMode(gdip::kSmoothingModeAntiAlias);
    drawCrosses(content);
    findInk();
    measureLines();
    if (placement_.measured && !filledLinesMatchThePens(content)) placement_ = LinePlacement{};
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

// Across the first pen's vertical arms halfway up, and across its
// horizontal arms halfway left, at every phase of the first row and column.
void CrossAtlas::measureLines() {
    placement_ = LinePlacement{};
    const uint32_t* pixels = picture_.pixels();
    const uint32_t fullAlpha = colours_[0] >> 24;
    const double widthX = static_cast<double>(penWidth_) * scaleX_;
    const double widthY = static_cast<double>(penWidth_) * scaleY_;
    const int armX = static_cast<int>(std::lround(arm_ * scaleX_ / 2));
    const int armY = static_cast<int>(std::lround(arm_ * scaleY_ / 2));
    // Halfway along an arm must lie a pixel clear of the other arm's ink
    // (at least a pixel wide).
    if (pixels == nullptr || fullAlpha == 0 || armX < std::fmax(widthY, 1.0) / 2 + 1 ||
        armY < std::fmax(widthX, 1.0) / 2 + 1)
        return;
    const int64_t stride = picture_.width();
    double offsetX = 0.0;
    double offsetY = 0.0;
    double inkX = 0.0;
    double inkY = 0.0;
    for (int phase = 0; phase < kPhases; ++phase) {
        const int row = cellTop(0) + anchorY_ - armY;
        const InkAcross across = inkAcross(pixels + row * stride + cellLeft(0, phase), 1, cellWidth_, fullAlpha);
        const int column = cellLeft(0, 0) + anchorX_ - armX;
        const InkAcross down = inkAcross(pixels + cellTop(phase) * stride + column, stride, cellHeight_, fullAlpha);
        offsetX += across.middle - (anchorX_ + static_cast<double>(phase) / kPhases);
        offsetY += down.middle - (anchorY_ + static_cast<double>(phase) / kPhases);
        inkX += across.pixels;
        inkY += down.pixels;
    }
    inkX /= kPhases;
    inkY /= kPhases;
    double pixelWidth = 0.0;
    if (widthX < 1.0 || widthY < 1.0) {
        // A pen inked a pixel wide whatever its direction: only where the
        // world is scaled alike across and down.
        if (scaleX_ != scaleY_ || !inkAsWide(inkX, 1.0) || !inkAsWide(inkY, 1.0)) return;
        pixelWidth = 1.0;
    } else if (!inkAsWide(inkX, widthX) || !inkAsWide(inkY, widthY)) {
        return;
    }
    placement_ = LinePlacement{true, offsetX / kPhases, offsetY / kPhases, pixelWidth};
}

bool CrossAtlas::penQuad(float originX, float originY, float x1, float y1, float x2, float y2,
                         QuadCorners& quad) const {
    if (!placement_.measured) return false;
    const auto pixelX = [&](double x) { return (x + originX) * scaleX_ + placement_.offsetX; };
    const auto pixelY = [&](double y) { return (y + originY) * scaleY_ + placement_.offsetY; };
    if (placement_.pixelWidth > 0.0)
        return lineQuad(pixelX(x1), pixelY(y1), pixelX(x2), pixelY(y2), placement_.pixelWidth, quad);
    // Across the line in world units, then to pixels: a world scaled
    // unevenly widens the pen as it widens the world.
    if (!lineQuad(x1, y1, x2, y2, penWidth_, quad)) return false;
    for (int i = 0; i < 4; ++i) {
        quad.x[i] = pixelX(quad.x[i]);
        quad.y[i] = pixelY(quad.y[i]);
    }
    return true;
}

// Slanted lines at odd phases, each stroked by the pen in one cell of the
// last row and filled by the module in the next; they must agree to within
// what two anti-aliasing rasterisers differ by. A platform that inks lines
// otherwise (without anti-aliasing, or wider) keeps its pen for them.
bool CrossAtlas::filledLinesMatchThePens(const CrossAtlasContent& content) {
    struct Probe {
        double acrossX, acrossY;  // direction, in pixels
        double phaseX, phaseY;
    };
    static constexpr Probe kProbes[] = {{2, 1, 0.3, 0.6}, {1, 3, 0.55, 0.1}, {3, -2, 0.8, 0.35}, {1, 1, 0.15, 0.9}};
    // Levels of alpha two rasterisers' coverage of an edge pixel may differ by.
    constexpr int kMostLevels = 40;
    uint32_t* pixels = picture_.pixelsToDrawOn();
    if (pixels == nullptr) return false;
    const double reach = std::fmin(arm_ * scaleX_, arm_ * scaleY_);
    const PixelRows rows{reinterpret_cast<uint8_t*>(pixels), int64_t{picture_.width()} * 4, picture_.width(),
                         picture_.height()};
    const float shift = static_cast<float>(cellWidth_ / scaleX_);  // one cell across, in world units
    for (int p = 0; p < 4; ++p) {
        const Probe& probe = kProbes[p];
        const double length = std::hypot(probe.acrossX, probe.acrossY);
        const double centreX = cellLeft(0, 2 * p) + anchorX_ + probe.phaseX;
        const double centreY = probeTop() + anchorY_ + probe.phaseY;
        const double dx = probe.acrossX / length * reach;
        const double dy = probe.acrossY / length * reach;
        const float x1 = static_cast<float>((centreX - dx) / scaleX_);
        const float y1 = static_cast<float>((centreY - dy) / scaleY_);
        const float x2 = static_cast<float>((centreX + dx) / scaleX_);
        const float y2 = static_cast<float>((centreY + dy) / scaleY_);
        picture_.graphics().drawLine(*content.pens[0], x1, y1, x2, y2);
        QuadCorners quad;
        BlendedBox blended;
        if (!penQuad(shift, 0.0f, x1, y1, x2, y2, quad) ||
            !blendConvexQuad(rows, quad, premultiplied(colours_[0]), blended))
            return false;
    }
    const int64_t stride = picture_.width();
    for (int p = 0; p < 4; ++p) {
        for (int y = probeTop(); y < probeTop() + cellHeight_; ++y) {
            const uint32_t* stroked = pixels + y * stride + cellLeft(0, 2 * p);
            const uint32_t* filled = stroked + cellWidth_;
            for (int x = 0; x < cellWidth_; ++x) {
                const int difference = static_cast<int>(stroked[x] >> 24) - static_cast<int>(filled[x] >> 24);
                if (difference > kMostLevels || difference < -kMostLevels) return false;
            }
        }
    }
    return true;
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
