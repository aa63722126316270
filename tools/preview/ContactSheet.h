// A labelled grid of gauge pictures: one row per view, one column per
// gauge, with a title line, column headings and row headings.
#pragma once

#include <string>
#include <vector>

#include "tools/preview/Image.h"

namespace preview {

struct SheetLayout {
    std::string title;
    std::vector<std::string> columnLabels;
    std::vector<std::string> rowLabels;
    int cellWidth = 0;
    int cellHeight = 0;
};

// Places of the pieces, so that tests and callers can find a cell.
struct SheetGeometry {
    int width = 0;
    int height = 0;
    int cellsLeft = 0;  // x of column 0
    int cellsTop = 0;   // y of row 0
    int pitchX = 0;     // from one column to the next
    int pitchY = 0;
    int cellX(int column) const { return cellsLeft + column * pitchX; }
    int cellY(int row) const { return cellsTop + row * pitchY; }
};

SheetGeometry sheetGeometry(const SheetLayout& layout);

// cells[row][column], each cellWidth x cellHeight; missing cells stay blank.
Image composeSheet(const SheetLayout& layout, const std::vector<std::vector<Image>>& cells);

}  // namespace preview
