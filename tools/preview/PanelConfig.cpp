#include "tools/preview/PanelConfig.h"

#include <ini.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

namespace preview {
namespace {

struct Entry {
    std::string key;
    std::string value;
    int line = 0;
};

// What one pass of the parser over the file collects.
struct Reading {
    FILE* file = nullptr;
    int line = 0;  // line of the text last handed to the parser
    std::string wanted;
    std::string sectionAsWritten;
    std::vector<std::string> sections;
    std::vector<Entry> entries;  // of the wanted section, in file order
    std::vector<int> longLines;
    std::vector<int> cutLines;  // holding a zero byte, which ends the text the parser sees
};

bool sameNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::vector<std::string> fieldsOf(const std::string& value) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t comma = value.find(','); ; comma = value.find(',', start)) {
        fields.push_back(trimmed(value.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return fields;
}

bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && end != text.c_str() && std::isfinite(value);
}

// One physical line per call, so that the parser's line numbers are the
// file's: a line too long for its buffer is cut, not read as two lines.
// Read byte by byte: a zero byte in a line would hide from a length count
// where the line ended, and the line after it would be skipped as its rest.
char* readLine(char* text, int size, void* stream) {
    Reading& r = *static_cast<Reading*>(stream);
    int length = 0;
    int c = EOF;
    while (length < size - 1 && (c = std::fgetc(r.file)) != EOF) {
        text[length++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    if (length == 0) return nullptr;
    text[length] = '\0';
    ++r.line;
    if (std::memchr(text, '\0', static_cast<size_t>(length)) != nullptr) r.cutLines.push_back(r.line);
    if (c != '\n' && c != EOF) {
        r.longLines.push_back(r.line);
        while ((c = std::fgetc(r.file)) != EOF && c != '\n') {
        }
    }
    return text;
}

int onEntry(void* user, const char* section, const char* name, const char* value) {
    Reading& r = *static_cast<Reading*>(user);
    const std::string s = section;
    if (std::none_of(r.sections.begin(), r.sections.end(), [&](const std::string& k) { return sameNoCase(k, s); })) {
        r.sections.push_back(s);
    }
    if (sameNoCase(s, r.wanted)) {
        r.sectionAsWritten = s;
        r.entries.push_back({name, value, r.line});
    }
    return 1;
}

// Panel files comment with "//" as often as with ";", and indent lines at
// will: an indented line is a line of its own, not the continuation of the
// value above it. Panel values never hold " /" or " ;", so both may start a
// comment after a value as well.
void setUpParser() {
    static char startComments[] = ";#/";
    static char inlineComments[] = ";/";
    ini_start_comment_prefixes = startComments;
    ini_inline_comment_prefixes = inlineComments;
    ini_allow_inline_comments = true;
    ini_allow_multiline = false;
}

// "3" -> "Window03"; anything else as given.
std::string windowSection(const std::string& window) {
    if (window.empty() || !std::all_of(window.begin(), window.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        return window;
    }
    char name[32];
    std::snprintf(name, sizeof name, "Window%02d", std::atoi(window.substr(0, 6).c_str()));
    return name;
}

// The number of a "gaugeNN" key, or -1.
int gaugeNumber(const std::string& key) {
    if (key.size() < 6 || key.size() > 10 || !sameNoCase(key.substr(0, 5), "gauge")) return -1;
    for (size_t i = 5; i < key.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(key[i]))) return -1;
    }
    return std::atoi(key.c_str() + 5);
}

class PanelReader {
public:
    PanelReader(const std::string& path, PanelWindow& out) : path_(path), out_(out) {}

    std::string at(int line) const { return path_ + ":" + std::to_string(line) + ": "; }
    void warn(int line, const std::string& text) { out_.warnings.push_back(at(line) + text); }

    // "W,H" of size_mm.
    bool readSize(const Entry& entry, std::string& error) {
        const std::vector<std::string> f = fieldsOf(entry.value);
        if (f.size() < 2 || !parseNumber(f[0], out_.widthMm) || !parseNumber(f[1], out_.heightMm) ||
            out_.widthMm <= 0 || out_.heightMm <= 0) {
            error = at(entry.line) + "size_mm '" + entry.value + "' is not WIDTH,HEIGHT of two positive numbers";
            return false;
        }
        out_.sizeLine = entry.line;
        return true;
    }

    // "R,G,B" of background_color; a malformed one is left out with a warning.
    void readBackground(const Entry& entry) {
        const std::vector<std::string> f = fieldsOf(entry.value);
        double channel[3] = {0, 0, 0};
        for (int c = 0; c < 3; ++c) {
            if (f.size() != 3 || !parseNumber(f[c], channel[c]) || channel[c] < 0 || channel[c] > 255) {
                warn(entry.line, "background_color '" + entry.value + "' is not R,G,B from 0 to 255; ignored");
                return;
            }
        }
        out_.backgroundGiven = true;
        out_.background = 0xff000000u | static_cast<uint32_t>(channel[0]) << 16 |
                          static_cast<uint32_t>(channel[1]) << 8 | static_cast<uint32_t>(channel[2]);
    }

    // "FILE!NAME, X, Y[, W[, H[, PARAMETERS]]]".
    bool readGauge(const Entry& entry, PanelGauge& gauge, std::string& error) {
        const std::vector<std::string> f = fieldsOf(entry.value);
        gauge.line = entry.line;
        gauge.key = entry.key;
        gauge.reference = f[0];
        const size_t bang = f[0].find('!');
        gauge.file = bang == std::string::npos ? "" : trimmed(f[0].substr(0, bang));
        gauge.name = bang == std::string::npos ? f[0] : trimmed(f[0].substr(bang + 1));
        const std::string shape = entry.key + " '" + entry.value + "' is not FILE!GAUGE, X, Y[, WIDTH[, HEIGHT]]";
        if (gauge.name.empty() || f.size() < 3 || !parseNumber(f[1], gauge.x) || !parseNumber(f[2], gauge.y)) {
            error = at(entry.line) + shape;
            return false;
        }
        // A trailing comma leaves an empty field: the same as none.
        const bool widthGiven = f.size() > 3 && !f[3].empty();
        const bool heightGiven = f.size() > 4 && !f[4].empty();
        gauge.sizeGiven = widthGiven;
        gauge.width = 100;  // the design size of Quillon's gauges
        if (widthGiven && !parseNumber(f[3], gauge.width)) {
            error = at(entry.line) + shape;
            return false;
        }
        // Without a height the simulator keeps the gauge's own shape; Quillon's are square.
        gauge.height = gauge.width;
        if (heightGiven && !parseNumber(f[4], gauge.height)) {
            error = at(entry.line) + shape;
            return false;
        }
        if (gauge.width <= 0 || gauge.height <= 0) {
            error = at(entry.line) + entry.key + " has no area: width and height must be above 0";
            return false;
        }
        return true;
    }

    bool read(const Reading& r, std::string& error) {
        for (int line : r.longLines) warn(line, "line too long; the end of it is ignored");
        for (int line : r.cutLines) warn(line, "a zero byte in the line; the rest of it is ignored");
        out_.section = r.sectionAsWritten;
        std::map<std::string, int> firstLine;  // lower-case key -> line used
        std::map<int, const Entry*> gauges;
        const Entry* size = nullptr;
        for (const Entry& e : r.entries) {
            std::string key = e.key;
            std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
            const int number = gaugeNumber(key);
            if (number >= 0) key = "gauge#" + std::to_string(number);  // gauge7 and gauge07 are one gauge
            auto [seen, isNew] = firstLine.emplace(key, e.line);
            if (!isNew) {
                warn(e.line, e.key + " given again; the first, on line " + std::to_string(seen->second) + ", is used");
                continue;
            }
            if (key == "size_mm") size = &e;
            if (key == "background_color") readBackground(e);
            if (number >= 0) gauges[number] = &e;
        }
        if (size == nullptr) {
            error = path_ + ": [" + out_.section + "] has no size_mm line: the preview needs the window's size";
            return false;
        }
        if (!readSize(*size, error)) return false;
        // The simulator reads gauge00, gauge01, ... and stops at the first gap.
        int expected = 0;
        for (const auto& [number, entry] : gauges) {
            if (number != expected) {
                warn(entry->line, entry->key + " follows a gap in the numbering: the simulator stops before it");
                continue;
            }
            ++expected;
            PanelGauge gauge;
            if (!readGauge(*entry, gauge, error)) return false;
            if (gauge.x >= out_.widthMm || gauge.y >= out_.heightMm || gauge.x + gauge.width <= 0 ||
                gauge.y + gauge.height <= 0) {
                warn(entry->line, entry->key + " lies outside the window's size_mm");
            }
            out_.gauges.push_back(gauge);
        }
        return true;
    }

private:
    std::string path_;
    PanelWindow& out_;
};

}  // namespace

bool readPanelWindow(const std::string& path, const std::string& window, PanelWindow& out, std::string& error) {
    out = PanelWindow{};
    struct Closer {
        void operator()(FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<FILE, Closer> file(std::fopen(path.c_str(), "r"));
    if (!file) {
        error = "cannot read the panel file " + path + ": " + std::strerror(errno);
        return false;
    }
    Reading reading;
    reading.file = file.get();
    reading.wanted = windowSection(window);
    setUpParser();
    const int firstBadLine = ini_parse_stream(readLine, &reading, onEntry, &reading);
    PanelReader reader(path, out);
    if (firstBadLine > 0) reader.warn(firstBadLine, "not a [section] or key=value line; ignored");
    if (reading.sectionAsWritten.empty()) {
        std::string known;
        for (const std::string& s : reading.sections) {
            if (s.size() > 6 && sameNoCase(s.substr(0, 6), "window") && !sameNoCase(s, "Window Titles")) known += (known.empty() ? "" : ", ") + s;
        }
        error = path + ": no [" + reading.wanted + "] section with entries" +
                (known.empty() ? "" : " (the windows are: " + known + ")");
        return false;
    }
    return reader.read(reading, error);
}

bool isQuillonGauge(const PanelGauge& gauge) {
    return sameNoCase(gauge.file, "Quillon") || sameNoCase(gauge.file, "Quillon.dll");
}

}  // namespace preview
