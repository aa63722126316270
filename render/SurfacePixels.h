// The pixels behind a host's device context, where the host draws into a
// 32-bit DIB section: a frame composed there directly needs no picture of its
// own and no blit (and on a large panel a picture less to keep in the cache).
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

namespace render {

struct SurfacePixels {
    void* section = nullptr;       // the bitmap the device context holds
    uint8_t* sectionBits = nullptr;  // as GDI reports them, to know the section again
    int32_t sectionWidth = 0;
    int32_t sectionHeight = 0;
    int32_t sectionRowBytes = 0;
    int32_t reportedHeight = 0;  // as GDI's header says: its sign tells the rows' order
    uint8_t* topRow = nullptr;  // the row a blit to y = 0 lands in
    int32_t rowBytes = 0;       // from one row to the one below: negative when stored bottom-up

    bool sameSection(const SurfacePixels& other) const {
        return section == other.section && sectionBits == other.sectionBits && sectionWidth == other.sectionWidth &&
               sectionHeight == other.sectionHeight && sectionRowBytes == other.sectionRowBytes &&
               reportedHeight == other.reportedHeight;
    }
};

// Whether the host's GDI can tell what the device context holds.
bool surfacePixelsAvailable();
// The 32-bit DIB section the device context holds, when it covers
// width x height; its rows' order is not known yet.
bool sectionBehind(host::DeviceContext deviceContext, int32_t width, int32_t height, SurfacePixels& pixels);
// Which stored row a blit to the device context's top row lands in, found by
// blitting one pixel there: its origin may not be the section's, and GDI's
// own report of the order is not relied on. False when the pixel lands in
// neither the first nor the last stored row. The section's pixels are left
// as they were.
bool findRowOrder(host::DeviceContext deviceContext, SurfacePixels& pixels);

}  // namespace render
