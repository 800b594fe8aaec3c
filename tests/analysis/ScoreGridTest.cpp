#include "analysis/ScoreGrid.h"

#include <gtest/gtest.h>

#include <vector>

namespace harkwell {
namespace {

std::vector<int> Entries(const ScoreGrid& grid, int position)
{
    const auto& at = grid.At(position);
    return {at.entries.begin(), at.entries.begin() + at.count};
}

// A new stretch: one whole rest.
ScoreGrid WholeRest()
{
    ScoreGrid grid;
    EXPECT_TRUE(grid.Write(ScoreGrid::kRest, 16));
    return grid;
}

TEST(ScoreGrid, ANewStretchIsOneWholeRest)
{
    const ScoreGrid grid = WholeRest();
    EXPECT_EQ(Entries(grid, 0), std::vector<int>{ScoreGrid::kRest});
    EXPECT_EQ(grid.LengthAt(0), 16);
    for (int p = 1; p < 16; ++p) EXPECT_EQ(Entries(grid, p), std::vector<int>{ScoreGrid::kHeld});
}

TEST(ScoreGrid, NotesAtTheCursorMakeAChordAndTheRestOfTheBarStaysARest)
{
    ScoreGrid grid = WholeRest();
    ASSERT_TRUE(grid.Write(60, 4));
    ASSERT_TRUE(grid.Write(64, 4));
    EXPECT_EQ(Entries(grid, 0), (std::vector<int>{60, 64}));
    EXPECT_EQ(grid.LengthAt(0), 4);
    EXPECT_EQ(Entries(grid, 4), std::vector<int>{ScoreGrid::kRest});
    EXPECT_EQ(grid.LengthAt(4), 12);
}

TEST(ScoreGrid, WritesStopAtTheEndOfTheBar)
{
    for (int length : {2, 4}) {
        ScoreGrid grid = WholeRest();
        grid.SetCursor(14);
        ASSERT_TRUE(grid.Write(67, length));
        EXPECT_EQ(Entries(grid, 14), std::vector<int>{67});
        EXPECT_EQ(grid.LengthAt(14), 2);
        EXPECT_EQ(grid.LengthAt(0), 14);
    }
    ScoreGrid grid = WholeRest();
    grid.SetCursor(16);
    EXPECT_FALSE(grid.Write(60, 1));
}

TEST(ScoreGrid, RefusesANinthNote)
{
    ScoreGrid grid = WholeRest();
    for (int note = 60; note < 68; ++note) ASSERT_TRUE(grid.Write(note, 2));
    EXPECT_FALSE(grid.Write(70, 2));
    EXPECT_EQ(grid.At(0).count, 8);
}

TEST(ScoreGrid, ARestOverANoteReplacesIt)
{
    ScoreGrid grid = WholeRest();
    EXPECT_TRUE(grid.Write(60, 8));
    EXPECT_TRUE(grid.Write(ScoreGrid::kRest, 2));
    EXPECT_EQ(Entries(grid, 0), std::vector<int>{ScoreGrid::kRest});
    EXPECT_EQ(grid.LengthAt(0), 8) << "the holds of the note now continue the rest";
}

}  // namespace
}  // namespace harkwell
