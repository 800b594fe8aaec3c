#include "widgets/SymbolGridLayout.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace harkwell {
namespace {

void ExpectCell(const SymbolGridLayout& layout, int row, int column, GridCell expected)
{
    const GridCell& cell = layout.Cell(row, column);
    EXPECT_EQ(cell.left, expected.left) << row << "," << column;
    EXPECT_EQ(cell.top, expected.top) << row << "," << column;
    EXPECT_EQ(cell.right, expected.right) << row << "," << column;
    EXPECT_EQ(cell.bottom, expected.bottom) << row << "," << column;
}

TEST(SymbolGridLayout, SplitsThePickerIntoThirtyPixelCells)
{
    const SymbolGridLayout layout(150, 90, {3, 5});
    ASSERT_EQ(layout.Rows(), 3);
    ASSERT_EQ(layout.Columns(), 5);
    ExpectCell(layout, 0, 0, {0, 0, 30, 30});
    ExpectCell(layout, 1, 1, {30, 30, 60, 60});
    ExpectCell(layout, 2, 4, {120, 60, 150, 90});
}

TEST(SymbolGridLayout, TruncatesUnevenShares)
{
    // 100 / 3 = 33.33... and 50 / 3 = 16.66...: each cell starts at its exact
    // edge truncated and reaches its share further, truncated again.
    const SymbolGridLayout layout(100, 50, {3, 3});
    ExpectCell(layout, 0, 0, {0, 0, 33, 16});
    ExpectCell(layout, 1, 1, {33, 16, 66, 32});
    ExpectCell(layout, 2, 2, {66, 33, 99, 49});
}

TEST(SymbolGridLayout, HitTestsWithInclusiveEdgesAndTheFirstMatchFirst)
{
    const SymbolGridLayout layout(150, 90, {3, 5});
    struct Case {
        int x, y;
        std::optional<GridPosition> expected;
    };
    const std::vector<Case> cases{
        {45, 40, GridPosition{1, 1}},
        {0, 0, GridPosition{0, 0}},
        {30, 10, GridPosition{0, 0}},  // the edge shared by columns 0 and 1
        {31, 10, GridPosition{0, 1}},
        {10, 60, GridPosition{1, 0}},  // the edge shared by rows 1 and 2
        {150, 90, GridPosition{2, 4}},  // the far edges still count
        {151, 10, std::nullopt},
        {10, 91, std::nullopt},
        {-1, -1, std::nullopt},  // the release reported when the pointer left
    };
    for (const Case& c : cases) EXPECT_EQ(layout.HitTest(c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST(SymbolGridLayout, AnEmptyGridHitsNothing)
{
    const SymbolGridLayout layout(150, 90, {0, 0});
    EXPECT_EQ(layout.Rows(), 0);
    EXPECT_FALSE(layout.HitTest(10, 10));
    EXPECT_FALSE(SymbolGridLayout().HitTest(0, 0));
}

TEST(FitGridSize, RefusesTooLargeAndEmptyRequests)
{
    struct Case {
        int rows, columns;
        int fittedRows, fittedColumns;
        bool refused;
    };
    const std::array cases{
        Case{3, 5, 3, 5, false},    Case{10, 16, 10, 16, false}, Case{1, 1, 1, 1, false},
        Case{11, 5, 10, 16, true},  Case{3, 17, 10, 16, true},   Case{11, 0, 10, 16, true},
        Case{0, 5, 0, 0, true},     Case{3, -2, 0, 0, true},
    };
    for (const Case& c : cases) {
        const FittedGridSize fitted = FitGridSize(c.rows, c.columns);
        EXPECT_EQ(fitted.size.rows, c.fittedRows) << c.rows << "x" << c.columns;
        EXPECT_EQ(fitted.size.columns, c.fittedColumns) << c.rows << "x" << c.columns;
        EXPECT_EQ(fitted.refused, c.refused) << c.rows << "x" << c.columns;
    }
}

TEST(SymbolIdAt, ReadsSixteenIdsPerRowAndNothingPastTheList)
{
    std::vector<int> ids(2 * kSymbolIdsPerRow, 0);
    ids[0] = 140;
    ids[4] = 146;
    ids[kSymbolIdsPerRow + 1] = 144;
    EXPECT_EQ(SymbolIdAt(ids, 0, 0), 140);
    EXPECT_EQ(SymbolIdAt(ids, 0, 4), 146);
    EXPECT_EQ(SymbolIdAt(ids, 1, 1), 144);
    EXPECT_EQ(SymbolIdAt(ids, 2, 0), std::nullopt);  // a grid made larger than its list
    EXPECT_EQ(SymbolIdAt(ids, 0, 16), std::nullopt);
    EXPECT_EQ(SymbolIdAt(ids, -1, 0), std::nullopt);
}

}  // namespace
}  // namespace harkwell
