// Windows only: the pixel format of the DIB sections that makeSurface
// creates from now on. 32 bits by default; 16 (5-5-5) as FS2004 may give.
#pragma once

namespace sim {

// Throws std::invalid_argument for anything but 16 or 32.
void setDibSectionBitsPerPixel(int bitsPerPixel);
int dibSectionBitsPerPixel();

}  // namespace sim
