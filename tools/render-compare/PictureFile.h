// Reads a picture file (PNG) through the platform's GDI+ into a Picture.
#pragma once

#include <string>

#include "tools/render-compare/RenderComparison.h"

namespace quillon::compare {

// False (and `picture` untouched) when the file cannot be read.
bool loadPicture(const std::string& path, Picture& picture);

}  // namespace quillon::compare
