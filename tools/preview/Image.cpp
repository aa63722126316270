#include "tools/preview/Image.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace preview {

Image::Image(int width, int height, uint32_t fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * height_, fill) {}

namespace {

// The span [at, at + length) clipped to [0, size), in 64 bits: a panel file
// may place a gauge near the ends of the int range, where the sum overflows.
struct Span {
    int first;
    int end;
};

Span clippedSpan(int at, int length, int size) {
    const int64_t first = std::max<int64_t>(at, 0);
    const int64_t end = std::min<int64_t>(int64_t{at} + length, size);
    return end > first ? Span{static_cast<int>(first), static_cast<int>(end)} : Span{0, 0};
}

}  // namespace

void Image::fillRect(int x, int y, int w, int h, uint32_t argb) {
    const Span across = clippedSpan(x, w, width_), down = clippedSpan(y, h, height_);
    for (int yy = down.first; yy < down.end; ++yy) std::fill(row(yy) + across.first, row(yy) + across.end, argb);
}

void Image::blit(const Image& source, int x, int y) {
    const Span across = clippedSpan(x, source.width(), width_), down = clippedSpan(y, source.height(), height_);
    for (int ty = down.first; ty < down.end; ++ty) {
        for (int tx = across.first; tx < across.end; ++tx)
            setPixel(tx, ty, source.pixel(tx - x, ty - y));
    }
}

namespace {

// The mean colour of the pixels at(i) over the span [from, to) of one axis.
template <class At>
uint32_t spanMean(double from, double to, const At& at) {
    double sum[3] = {0, 0, 0}, total = 0;
    for (int i = static_cast<int>(std::floor(from)); i < to; ++i) {
        const double weight = std::min(to, i + 1.0) - std::max(from, static_cast<double>(i));
        const uint32_t p = at(i);
        for (int c = 0; c < 3; ++c) sum[c] += weight * ((p >> (16 - 8 * c)) & 0xff);
        total += weight;
    }
    uint32_t out = 0xff000000u;
    for (int c = 0; c < 3; ++c) out |= static_cast<uint32_t>(std::lround(sum[c] / total)) << (16 - 8 * c);
    return out;
}

}  // namespace

Image resampled(const Image& source, int width, int height) {
    if (source.empty() || width <= 0 || height <= 0) return Image();
    if (width == source.width() && height == source.height()) return source;
    const double stepX = static_cast<double>(source.width()) / width;
    const double stepY = static_cast<double>(source.height()) / height;
    Image across(width, source.height());
    for (int y = 0; y < source.height(); ++y) {
        const uint32_t* row = source.row(y);
        for (int x = 0; x < width; ++x) {
            across.setPixel(x, y, spanMean(x * stepX, std::min((x + 1) * stepX, 1.0 * source.width()), [&](int i) { return row[i]; }));
        }
    }
    Image result(width, height);
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            result.setPixel(x, y, spanMean(y * stepY, std::min((y + 1) * stepY, 1.0 * source.height()), [&](int i) { return across.pixel(x, i); }));
        }
    }
    return result;
}

int colourDistance(uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)));
    }
    return d;
}

namespace {

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// libpng reports errors through longjmp; the handlers below keep its message.
void pngError(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    if (error) *error = message;
    png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}

}  // namespace

bool writePng(const Image& image, const std::string& path, std::string& error) {
    if (image.empty()) {
        error = "empty picture";
        return false;
    }
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        error = "cannot create " + path;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        error = "out of memory";
        return false;
    }
    std::vector<png_byte> rowBytes(static_cast<size_t>(image.width()) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "writing " + path + ": " + error;
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, image.width(), image.height(), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int y = 0; y < image.height(); ++y) {
        const uint32_t* src = image.row(y);
        for (int x = 0; x < image.width(); ++x) {
            rowBytes[x * 3 + 0] = static_cast<png_byte>(src[x] >> 16);
            rowBytes[x * 3 + 1] = static_cast<png_byte>(src[x] >> 8);
            rowBytes[x * 3 + 2] = static_cast<png_byte>(src[x]);
        }
        png_write_row(png, rowBytes.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool readPng(const std::string& path, Image& image, std::string& error) {
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        error = "out of memory";
        return false;
    }
    // Declared before setjmp so that an error jump leaves them intact.
    std::vector<png_byte> all;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        error = "reading " + path + ": " + error;
        return false;
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    // Normalise every PNG flavour to 8-bit RGBA.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int width = static_cast<int>(png_get_image_width(png, info));
    const int height = static_cast<int>(png_get_image_height(png, info));
    // Interlaced files need every pass over the same rows, so read whole.
    all.resize(static_cast<size_t>(width) * 4 * height);
    rows.resize(height);
    for (int y = 0; y < height; ++y) rows[y] = all.data() + static_cast<size_t>(y) * width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    Image result(width, height);
    for (int y = 0; y < height; ++y) {
        const png_byte* p = rows[y];
        for (int x = 0; x < width; ++x, p += 4) {
            result.setPixel(x, y, (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]);
        }
    }
    image = std::move(result);
    return true;
}

}  // namespace preview
