#include "score/StaffLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace harkwell {
namespace {

TEST(StaffLayoutTest, RowsAndSpacingFollowTheRange)
{
    const StaffLayout narrow(340, 160, 60, 72);  // widened to 42..84
    EXPECT_EQ(narrow.Lowest(), 42);
    EXPECT_EQ(narrow.Highest(), 84);
    EXPECT_EQ(narrow.RowPitches(), (std::vector<int>{84, 81, 77, 74, 71, 67, 64, 60, 57, 53, 50, 47, 43}));
    EXPECT_DOUBLE_EQ(narrow.Spacing(), 160.0 / 14);
    // Middle C's row is a ledger row, not a staff line.
    EXPECT_EQ(narrow.StaffLineRows(), (std::vector<int>{3, 4, 5, 6, 7, 9, 10, 11, 12, 13}));

    const StaffLayout wide(340, 160, 60, 96);
    EXPECT_EQ(wide.RowPitches().size(), 16u);
    EXPECT_EQ(wide.RowPitches()[0], 95);
    EXPECT_EQ(wide.RowPitches()[1], 91);
    EXPECT_EQ(wide.RowPitches()[2], 88);
    EXPECT_DOUBLE_EQ(wide.Spacing(), 160.0 / 17);
}

TEST(StaffLayoutTest, HeadsSitOnTheirLinesAndHalfwayBetween)
{
    for (const auto& [low, high] : {std::pair{42, 84}, std::pair{60, 96}, std::pair{36, 84}, std::pair{40, 84}}) {
        const StaffLayout staff(340, 160, low, high);
        const double s = staff.Spacing();
        const auto centre = [&](int pitch) { return (staff.Head(pitch).top + staff.Head(pitch).bottom) / 2; };
        for (std::size_t row = 0; row < staff.RowPitches().size(); ++row)
            EXPECT_NEAR(centre(staff.RowPitches()[row]), staff.RowY(static_cast<int>(row) + 1), 1e-9)
                << "line pitch " << staff.RowPitches()[row] << " in " << low << ".." << high;
        EXPECT_NEAR(centre(65), centre(64) - 0.5 * s, 1e-9) << "F4 half a spacing above E4";
        EXPECT_DOUBLE_EQ(staff.NoteY(66), staff.NoteY(65)) << "F#4 where F4 is";
        EXPECT_NEAR(staff.Head(64).bottom - staff.Head(64).top, s, 1e-9);
        EXPECT_NEAR(staff.Head(64).left, staff.XOrigin() - 0.5 * s, 1e-9);
    }
    const StaffLayout staff(340, 160, 60, 96);
    EXPECT_EQ(staff.NoteY(30), 0.0);
    EXPECT_EQ(staff.NoteY(97), 0.0);
    EXPECT_DOUBLE_EQ(staff.NoteY(42), 160 - staff.Spacing()) << "the lowest pitch, a black key, one spacing up";
}

TEST(StaffLayoutTest, TimesAcrossTheBarAndStems)
{
    const StaffLayout staff(340, 160, 60, 96);
    EXPECT_EQ(staff.XOrigin(), 85);
    EXPECT_EQ(staff.XOffset(1920, 3840), (340 - 85) / 2) << "the ninth sixteenth, half-way";
    EXPECT_EQ(staff.XOffset(0, 3840), 0);
    EXPECT_EQ(staff.XOffset(240, 0), 0);

    EXPECT_TRUE(StaffLayout::StemDown(71));
    EXPECT_FALSE(StaffLayout::StemDown(67));
    EXPECT_TRUE(StaffLayout::StemDown(55));
    EXPECT_FALSE(StaffLayout::StemDown(45));
    EXPECT_FALSE(StaffLayout::StemDown(69));
    EXPECT_TRUE(StaffLayout::StemDown(70));
}

TEST(StaffLayoutTest, LedgerLinesBetweenTheStavesAndTheNote)
{
    const StaffLayout staff(340, 160, 36, 96);
    EXPECT_EQ(staff.LedgerPitches(67), std::vector<int>{});
    EXPECT_EQ(staff.LedgerPitches(84), (std::vector<int>{84, 81}));
    EXPECT_EQ(staff.LedgerPitches(83), (std::vector<int>{81}));
    EXPECT_EQ(staff.LedgerPitches(60), std::vector<int>{60});
    EXPECT_EQ(staff.LedgerPitches(58), std::vector<int>{60});
    EXPECT_EQ(staff.LedgerPitches(62), std::vector<int>{});
    EXPECT_EQ(staff.LedgerPitches(40), (std::vector<int>{40}));
    EXPECT_EQ(staff.LedgerPitches(38), (std::vector<int>{40}));
}

TEST(StaffLayoutTest, SignsInForceThroughTheBar)
{
    struct Case {
        std::vector<int> pitches;
        std::vector<StaffSign> signs;
    };
    using S = StaffSign;
    const Case cases[] = {
        {{66, 65, 66}, {S::Sharp, S::Natural, S::Sharp}},           // F#4 F4 F#4
        {{66, 66, 78}, {S::Sharp, S::None, S::None}},               // the class keeps it, any octave
        {{65, 64, 61}, {S::None, S::None, S::Sharp}},
        {{61, 60, 60, 61}, {S::Sharp, S::Natural, S::None, S::Sharp}},
        {{64, 65, 71}, {S::None, S::None, S::None}},                // E and B have no sharp above
    };
    for (const Case& c : cases) {
        SignsInForce signs;
        std::vector<StaffSign> drawn;
        for (int pitch : c.pitches) drawn.push_back(signs.Next(pitch));
        EXPECT_EQ(drawn, c.signs);
    }
}

TEST(StaffLayoutTest, TypesAndLooksByLength)
{
    const std::pair<int, int> types[] = {{1, 0}, {2, 1}, {3, 2}, {4, 5}, {5, 5}, {6, 6}, {7, 8}, {8, 7},
                                         {11, 7}, {12, 9}, {13, 9}, {14, 10}, {15, 10}, {16, 11}, {17, 1}};
    for (const auto& [length, type] : types) EXPECT_EQ(StaffNoteType(length), type) << length;

    // Every value of the picker draws its own head, flags and dots.
    struct Look {
        int length;
        HeadKind head;
        int flags, dots;
    };
    const Look looks[] = {{16, HeadKind::Whole, -1, 0}, {14, HeadKind::Open, 0, 2}, {12, HeadKind::Open, 0, 1},
                          {8, HeadKind::Open, 0, 0},    {7, HeadKind::Filled, 0, 2}, {6, HeadKind::Filled, 0, 1},
                          {4, HeadKind::Filled, 0, 0},  {3, HeadKind::Filled, 1, 1}, {2, HeadKind::Filled, 1, 0},
                          {1, HeadKind::Filled, 2, 0}};
    for (const Look& look : looks) {
        const NoteLook drawn = LookOfType(StaffNoteType(look.length));
        EXPECT_EQ(drawn.head, look.head) << look.length;
        EXPECT_EQ(drawn.flags, look.flags) << look.length;
        EXPECT_EQ(drawn.dots, look.dots) << look.length;
    }
}

TEST(StaffLayoutTest, HeadsOfAChordThatWouldTouchMoveRightButNeverTwoInARow)
{
    const StaffLayout staff(340, 160, 42, 84);
    const double s = staff.Spacing();
    ChordSpacing chord;
    const auto shift = [&](std::int32_t time, int pitch) { return chord.Shift(time, pitch, staff.Head(pitch), s); };
    EXPECT_EQ(shift(0, 60), 0.0);
    EXPECT_EQ(shift(0, 64), 0.0) << "a third does not touch";
    EXPECT_EQ(shift(0, 65), s) << "a second does";
    EXPECT_EQ(shift(0, 67), 0.0) << "not after a moved head";
    EXPECT_EQ(shift(0, 67), s) << "the same pitch again";
    EXPECT_EQ(shift(240, 69), 0.0) << "a new time starts afresh";
}

}  // namespace
}  // namespace harkwell
