// Where the preview window puts things: the gauges side by side with a gap
// between them, each under a strip with its name, the status line at the
// bottom; and the whole frame scaled down when it is larger than the screen.
#pragma once

#include <string>
#include <vector>

namespace preview {

struct WindowLayout {
    int gaugeWidth = 0;
    int gaugeHeight = 0;
    int gaugeCount = 0;

    int width() const;
    int height() const;
    int gaugeX(int index) const;
    int gaugeY() const;
    int labelY() const;
    int statusY() const;
    // The gauge under a point of the frame and the point within it; -1 when
    // the point lies on no gauge.
    int gaugeAt(int x, int y, int& gaugeX, int& gaugeY) const;
};

constexpr int kWindowStatusHeight = 22;

// The labels of the gauges: their names, numbered where a name repeats.
std::vector<std::string> gaugeLabels(const std::vector<std::string>& names);

// The factor (at most 1) that fits a frame into the screen space given.
double fitFactor(int frameWidth, int frameHeight, int screenWidth, int screenHeight);

// A point of the window, scaled to `shown` pixels, back on the frame.
int toFrame(int windowPixel, int shownPixels, int framePixels);

}  // namespace preview
