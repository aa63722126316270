// The stand-in's GDI functions for the module (sim/Gdi32Layer.cpp): the host
// tells the layer where each surface's pixels live, so that a blit onto the
// surface is a copy of memory, as GDI's onto a DIB section is.
#pragma once

#include <cstdint>

namespace sim::gdi_layer {

// The surface's 32-bit pixels behind its device context, row after row from
// `pixels`, its top row; a negative stride for rows stored bottom-up.
void registerSurface(void* deviceContext, uint8_t* pixels, int32_t stride, int32_t width, int32_t height);
void forgetSurface(void* deviceContext);

}  // namespace sim::gdi_layer
