// Names the preview tool accepts on its command line: the four gauges, the
// three views, pixel sizes and points. Each parser returns false with a
// message a user can act on.
#pragma once

#include <array>
#include <string>

namespace preview {

// The gauges as the module names them in its gauge list.
constexpr std::array<const char*, 4> kGaugeNames = {"Circular Green", "Circular Amber", "Rectangular Green",
                                                    "Rectangular Amber"};

enum class View { FullCircle = 2, ForwardArc = 3, Grid = 4 };
constexpr std::array<View, 3> kViews = {View::FullCircle, View::ForwardArc, View::Grid};

// "Radar Mode" value of a view.
inline double radarModeValue(View view) { return static_cast<double>(static_cast<int>(view)); }
const char* viewTitle(View view);    // "Full circle", "Forward arc", "Grid"
const char* viewKeyword(View view);  // "full", "arc", "grid"

// Accepts "Circular Green", "circular-green", "circular_green", "CircularGreen"
// and the initials "cg", "ca", "rg", "ra", in any case; also as panel.cfg
// writes them, "Quillon!Circular Green".
bool parseGaugeName(const std::string& text, std::string& canonical, std::string& error);
// Accepts full|arc|grid, full-circle|forward-arc and 2|3|4.
bool parseView(const std::string& text, View& view, std::string& error);

struct PixelSize {
    int width = 0;
    int height = 0;
};
// "WxH" with 16 <= W, H <= 4096.
bool parseSize(const std::string& text, PixelSize& size, std::string& error);

struct Point2 {
    double x = 0;
    double y = 0;
};
// "X,Y" of two numbers.
bool parsePoint(const std::string& text, Point2& point, std::string& error);

// "circular-green": a name as a file-name stem (letters and digits, '-' for the rest).
std::string fileStem(const std::string& gaugeName);

}  // namespace preview
