#include "tools/preview/GifWriter.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace preview {
namespace {

constexpr uint32_t kRgbMask = 0x00ffffffu;

int squaredDistance(uint32_t a, uint32_t b) {
    int sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff);
        sum += d * d;
    }
    return sum;
}

struct ChangedRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Smallest rectangle holding every pixel that differs between the frames;
// a single pixel when nothing changed (GIF frames cannot be empty).
ChangedRect changedRect(const Image& previous, const Image& current) {
    int x0 = current.width(), y0 = current.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < current.height(); ++y) {
        const uint32_t* a = previous.row(y);
        const uint32_t* b = current.row(y);
        for (int x = 0; x < current.width(); ++x) {
            if (((a[x] ^ b[x]) & kRgbMask) == 0) continue;
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
        }
    }
    if (x1 < 0) return {0, 0, 1, 1};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

class GifFile {
public:
    // giflib's own open makes the file private (0600); a picture is for sharing.
    explicit GifFile(const std::string& path) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0) {
            openError_ = E_GIF_ERR_OPEN_FAILED;
            return;
        }
        gif_ = EGifOpenFileHandle(fd, &openError_);
        if (!gif_) ::close(fd);
    }
    ~GifFile() { close(); }
    GifFile(const GifFile&) = delete;
    GifFile& operator=(const GifFile&) = delete;

    GifFileType* get() const { return gif_; }
    int openError() const { return openError_; }
    int lastError() const { return gif_ ? gif_->Error : openError_; }
    // Returns the giflib error code of closing, 0 when it went well.
    int close() {
        int error = 0;
        if (gif_ && EGifCloseFile(gif_, &error) == GIF_OK) error = 0;
        gif_ = nullptr;
        return error;
    }

private:
    GifFileType* gif_ = nullptr;
    int openError_ = 0;
};

std::string gifError(const std::string& path, int code) {
    const char* text = GifErrorString(code);
    return "writing " + path + ": " + (text ? text : "giflib error");
}

bool putLoopForever(GifFileType* gif) {
    static const char kApplication[] = "NETSCAPE2.0";
    static const unsigned char kLoop[] = {1, 0, 0};  // sub-block 1, loop count 0 = forever
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, 11, kApplication) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof kLoop, kLoop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool putDelay(GifFileType* gif, int delay, int transparentIndex) {
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSE_DO_NOT;
    gcb.UserInputFlag = false;
    gcb.DelayTime = delay;
    gcb.TransparentColor = transparentIndex;
    GifByteType bytes[4];
    const size_t length = EGifGCBToExtension(&gcb, bytes);
    return EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), bytes) == GIF_OK;
}

// Adds, one at a time, the colour of `colours` farthest from every palette
// entry, until the palette is full or every colour is in it.
void addFarthestColours(const std::vector<uint32_t>& colours, size_t maxColours, std::vector<uint32_t>& palette) {
    if (palette.size() >= maxColours || colours.empty()) return;
    std::vector<int> nearest(colours.size(), INT32_MAX);
    for (size_t i = 0; i < colours.size(); ++i) {
        for (uint32_t entry : palette) nearest[i] = std::min(nearest[i], squaredDistance(colours[i], entry));
    }
    while (palette.size() < maxColours) {
        const size_t farthest = static_cast<size_t>(std::max_element(nearest.begin(), nearest.end()) - nearest.begin());
        if (nearest[farthest] == 0) return;
        const uint32_t added = colours[farthest];
        palette.push_back(added);
        for (size_t i = 0; i < colours.size(); ++i) nearest[i] = std::min(nearest[i], squaredDistance(colours[i], added));
    }
}

}  // namespace

void countColours(const Image& frame, ColourCounts& counts) {
    for (uint32_t p : frame.pixels()) ++counts[p & kRgbMask];
}

std::vector<uint32_t> mostUsedColours(const ColourCounts& counts, size_t count) {
    std::vector<std::pair<uint32_t, uint64_t>> byCount(counts.begin(), counts.end());
    // Most used first; ties by colour so that the palette is reproducible.
    std::sort(byCount.begin(), byCount.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    std::vector<uint32_t> out;
    for (size_t i = 0; i < byCount.size() && i < count; ++i) out.push_back(byCount[i].first);
    return out;
}

Palette buildPalette(const std::vector<Image>& frames, size_t maxColours, const std::vector<uint32_t>& keep) {
    ColourCounts counts;
    for (const Image& frame : frames) countColours(frame, counts);
    Palette palette;
    palette.exact = counts.size() <= maxColours;
    for (uint32_t colour : keep) {
        const uint32_t rgb = colour & kRgbMask;
        if (palette.exact || palette.colours.size() >= maxColours || counts.count(rgb) == 0) continue;
        if (std::find(palette.colours.begin(), palette.colours.end(), rgb) == palette.colours.end()) {
            palette.colours.push_back(rgb);
        }
    }
    // The last eighth goes to the colours farthest from the palette, so that
    // no rare shade (a thin bright line's blends) lands far from its own.
    const size_t byFrequency = palette.exact ? maxColours : maxColours - maxColours / 8;
    const std::vector<uint32_t> used = mostUsedColours(counts, counts.size());
    for (uint32_t rgb : used) {
        if (palette.colours.size() >= byFrequency) break;
        if (std::find(palette.colours.begin(), palette.colours.end(), rgb) == palette.colours.end()) {
            palette.colours.push_back(rgb);
        }
    }
    addFarthestColours(used, maxColours, palette.colours);
    if (palette.colours.empty()) palette.colours.push_back(0);
    return palette;
}

uint8_t nearestIndex(const Palette& palette, uint32_t argb) {
    const uint32_t rgb = argb & kRgbMask;
    size_t best = 0;
    int bestDistance = INT32_MAX;
    for (size_t i = 0; i < palette.colours.size(); ++i) {
        const int d = squaredDistance(palette.colours[i], rgb);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) break;
        }
    }
    return static_cast<uint8_t>(best);
}

std::vector<int> frameDelays(int count, double fps) {
    std::vector<int> delays;
    if (count <= 0 || !(fps > 0)) return delays;
    for (int i = 0; i < count; ++i) {
        const long start = std::lround(i * 100.0 / fps);
        const long end = std::lround((i + 1) * 100.0 / fps);
        delays.push_back(static_cast<int>(std::max(1L, end - start)));
    }
    return delays;
}

bool writeAnimatedGif(const std::vector<Image>& frames, double fps, const std::string& path, std::string& error,
                      const std::vector<uint32_t>& keep) {
    if (frames.empty()) {
        error = "no frames to write";
        return false;
    }
    const int width = frames.front().width(), height = frames.front().height();
    for (const Image& f : frames) {
        if (f.width() != width || f.height() != height) {
            error = "frames differ in size";
            return false;
        }
    }
    // One entry stays free for "unchanged since the last frame".
    const Palette palette = buildPalette(frames, 255, keep);
    const int transparentIndex = static_cast<int>(palette.colours.size());
    // Colour map sizes are powers of two; unused entries stay black.
    int bits = 1;
    while ((1 << bits) < transparentIndex + 1) ++bits;
    ColorMapObject* map = GifMakeMapObject(1 << bits, nullptr);
    if (!map) {
        error = "out of memory";
        return false;
    }
    for (size_t i = 0; i < palette.colours.size(); ++i) {
        map->Colors[i].Red = static_cast<GifByteType>(palette.colours[i] >> 16);
        map->Colors[i].Green = static_cast<GifByteType>(palette.colours[i] >> 8);
        map->Colors[i].Blue = static_cast<GifByteType>(palette.colours[i]);
    }

    GifFile file(path);
    if (!file.get()) {
        GifFreeMapObject(map);
        error = gifError(path, file.openError());
        return false;
    }
    GifFileType* gif = file.get();
    EGifSetGifVersion(gif, true);
    const bool headerWritten = EGifPutScreenDesc(gif, width, height, bits, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    if (!headerWritten || !putLoopForever(gif)) {
        error = gifError(path, file.lastError());
        return false;
    }

    std::unordered_map<uint32_t, uint8_t> indexCache;
    auto indexOf = [&](uint32_t argb) {
        const uint32_t rgb = argb & kRgbMask;
        auto it = indexCache.find(rgb);
        if (it != indexCache.end()) return it->second;
        const uint8_t index = nearestIndex(palette, rgb);
        indexCache.emplace(rgb, index);
        return index;
    };

    const std::vector<int> delays = frameDelays(static_cast<int>(frames.size()), fps);
    std::vector<GifPixelType> line(width);
    for (size_t n = 0; n < frames.size(); ++n) {
        const Image& frame = frames[n];
        const ChangedRect rect = n == 0 ? ChangedRect{0, 0, width, height} : changedRect(frames[n - 1], frame);
        if (!putDelay(gif, delays[n], n == 0 ? NO_TRANSPARENT_COLOR : transparentIndex) ||
            EGifPutImageDesc(gif, rect.x, rect.y, rect.width, rect.height, false, nullptr) != GIF_OK) {
            error = gifError(path, file.lastError());
            return false;
        }
        for (int y = rect.y; y < rect.y + rect.height; ++y) {
            const uint32_t* src = frame.row(y) + rect.x;
            const uint32_t* before = n == 0 ? nullptr : frames[n - 1].row(y) + rect.x;
            for (int x = 0; x < rect.width; ++x) {
                const bool unchanged = before && ((before[x] ^ src[x]) & kRgbMask) == 0;
                line[x] = unchanged ? static_cast<GifPixelType>(transparentIndex) : indexOf(src[x]);
            }
            if (EGifPutLine(gif, line.data(), rect.width) != GIF_OK) {
                error = gifError(path, file.lastError());
                return false;
            }
        }
    }
    const int closeError = file.close();
    if (closeError != 0) {
        error = gifError(path, closeError);
        return false;
    }
    return true;
}

}  // namespace preview
