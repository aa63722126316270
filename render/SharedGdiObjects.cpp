#include "render/SharedGdiObjects.h"

#include "render/ColourScheme.h"
#include "render/RetryPacing.h"

#include <functional>

#include <new>

namespace render {
namespace {

// Each shared object lives in static storage, constructed in place on first
// use and destroyed explicitly: no allocation can fail here, and no static
// destructor ever calls GDI+ at process exit. An object GDI+ did not give is
// asked for again at later uses, less often each time.
template <typename T>
class SharedSlot {
public:
    template <typename... Args>
    T& get(Args... args) {
        // One made and since let go (a path that could not be emptied) is
        // made again at once; one GDI+ did not give waits its turn.
        if (live_ && !object().valid() && (!retry_.waiting() || retry_.due())) release();
        if (!live_) {
            ::new (static_cast<void*>(storage_)) T(args...);
            live_ = true;
            if (object().valid())
                retry_.succeeded();
            else
                retry_.failed();
        }
        return object();
    }
    void release() {
        if (!live_) return;
        std::launder(reinterpret_cast<T*>(storage_))->~T();
        live_ = false;
    }
    bool live() const { return live_; }

private:
    T& object() { return *std::launder(reinterpret_cast<T*>(storage_)); }

    alignas(T) unsigned char storage_[sizeof(T)];
    bool live_ = false;
    RetryPacing retry_;
};

// FontFamily's generic constructor is private; the slot builds it through this.
struct GenericFamilySlot {
    FontFamily& get() {
        if (tried_ && !found() && retry_.due()) release();
        if (!tried_) {
            tried_ = true;
            family_ = FontFamily::genericSansSerif();
            if (found())
                retry_.succeeded();
            else
                retry_.failed();
        }
        if (family_ == nullptr) return fallback_.get(u"");  // GDI+ out of memory: an empty family
        return *family_;
    }
    void release() {
        delete family_;
        family_ = nullptr;
        fallback_.release();
        tried_ = false;
    }
    bool live() const { return family_ != nullptr || fallback_.live(); }
    bool found() const { return family_ != nullptr && family_->valid(); }

    FontFamily* family_ = nullptr;
    SharedSlot<FontFamily> fallback_;
    bool tried_ = false;
    RetryPacing retry_;
};

SharedSlot<StringFormat> formats[static_cast<int>(SharedFormat::Count)];
SharedSlot<SolidBrush> brushes[static_cast<int>(SharedBrush::Count)];
SharedSlot<Pen> pens[static_cast<int>(SharedBrush::Count)];
SharedSlot<Matrix> matrices[static_cast<int>(SharedMatrix::Count)];
SharedSlot<StrokePath> paths[static_cast<int>(SharedPath::Count)];
GenericFamilySlot genericFamily;

}  // namespace

StringFormat& sharedStringFormat(SharedFormat slot) {
    return formats[static_cast<int>(slot)].get(0, static_cast<uint16_t>(0));
}

Matrix& sharedMatrix(SharedMatrix slot) { return matrices[static_cast<int>(slot)].get(); }

StrokePath& sharedPath(SharedPath slot) { return paths[static_cast<int>(slot)].get(); }

Brush& sharedBrush(SharedBrush slot) {
    constexpr uint32_t kColours[static_cast<int>(SharedBrush::Count)] = {kTrafficAdvisoryColour};
    return brushes[static_cast<int>(slot)].get(kColours[static_cast<int>(slot)]);
}

Pen& sharedPen(SharedBrush slot) {
    return pens[static_cast<int>(slot)].get(std::cref(sharedBrush(slot)), kSchemePenWidth, gdip::kUnitWorld);
}

FontFamily& genericSansSerifFamily() { return genericFamily.get(); }

void releaseSharedGdiObjects() {
    for (auto& format : formats) format.release();
    for (auto& matrix : matrices) matrix.release();
    for (auto& path : paths) path.release();
    for (auto& pen : pens) pen.release();  // before the brushes they were made from
    for (auto& brush : brushes) brush.release();
    genericFamily.release();
}

int liveSharedGdiObjects() {
    int live = genericFamily.live() ? 1 : 0;
    for (const auto& format : formats) live += format.live() ? 1 : 0;
    for (const auto& matrix : matrices) live += matrix.live() ? 1 : 0;
    for (const auto& path : paths) live += path.live() ? 1 : 0;
    for (const auto& brush : brushes) live += brush.live() ? 1 : 0;
    for (const auto& pen : pens) live += pen.live() ? 1 : 0;
    return live;
}

}  // namespace render
