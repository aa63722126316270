// A plain 32-bit picture in memory (0xAARRGGBB per pixel, rows top down),
// with PNG reading and writing. The preview tool composes contact sheets,
// animations and window frames from these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace preview {

class Image {
public:
    Image() = default;
    Image(int width, int height, uint32_t fill = 0xff000000u);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }

    uint32_t pixel(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    void setPixel(int x, int y, uint32_t argb) { pixels_[static_cast<size_t>(y) * width_ + x] = argb; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    uint32_t* row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
    const uint32_t* row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }
    const std::vector<uint32_t>& pixels() const { return pixels_; }

    void fillRect(int x, int y, int w, int h, uint32_t argb);
    // Copies `source` with its top left at (x, y), clipped to this picture.
    void blit(const Image& source, int x, int y);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

// `source` scaled to width x height by area averaging: each pixel is the
// mean of the source pixels it covers, partly covered ones weighted by the
// part (a box filter, true to thin lines and small text when shrinking).
Image resampled(const Image& source, int width, int height);

// Writes an opaque RGB PNG. Returns false and fills `error` on failure.
bool writePng(const Image& image, const std::string& path, std::string& error);
// Reads any PNG into 0xAARRGGBB pixels. Returns false and fills `error`.
bool readPng(const std::string& path, Image& image, std::string& error);

// Channel distance used to tell ink from background.
int colourDistance(uint32_t a, uint32_t b);

}  // namespace preview
