#include "tools/preview/Arguments.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace preview {
namespace {

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

bool endsWithNoCase(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        const unsigned char a = static_cast<unsigned char>(text[text.size() - tail.size() + i]);
        if (std::tolower(a) != std::tolower(static_cast<unsigned char>(tail[i]))) return false;
    }
    return true;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

bool ensureParentFolder(const std::string& path, std::string& error) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (ec) {
        error = "cannot create folder " + parent.string() + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace

bool parseBoundedNumber(const std::string& text, double low, double high, double& value, std::string& error) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double number = std::strtod(begin, &end);
    const std::string bounds = "from " + numberText(low) + " to " + numberText(high);
    if (text.empty() || end == begin || *end != '\0' || errno == ERANGE || !std::isfinite(number)) {
        error = "'" + text + "' is not a number " + bounds;
        return false;
    }
    if (number < low || number > high) {
        error = "'" + text + "' is out of range: give a number " + bounds;
        return false;
    }
    value = number;
    return true;
}

bool checkOutputPath(const std::string& path, const std::string& extension, std::string& error) {
    if (path.empty()) {
        error = "the output file name is empty";
        return false;
    }
    if (path == "-") {
        error = "cannot write the picture to standard output: give a file name ending in " + extension;
        return false;
    }
    std::error_code ec;
    if (path.back() == '/' || std::filesystem::is_directory(path, ec)) {
        error = "'" + path + "' is a folder: give a file name ending in " + extension;
        return false;
    }
    if (!endsWithNoCase(path, extension)) {
        error = "'" + path + "' does not end in " + extension + ": this command writes " + extension.substr(1) +
                " only";
        return false;
    }
    return true;
}

bool writeWhole(const std::string& path, const std::function<bool(const std::string&, std::string&)>& write,
                std::string& error) {
    if (!ensureParentFolder(path, error)) return false;
    const std::filesystem::path target(path);
    const std::string temporary =
        (target.parent_path() / ("." + target.filename().string() + ".partial-" + std::to_string(getpid()))).string();
    std::error_code ec;
    if (!write(temporary, error)) {
        std::filesystem::remove(temporary, ec);
        replaceAll(error, temporary, path);  // the user knows the file by its own name
        return false;
    }
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        error = "cannot write " + path + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace preview
