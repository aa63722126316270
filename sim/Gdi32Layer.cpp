// The GDI functions a gauge module calls to hand its picture to the host,
// for the Linux programs that host the module: memory device contexts, 32-bit
// DIB sections and BitBlt from them onto the host's surfaces. A surface whose
// pixels the host registered gets its rows copied as memory; any other
// device context is a libgdiplus graphics handle (sim/SurfaceGdiPlus.cpp),
// which gets a GDI+ copy onto a graphics made from that handle. Only what a
// module needs for that: top-down 32-bit sections, SRCCOPY, a section's own
// device context as the source, and what a device context holds (a surface
// whose pixels the host registered is a top-down 32-bit DIB section, as a
// host's surface made with CreateDIBSection is). Calls outside it fail as
// GDI's would, with zero or null.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#include <cstring>

#include "sim/Gdi32Layer.h"
#include "sim/GdiPlusHost.h"
#include "sim/GdiPlusSessionLayer.h"

#define GDI_LAYER_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" {
namespace simgdip {
GpStatus GdipCreateFromHDC(void* hdc, GpGraphics** graphics);
GpStatus GdipSetCompositingMode(GpGraphics* graphics, INT mode);
GpStatus GdipSetClipRectI(GpGraphics* graphics, INT x, INT y, INT width, INT height, INT combineMode);
GpStatus GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT dstX, INT dstY, INT dstWidth, INT dstHeight,
                                INT srcX, INT srcY, INT srcWidth, INT srcHeight, INT srcUnit,
                                const void* imageAttributes, void* abortCallback, void* callbackData);
}
}

namespace sim::gdi_layer {
namespace {

using gdiplus_layer::HostGdiPlusCalls;

constexpr simgdip::PixelFormat kPixelFormat32bppPArgb = 0x000E200B;
constexpr simgdip::INT kCompositingModeSourceCopy = 1;
constexpr simgdip::INT kUnitPixel = 2;
constexpr simgdip::INT kCombineModeReplace = 0;
constexpr uint32_t kSourceCopy = 0x00CC0020;

// Each handle starts with its kind, so that a handle of another kind (or the
// host's own device contexts) is told apart.
enum class Kind : uint32_t { MemoryDeviceContext = 0x4d444331, DibSection = 0x44494231 };

struct BitmapInfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
};

struct DibSection {
    Kind kind = Kind::DibSection;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t* pixels = nullptr;
    simgdip::GpBitmap* bitmap = nullptr;  // over the pixels, for the blit
    int selectedInto = 0;                 // device contexts holding it
};

// Stands for the one-pixel bitmap a new memory device context holds.
DibSection stockBitmap;

struct MemoryDeviceContext {
    Kind kind = Kind::MemoryDeviceContext;
    DibSection* selected = &stockBitmap;
};

// Handles this layer made and has not deleted; anything else is not one of them.
constexpr int kMaxHandles = 4096;
void* handles[kMaxHandles];
int handleCount = 0;

bool known(const void* handle) {
    for (int i = 0; i < handleCount; ++i)
        if (handles[i] == handle) return true;
    return false;
}

bool remember(void* handle) {
    if (handleCount == kMaxHandles) return false;
    handles[handleCount++] = handle;
    return true;
}

void forget(const void* handle) {
    for (int i = 0; i < handleCount; ++i)
        if (handles[i] == handle) {
            handles[i] = handles[--handleCount];
            return;
        }
}

struct RegisteredSurface {
    Kind kind = Kind::DibSection;  // for GetObject: a section the host made
    void* deviceContext = nullptr;
    uint8_t* pixels = nullptr;
    int32_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;
};
constexpr int kMaxSurfaces = 1024;
RegisteredSurface surfaces[kMaxSurfaces];
int surfaceCount = 0;

RegisteredSurface* registeredSurface(const void* deviceContext) {
    for (int i = 0; i < surfaceCount; ++i)
        if (surfaces[i].deviceContext == deviceContext) return &surfaces[i];
    return nullptr;
}

// The section's rows onto the surface's, clipped to the surface. Both hold
// 32-bit pixels; the module's pictures are opaque, so the bytes are the colours.
void copyRows(const DibSection& section, int32_t sourceX, int32_t sourceY, const RegisteredSurface& surface, int32_t x,
              int32_t y, int32_t width, int32_t height) {
    // In 64 bits: a corner far outside the surface would wrap past the clip.
    int64_t left = x, top = y, across = width, down = height, fromX = sourceX, fromY = sourceY;
    if (left < 0) {
        fromX -= left;
        across += left;
        left = 0;
    }
    if (top < 0) {
        fromY -= top;
        down += top;
        top = 0;
    }
    across = std::min<int64_t>(across, surface.width - left);
    down = std::min<int64_t>(down, surface.height - top);
    if (across <= 0 || down <= 0) return;
    const int64_t sourceStride = int64_t{section.width} * 4;
    for (int64_t row = 0; row < down; ++row) {
        const uint8_t* from = section.pixels + (fromY + row) * sourceStride + fromX * 4;
        uint8_t* to = surface.pixels + (top + row) * surface.stride + left * 4;
        std::memcpy(to, from, static_cast<size_t>(across) * 4);
    }
}

// GDI's records, as GetObject fills them.
struct BitmapRecord {
    int32_t type;
    int32_t width;
    int32_t height;
    int32_t widthBytes;
    uint16_t planes;
    uint16_t bitsPixel;
    void* bits;
};

struct SectionRecord {
    BitmapRecord bitmap;
    BitmapInfoHeader header;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t coloursUsed;
    uint32_t colourImportant;
    uint32_t bitfields[3];
    void* section;
    uint32_t offset;
};

static_assert(sizeof(void*) != 8 || sizeof(SectionRecord) == 104, "GDI's 64-bit section record is 104 bytes");

RegisteredSurface* surfaceOfBitmap(const void* handle) {
    for (int i = 0; i < surfaceCount; ++i)
        if (&surfaces[i] == handle) return &surfaces[i];
    return nullptr;
}

// A 32-bit section's record, as much of it as `size` holds: `topRow` and a
// negative `rowBytes` for one stored bottom-up, whose bits start at its last row.
int32_t describeSection(int32_t width, int32_t height, int32_t rowBytes, uint8_t* topRow, int32_t size, void* out) {
    const bool bottomUp = rowBytes < 0;
    const int32_t widthBytes = bottomUp ? -rowBytes : rowBytes;
    uint8_t* const bits = bottomUp ? topRow + static_cast<int64_t>(height - 1) * rowBytes : topRow;
    SectionRecord record{};
    record.bitmap = BitmapRecord{0, width, height, widthBytes, 1, 32, bits};
    record.header.size = 40;
    record.header.width = width;
    record.header.height = bottomUp ? height : -height;
    record.header.planes = 1;
    record.header.bitCount = 32;
    record.sizeImage = static_cast<uint32_t>(widthBytes) * static_cast<uint32_t>(height);
    if (out == nullptr) return static_cast<int32_t>(sizeof record);
    if (size >= static_cast<int32_t>(sizeof record)) {
        std::memcpy(out, &record, sizeof record);
        return static_cast<int32_t>(sizeof record);
    }
    if (size >= static_cast<int32_t>(sizeof record.bitmap)) {
        std::memcpy(out, &record.bitmap, sizeof record.bitmap);
        return static_cast<int32_t>(sizeof record.bitmap);
    }
    return 0;
}

template <typename T>
T* handleOf(void* handle, Kind kind) {
    if (handle == nullptr || !known(handle)) return nullptr;
    T* object = static_cast<T*>(handle);
    return object->kind == kind ? object : nullptr;
}

void freeSection(DibSection* section) {
    if (section->bitmap != nullptr) {
        HostGdiPlusCalls hostCalls;
        simgdip::GdipDisposeImage(reinterpret_cast<simgdip::GpImage*>(section->bitmap));
    }
    std::free(section->pixels);
    delete section;
}

}  // namespace

void registerSurface(void* deviceContext, uint8_t* pixels, int32_t stride, int32_t width, int32_t height) {
    RegisteredSurface* surface = registeredSurface(deviceContext);
    if (surface == nullptr) {
        if (surfaceCount == kMaxSurfaces) return;  // blitted through GDI+ instead
        surface = &surfaces[surfaceCount++];
    }
    *surface = RegisteredSurface{Kind::DibSection, deviceContext, pixels, stride, width, height};
}

void forgetSurface(void* deviceContext) {
    RegisteredSurface* surface = registeredSurface(deviceContext);
    if (surface != nullptr) *surface = surfaces[--surfaceCount];
}

}  // namespace sim::gdi_layer

using namespace sim::gdi_layer;

GDI_LAYER_EXPORT void* CreateCompatibleDC(void*) {
    auto* context = new (std::nothrow) MemoryDeviceContext();
    if (context == nullptr || !remember(context)) {
        delete context;
        return nullptr;
    }
    return context;
}

GDI_LAYER_EXPORT int32_t DeleteDC(void* deviceContext) {
    MemoryDeviceContext* context = handleOf<MemoryDeviceContext>(deviceContext, Kind::MemoryDeviceContext);
    if (context == nullptr) return 0;
    --context->selected->selectedInto;
    forget(context);
    delete context;
    return 1;
}

GDI_LAYER_EXPORT void* CreateDIBSection(void*, const void* info, uint32_t usage, void** bits, void* mapping, uint32_t) {
    if (bits != nullptr) *bits = nullptr;
    const auto* header = static_cast<const BitmapInfoHeader*>(info);
    if (header == nullptr || bits == nullptr || mapping != nullptr || usage != 0) return nullptr;
    // Top-down 32-bit rows, as the module asks for; nothing else is served.
    if (header->bitCount != 32 || header->compression != 0 || header->width <= 0 || header->height >= 0 ||
        header->height < -16384 || header->width > 16384)
        return nullptr;
    auto* section = new (std::nothrow) DibSection();
    if (section == nullptr) return nullptr;
    section->width = header->width;
    section->height = -header->height;
    const size_t stride = static_cast<size_t>(section->width) * 4;
    section->pixels = static_cast<uint8_t*>(std::calloc(stride, static_cast<size_t>(section->height)));
    if (section->pixels != nullptr) {
        HostGdiPlusCalls hostCalls;
        simgdip::GdipCreateBitmapFromScan0(section->width, section->height, static_cast<simgdip::INT>(stride),
                                           kPixelFormat32bppPArgb, section->pixels, &section->bitmap);
    }
    if (section->bitmap == nullptr || !remember(section)) {
        freeSection(section);
        return nullptr;
    }
    *bits = section->pixels;
    return section;
}

GDI_LAYER_EXPORT void* SelectObject(void* deviceContext, void* object) {
    MemoryDeviceContext* context = handleOf<MemoryDeviceContext>(deviceContext, Kind::MemoryDeviceContext);
    DibSection* section = object == &stockBitmap ? &stockBitmap : handleOf<DibSection>(object, Kind::DibSection);
    if (context == nullptr || section == nullptr) return nullptr;
    // GDI selects a bitmap into one device context at a time.
    if (section != &stockBitmap && section->selectedInto > 0 && context->selected != section) return nullptr;
    DibSection* previous = context->selected;
    --previous->selectedInto;
    ++section->selectedInto;
    context->selected = section;
    return previous;
}

GDI_LAYER_EXPORT int32_t DeleteObject(void* object) {
    DibSection* section = handleOf<DibSection>(object, Kind::DibSection);
    // GDI refuses to delete a bitmap still selected into a device context.
    if (section == nullptr || section->selectedInto > 0) return 0;
    forget(section);
    freeSection(section);
    return 1;
}

GDI_LAYER_EXPORT int32_t BitBlt(void* destination, int32_t x, int32_t y, int32_t width, int32_t height, void* source,
                                int32_t sourceX, int32_t sourceY, uint32_t operation) {
    MemoryDeviceContext* context = handleOf<MemoryDeviceContext>(source, Kind::MemoryDeviceContext);
    if (context == nullptr || context->selected == &stockBitmap || operation != kSourceCopy || destination == nullptr ||
        known(destination) || width <= 0 || height <= 0 || sourceX < 0 || sourceY < 0 ||
        int64_t{sourceX} + width > context->selected->width || int64_t{sourceY} + height > context->selected->height)
        return 0;
    if (const RegisteredSurface* surface = registeredSurface(destination)) {
        copyRows(*context->selected, sourceX, sourceY, *surface, x, y, width, height);
        return 1;
    }
    HostGdiPlusCalls hostCalls;
    simgdip::GpGraphics* graphics = nullptr;
    if (simgdip::GdipCreateFromHDC(destination, &graphics) != simgdip::kOk || graphics == nullptr) return 0;
    // Clipped to the copy: libgdiplus's copy of part of a surface otherwise
    // takes a general path more than twice as slow.
    simgdip::GdipSetClipRectI(graphics, x, y, width, height, kCombineModeReplace);
    simgdip::GdipSetCompositingMode(graphics, kCompositingModeSourceCopy);
    const simgdip::GpStatus status = simgdip::GdipDrawImageRectRectI(
        graphics, reinterpret_cast<simgdip::GpImage*>(context->selected->bitmap), x, y, width, height, sourceX,
        sourceY, width, height, kUnitPixel, nullptr, nullptr, nullptr);
    simgdip::GdipDeleteGraphics(graphics);
    return status == simgdip::kOk ? 1 : 0;
}

// Nothing is batched here: the blit is done when BitBlt returns.
GDI_LAYER_EXPORT int32_t GdiFlush() { return 1; }

constexpr uint32_t kObjectBitmap = 7;  // OBJ_BITMAP

GDI_LAYER_EXPORT void* GetCurrentObject(void* deviceContext, uint32_t type) {
    if (type != kObjectBitmap || deviceContext == nullptr) return nullptr;
    if (RegisteredSurface* surface = registeredSurface(deviceContext)) return surface;
    MemoryDeviceContext* context = handleOf<MemoryDeviceContext>(deviceContext, Kind::MemoryDeviceContext);
    return context != nullptr ? context->selected : nullptr;
}

GDI_LAYER_EXPORT int32_t GetObjectW(void* object, int32_t size, void* record) {
    if (const RegisteredSurface* surface = surfaceOfBitmap(object))
        return describeSection(surface->width, surface->height, surface->stride, surface->pixels, size, record);
    if (object == &stockBitmap) return 0;  // not a section; nothing a module asks about
    const DibSection* section = handleOf<DibSection>(object, Kind::DibSection);
    if (section == nullptr) return 0;
    return describeSection(section->width, section->height, section->width * 4, section->pixels, size, record);
}
