// A small built-in 5 x 7 pixel font for the labels of contact sheets and
// the status line of the preview window. Lower case is drawn as capitals;
// characters without a glyph are drawn as a hollow box.
#pragma once

#include <cstdint>
#include <string>

#include "tools/preview/Image.h"

namespace preview {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;  // glyph plus one column of spacing

// Width and height in pixels of `text` drawn at `scale`.
int textWidth(const std::string& text, int scale);
inline int textHeight(int scale) { return kGlyphHeight * scale; }

// Draws `text` with its top left at (x, y); pixels outside are clipped.
void drawText(Image& image, int x, int y, const std::string& text, uint32_t argb, int scale);

}  // namespace preview
