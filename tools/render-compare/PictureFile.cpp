#include "tools/render-compare/PictureFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// The few flat functions needed to decode a file; one libgdiplus serves
// both pictures, so decoding cannot differ between them.
extern "C" {
namespace picturegdip {

using GpStatus = int32_t;
struct GpBitmap;
struct GpImage;
struct StartupInput {
    uint32_t version;
    void* debugCallback;
    int32_t suppressBackgroundThread;
    int32_t suppressExternalCodecs;
};
struct Rect {
    int32_t x, y, width, height;
};
struct BitmapData {
    uint32_t width;
    uint32_t height;
    int32_t stride;
    int32_t format;
    void* scan0;
    uintptr_t reserved;
};

GpStatus GdiplusStartup(uintptr_t* token, const StartupInput* input, void* output);
GpStatus GdipCreateBitmapFromFile(const char16_t* fileName, GpBitmap** bitmap);
GpStatus GdipGetImageWidth(GpImage* image, uint32_t* width);
GpStatus GdipGetImageHeight(GpImage* image, uint32_t* height);
GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const Rect* rect, uint32_t flags, int32_t format, BitmapData* data);
GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* data);
GpStatus GdipDisposeImage(GpImage* image);
GpStatus GdipCreateBitmapFromScan0(int32_t width, int32_t height, int32_t stride, int32_t format, uint8_t* scan0,
                                   GpBitmap** bitmap);
struct Clsid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
GpStatus GdipSaveImageToFile(GpImage* image, const char16_t* fileName, const Clsid* encoder, const void* parameters);

}  // namespace picturegdip
}

namespace quillon::compare {

namespace {

constexpr int32_t kPixelFormat32bppArgb = 0x0026200A;
constexpr uint32_t kLockRead = 1;
constexpr picturegdip::Clsid kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

bool startGdiPlus() {
    static const bool started = [] {
        uintptr_t token = 0;
        const picturegdip::StartupInput input{1, nullptr, 0, 0};
        return picturegdip::GdiplusStartup(&token, &input, nullptr) == 0;
    }();
    return started;
}

// File names are ASCII in this project; wider characters are not needed.
std::u16string widen(const std::string& text) {
    std::u16string wide;
    for (unsigned char c : text) wide.push_back(static_cast<char16_t>(c));
    return wide;
}

}  // namespace

bool loadPicture(const std::string& path, Picture& picture) {
    using namespace picturegdip;
    if (!startGdiPlus()) return false;
    GpBitmap* bitmap = nullptr;
    const std::u16string name = widen(path);
    if (GdipCreateBitmapFromFile(name.c_str(), &bitmap) != 0 || bitmap == nullptr) return false;
    auto* image = reinterpret_cast<GpImage*>(bitmap);
    uint32_t width = 0;
    uint32_t height = 0;
    GdipGetImageWidth(image, &width);
    GdipGetImageHeight(image, &height);
    const Rect all{0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
    // libgdiplus writes fields of its own after the documented ones of the
    // record it is given; room is left for them.
    struct {
        BitmapData record;
        uint8_t extension[256];
    } locked{};
    BitmapData& data = locked.record;
    bool ok = width > 0 && height > 0 &&
              GdipBitmapLockBits(bitmap, &all, kLockRead, kPixelFormat32bppArgb, &data) == 0;
    if (ok) {
        Picture loaded;
        loaded.width = static_cast<int>(width);
        loaded.height = static_cast<int>(height);
        loaded.pixels.resize(static_cast<size_t>(width) * height);
        for (uint32_t y = 0; y < height; ++y) {
            const auto* row = static_cast<const uint8_t*>(data.scan0) + static_cast<ptrdiff_t>(y) * data.stride;
            std::memcpy(&loaded.pixels[static_cast<size_t>(y) * width], row, width * sizeof(uint32_t));
        }
        GdipBitmapUnlockBits(bitmap, &data);
        picture = std::move(loaded);
    }
    GdipDisposeImage(image);
    return ok;
}

bool savePicture(const std::string& path, const Picture& picture) {
    using namespace picturegdip;
    if (!startGdiPlus() || picture.width <= 0 || picture.height <= 0) return false;
    std::vector<uint32_t> copy = picture.pixels;
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(picture.width, picture.height, picture.width * 4, kPixelFormat32bppArgb,
                                  reinterpret_cast<uint8_t*>(copy.data()), &bitmap) != 0)
        return false;
    const std::u16string name = widen(path);
    const bool ok = GdipSaveImageToFile(reinterpret_cast<GpImage*>(bitmap), name.c_str(), &kPngEncoder, nullptr) == 0;
    GdipDisposeImage(reinterpret_cast<GpImage*>(bitmap));
    return ok;
}

}  // namespace quillon::compare
