#include "widgets/SymbolGridLayout.h"

#include <algorithm>

namespace harkwell {

FittedGridSize FitGridSize(int rows, int columns)
{
    if (rows > kMaxGridRows || columns > kMaxGridColumns) return {{kMaxGridRows, kMaxGridColumns}, true};
    if (rows < 1 || columns < 1) return {{0, 0}, true};
    return {{rows, columns}, false};
}

std::optional<int> SymbolIdAt(std::span<const int> ids, int row, int column)
{
    if (row < 0 || column < 0 || column >= kSymbolIdsPerRow) return std::nullopt;
    const auto index = static_cast<std::size_t>(row) * kSymbolIdsPerRow + static_cast<std::size_t>(column);
    if (index >= ids.size()) return std::nullopt;
    return ids[index];
}

SymbolGridLayout::SymbolGridLayout(int width, int height, GridSize size)
{
    if (size.rows < 1 || size.columns < 1) return;
    rows_ = size.rows;
    columns_ = size.columns;
    const double cellWidth = static_cast<double>(std::max(width, 0)) / columns_;
    const double rowHeight = static_cast<double>(std::max(height, 0)) / rows_;
    cells_.reserve(static_cast<std::size_t>(rows_ * columns_));
    for (int row = 0; row < rows_; ++row) {
        for (int column = 0; column < columns_; ++column) {
            GridCell cell;
            cell.left = static_cast<int>(column * cellWidth);
            cell.right = static_cast<int>(cell.left + cellWidth);
            cell.top = static_cast<int>(row * rowHeight);
            cell.bottom = static_cast<int>(cell.top + rowHeight);
            cells_.push_back(cell);
        }
    }
}

std::optional<GridPosition> SymbolGridLayout::HitTest(int x, int y) const
{
    for (int row = 0; row < rows_; ++row) {
        for (int column = 0; column < columns_; ++column) {
            const GridCell& cell = Cell(row, column);
            if (cell.left <= x && x <= cell.right && cell.top <= y && y <= cell.bottom) return GridPosition{row, column};
        }
    }
    return std::nullopt;
}

}  // namespace harkwell
