#pragma once

#include <optional>
#include <span>
#include <vector>

namespace harkwell {

// The most a symbol grid holds; a larger request is refused and made this size.
inline constexpr int kMaxGridRows = 10;
inline constexpr int kMaxGridColumns = 16;
// Symbol ids come row by row, this many to a row; a row uses its first columns.
inline constexpr int kSymbolIdsPerRow = 16;

struct GridPosition {
    int row = -1;
    int column = -1;

    bool operator==(const GridPosition&) const = default;
};

// A cell in the picture's pixels. Right and bottom are where the next cell
// starts: fills stop short of them, hit tests include them.
struct GridCell {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct GridSize {
    int rows = 0;
    int columns = 0;
};

// The size a grid takes for a requested one. More than 10 rows or 16 columns
// become 10 x 16; fewer than one row or column leave the grid empty. Both are
// refused requests, which the picture reports.
struct FittedGridSize {
    GridSize size;
    bool refused = false;
};
FittedGridSize FitGridSize(int rows, int columns);

// The symbol id of a cell, or none when the list is too short to hold it.
std::optional<int> SymbolIdAt(std::span<const int> ids, int row, int column);

// Cells of equal share of a width x height picture, cut where the exact
// boundaries truncate to whole pixels.
class SymbolGridLayout {
public:
    SymbolGridLayout() = default;
    SymbolGridLayout(int width, int height, GridSize size);

    int Rows() const { return rows_; }
    int Columns() const { return columns_; }
    bool Contains(int row, int column) const { return row >= 0 && row < rows_ && column >= 0 && column < columns_; }
    // Only for a position the grid contains.
    const GridCell& Cell(int row, int column) const { return cells_[Index(row, column)]; }
    std::size_t Index(int row, int column) const { return static_cast<std::size_t>(row * columns_ + column); }

    // The first cell, in row order, whose edges (inclusive) hold (x, y).
    // A point on a shared edge belongs to the earlier cell.
    std::optional<GridPosition> HitTest(int x, int y) const;

private:
    int rows_ = 0;
    int columns_ = 0;
    std::vector<GridCell> cells_;
};

}  // namespace harkwell
