#include "tools/preview/GaugeNames.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace preview {
namespace {

// Lower-case letters and digits only: "Circular-Green" -> "circulargreen".
std::string squeeze(const std::string& text) {
    std::string out;
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (std::isalnum(u)) out += static_cast<char>(std::tolower(u));
    }
    return out;
}

std::string initials(const char* name) {
    std::string out;
    bool atWordStart = true;
    for (const char* p = name; *p; ++p) {
        if (*p == ' ') {
            atWordStart = true;
        } else if (atWordStart) {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
            atWordStart = false;
        }
    }
    return out;
}

bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    value = std::strtod(begin, &end);
    return errno == 0 && end != begin && *end == '\0' && std::isfinite(value);
}

bool parseDimension(const std::string& text, int& value) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    value = std::atoi(text.c_str());
    return true;
}

}  // namespace

const char* viewTitle(View view) {
    switch (view) {
        case View::FullCircle: return "Full circle";
        case View::ForwardArc: return "Forward arc";
        case View::Grid: return "Grid";
    }
    return "?";
}

const char* viewKeyword(View view) {
    switch (view) {
        case View::FullCircle: return "full";
        case View::ForwardArc: return "arc";
        case View::Grid: return "grid";
    }
    return "?";
}

bool parseGaugeName(const std::string& text, std::string& canonical, std::string& error) {
    // panel.cfg names a gauge as FILE!GAUGE; the file must be this module.
    const size_t bang = text.find('!');
    if (bang != std::string::npos) {
        const std::string file = squeeze(text.substr(0, bang));
        if (file != "quillon" && file != "quillondll") {
            error = "gauge '" + text + "' is not one of Quillon's: its file is '" + text.substr(0, bang) + "'";
            return false;
        }
    }
    const std::string key = squeeze(bang == std::string::npos ? text : text.substr(bang + 1));
    for (const char* name : kGaugeNames) {
        if (key == squeeze(name) || key == initials(name)) {
            canonical = name;
            return true;
        }
    }
    error = "unknown gauge '" + text +
            "': use one of \"Circular Green\", \"Circular Amber\", \"Rectangular Green\", \"Rectangular Amber\" "
            "(or circular-green, cg, ...)";
    return false;
}

bool parseView(const std::string& text, View& view, std::string& error) {
    const std::string key = squeeze(text);
    if (key == "full" || key == "fullcircle" || key == "circle" || key == "2") {
        view = View::FullCircle;
    } else if (key == "arc" || key == "forwardarc" || key == "forward" || key == "3") {
        view = View::ForwardArc;
    } else if (key == "grid" || key == "4") {
        view = View::Grid;
    } else {
        error = "unknown view '" + text + "': use full, arc or grid (or 2, 3, 4)";
        return false;
    }
    return true;
}

bool parseSize(const std::string& text, PixelSize& size, std::string& error) {
    const size_t x = text.find_first_of("xX");
    int w = 0, h = 0;
    if (x == std::string::npos || !parseDimension(text.substr(0, x), w) || !parseDimension(text.substr(x + 1), h)) {
        error = "bad size '" + text + "': expected WIDTHxHEIGHT in pixels, e.g. 400x400";
        return false;
    }
    if (w < 16 || h < 16 || w > 4096 || h > 4096) {
        error = "size '" + text + "' out of bounds: each side must be 16 to 4096 pixels";
        return false;
    }
    size = {w, h};
    return true;
}

bool parsePoint(const std::string& text, Point2& point, std::string& error) {
    const size_t comma = text.find(',');
    double x = 0, y = 0;
    if (comma == std::string::npos || !parseNumber(text.substr(0, comma), x) ||
        !parseNumber(text.substr(comma + 1), y)) {
        error = "bad point '" + text + "': expected X,Y, e.g. 500,262";
        return false;
    }
    point = {x, y};
    return true;
}

std::string fileStem(const std::string& gaugeName) {
    std::string out;
    for (char c : gaugeName) {
        const unsigned char u = static_cast<unsigned char>(c);
        out += std::isalnum(u) ? static_cast<char>(std::tolower(u)) : '-';
    }
    return out;
}

}  // namespace preview
