// Reads and writes picture files (PNG) through the platform's GDI+.
#pragma once

#include <string>

#include "tools/render-compare/RenderComparison.h"

namespace quillon::compare {

// False (and `picture` untouched) when the file cannot be read.
bool loadPicture(const std::string& path, Picture& picture);

// Writes a PNG file; false when it cannot.
bool savePicture(const std::string& path, const Picture& picture);

}  // namespace quillon::compare
