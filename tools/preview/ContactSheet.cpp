#include "tools/preview/ContactSheet.h"

#include <algorithm>

#include "tools/preview/BitmapFont.h"

namespace preview {
namespace {

constexpr uint32_t kSheetBackground = 0xff1c1c1cu;
constexpr uint32_t kTitleColour = 0xffe8e8e8u;
constexpr uint32_t kLabelColour = 0xffb8b8b8u;
constexpr uint32_t kCellFrame = 0xff3a3a3au;
constexpr int kMargin = 12;
constexpr int kGap = 10;

// Text scale that keeps labels readable without dwarfing small cells.
int labelScale(const SheetLayout& layout) { return layout.cellWidth >= 300 ? 2 : 1; }

int rowLabelWidth(const SheetLayout& layout) {
    int widest = 0;
    for (const std::string& label : layout.rowLabels) widest = std::max(widest, textWidth(label, labelScale(layout)));
    return widest;
}

}  // namespace

SheetGeometry sheetGeometry(const SheetLayout& layout) {
    const int scale = labelScale(layout);
    const int titleHeight = textHeight(2) + kGap;
    const int headingHeight = textHeight(scale) + 6;
    SheetGeometry g;
    const int columns = static_cast<int>(layout.columnLabels.size());
    const int rows = static_cast<int>(layout.rowLabels.size());
    g.pitchX = layout.cellWidth + kGap;
    g.pitchY = layout.cellHeight + kGap;
    g.cellsLeft = kMargin + rowLabelWidth(layout) + kGap;
    g.cellsTop = kMargin + titleHeight + headingHeight;
    const int cellsWidth = std::max(0, columns * g.pitchX - kGap);
    const int cellsHeight = std::max(0, rows * g.pitchY - kGap);
    g.width = std::max(g.cellsLeft + cellsWidth + kMargin, kMargin * 2 + textWidth(layout.title, 2));
    g.height = g.cellsTop + cellsHeight + kMargin;
    return g;
}

Image composeSheet(const SheetLayout& layout, const std::vector<std::vector<Image>>& cells) {
    const SheetGeometry g = sheetGeometry(layout);
    const int scale = labelScale(layout);
    Image sheet(g.width, g.height, kSheetBackground);
    drawText(sheet, kMargin, kMargin, layout.title, kTitleColour, 2);

    for (size_t c = 0; c < layout.columnLabels.size(); ++c) {
        const std::string& label = layout.columnLabels[c];
        const int x = g.cellX(static_cast<int>(c)) + (layout.cellWidth - textWidth(label, scale)) / 2;
        drawText(sheet, x, g.cellsTop - textHeight(scale) - 6, label, kLabelColour, scale);
    }
    for (size_t r = 0; r < layout.rowLabels.size(); ++r) {
        const int y = g.cellY(static_cast<int>(r)) + (layout.cellHeight - textHeight(scale)) / 2;
        drawText(sheet, kMargin, y, layout.rowLabels[r], kLabelColour, scale);
        for (size_t c = 0; c < layout.columnLabels.size(); ++c) {
            const int x = g.cellX(static_cast<int>(c)), top = g.cellY(static_cast<int>(r));
            // A one-pixel frame so that dark gauges stand apart from the sheet.
            sheet.fillRect(x - 1, top - 1, layout.cellWidth + 2, layout.cellHeight + 2, kCellFrame);
            sheet.fillRect(x, top, layout.cellWidth, layout.cellHeight, kSheetBackground);
            if (r < cells.size() && c < cells[r].size()) sheet.blit(cells[r][c], x, top);
        }
    }
    return sheet;
}

}  // namespace preview
