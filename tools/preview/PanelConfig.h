// One window of a simulator panel.cfg, as the simulator lays it out: the
// window's size_mm design space and its gaugeNN lines in the order the
// simulator reads them. Errors and warnings name the file and line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace preview {

struct PanelGauge {
    int line = 0;           // line of the gaugeNN entry
    std::string key;        // "gauge00"
    std::string reference;  // "Quillon!Circular Green" as written
    std::string file;       // "Quillon"; empty when the line names no file
    std::string name;       // "Circular Green"; the whole reference when no '!'
    double x = 0, y = 0;    // top left, in size_mm units
    double width = 0, height = 0;
    bool sizeGiven = true;  // false: width (and height) left out; 100 assumed
};

struct PanelWindow {
    std::string section;  // as written in the file, e.g. "Window03"
    int sizeLine = 0;
    double widthMm = 0, heightMm = 0;
    bool backgroundGiven = false;  // background_color=R,G,B
    uint32_t background = 0;       // 0xffRRGGBB
    std::vector<PanelGauge> gauges;     // gauge00, gauge01, ... up to the first gap
    std::vector<std::string> warnings;  // "FILE:LINE: ..." lines
};

// Reads the section `window` ("Window03", any case; "3" means "Window03")
// of the panel.cfg at `path`. Returns false with a one-line `error`.
bool readPanelWindow(const std::string& path, const std::string& window, PanelWindow& out, std::string& error);

// True when the gauge is one of this module's (its file is Quillon, any case).
bool isQuillonGauge(const PanelGauge& gauge);

}  // namespace preview
