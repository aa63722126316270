#include "tools/preview/WindowLayout.h"

#include <algorithm>

#include "tools/preview/BitmapFont.h"

namespace preview {
namespace {

constexpr int kGap = 8;
constexpr int kLabelHeight = kGlyphHeight * 2 + 8;

}  // namespace

int WindowLayout::width() const { return kGap + gaugeCount * (gaugeWidth + kGap); }
int WindowLayout::height() const { return statusY() + kWindowStatusHeight; }
int WindowLayout::gaugeX(int index) const { return kGap + index * (gaugeWidth + kGap); }
int WindowLayout::gaugeY() const { return kLabelHeight; }
int WindowLayout::labelY() const { return (kLabelHeight - textHeight(2)) / 2; }
int WindowLayout::statusY() const { return gaugeY() + gaugeHeight + kGap; }

int WindowLayout::gaugeAt(int x, int y, int& inX, int& inY) const {
    for (int i = 0; i < gaugeCount; ++i) {
        inX = x - gaugeX(i);
        inY = y - gaugeY();
        if (inX >= 0 && inX < gaugeWidth && inY >= 0 && inY < gaugeHeight) return i;
    }
    return -1;
}

std::vector<std::string> gaugeLabels(const std::vector<std::string>& names) {
    std::vector<std::string> labels;
    for (size_t i = 0; i < names.size(); ++i) {
        const long repeats = std::count(names.begin(), names.end(), names[i]);
        const long before = std::count(names.begin(), names.begin() + static_cast<long>(i), names[i]);
        labels.push_back(repeats > 1 ? names[i] + " #" + std::to_string(before + 1) : names[i]);
    }
    return labels;
}

double fitFactor(int frameWidth, int frameHeight, int screenWidth, int screenHeight) {
    if (frameWidth <= 0 || frameHeight <= 0 || screenWidth <= 0 || screenHeight <= 0) return 1.0;
    return std::min({1.0, static_cast<double>(screenWidth) / frameWidth, static_cast<double>(screenHeight) / frameHeight});
}

int toFrame(int windowPixel, int shownPixels, int framePixels) {
    if (shownPixels <= 0) return windowPixel;
    return static_cast<int>(static_cast<long long>(windowPixel) * framePixels / shownPixels);
}

}  // namespace preview
