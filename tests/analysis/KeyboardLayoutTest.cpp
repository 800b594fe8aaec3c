#include "analysis/KeyboardLayout.h"

#include <gtest/gtest.h>

namespace harkwell {
namespace {

using Kind = KeyboardLayout::Kind;

int WhiteKeys(const KeyboardLayout& layout)
{
    int count = 0;
    for (const auto& key : layout.Keys()) count += key.kind == Kind::White ? 1 : 0;
    return count;
}

TEST(KeyboardLayout, LaysOutTheMidPartOn380Pixels)
{
    KeyboardLayout layout;
    ASSERT_TRUE(layout.Build(60, 96, 380, 60));
    ASSERT_EQ(layout.KeyCount(), 37);
    EXPECT_EQ(WhiteKeys(layout), 22);
    EXPECT_DOUBLE_EQ(layout.WhiteKeyWidth(), 380.0 / 22);
    const auto& keys = layout.Keys();
    EXPECT_EQ(keys.front().kind, Kind::White);
    EXPECT_EQ(keys.back().kind, Kind::White);

    struct Expected {
        int note, left, right, bottom;
        std::uint32_t colour;
    };
    // White keys side by side; black keys one white key wide over the edge, half as tall.
    for (const Expected& e : {Expected{60, 0, 17, 60, 0xFFFFFF}, Expected{61, 8, 25, 30, 0x000000},
                              Expected{62, 17, 34, 60, 0xFFFFFF}, Expected{64, 34, 51, 60, 0xFFFFFF},
                              Expected{65, 51, 69, 60, 0xFFFFFF}, Expected{96, 362, 379, 60, 0xFFFFFF}}) {
        const auto& key = keys[static_cast<std::size_t>(e.note - 60)];
        EXPECT_EQ(key.note, e.note);
        EXPECT_EQ(key.left, e.left) << e.note;
        EXPECT_EQ(key.right, e.right) << e.note;
        EXPECT_EQ(key.top, 0) << e.note;
        EXPECT_EQ(key.bottom, e.bottom) << e.note;
        EXPECT_EQ(key.colour, e.colour) << e.note;
    }
}

TEST(KeyboardLayout, GivesABlackKeyAtEitherEndHalfAWhiteKeysRoom)
{
    KeyboardLayout layout;
    ASSERT_TRUE(layout.Build(61, 70, 300, 60));
    EXPECT_EQ(WhiteKeys(layout), 5);
    const double w = 300.0 / 6;
    EXPECT_DOUBLE_EQ(layout.WhiteKeyWidth(), w);
    const auto& first = layout.Keys().front();
    EXPECT_EQ(first.kind, Kind::Black);
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(first.right, static_cast<int>(w));
    // The last black key sits over the edge after key 69, inside the picture.
    const auto& last = layout.Keys().back();
    EXPECT_EQ(last.note, 70);
    EXPECT_EQ(last.left, 250);
    EXPECT_EQ(last.right, 300);
    // A lone black key fills the picture.
    ASSERT_TRUE(layout.Build(61, 61, 40, 60));
    EXPECT_EQ(layout.Keys()[0].left, 0);
    EXPECT_EQ(layout.Keys()[0].right, 40);

    ASSERT_TRUE(layout.Build(36, 72, 380, 60));
    EXPECT_EQ(WhiteKeys(layout), 22);
}

TEST(KeyboardLayout, RefusesRangesOfMoreThan128KeysOrEndingBelowTheirStart)
{
    KeyboardLayout layout;
    EXPECT_TRUE(layout.Build(0, 127, 1000, 60));
    EXPECT_EQ(layout.KeyCount(), 128);
    EXPECT_TRUE(layout.Build(60, 59, 380, 60)) << "an empty keyboard";
    EXPECT_EQ(layout.KeyCount(), 0);
    EXPECT_EQ(layout.KeyAt(10, 10), -1);
    for (auto [lowest, highest] : {std::pair{60, 58}, std::pair{-1, 127}, std::pair{0, 128}, std::pair{100, 130}}) {
        EXPECT_FALSE(layout.Build(lowest, highest, 380, 60)) << lowest << ".." << highest;
        EXPECT_FALSE(layout.Built());
        EXPECT_EQ(layout.KeyCount(), 0);
    }
}

TEST(KeyboardLayout, FindsBlackKeysBeforeTheWhiteKeysBelowThem)
{
    KeyboardLayout layout;
    ASSERT_TRUE(layout.Build(60, 96, 380, 60));
    struct Case {
        int x, y, note;
    };
    for (const Case& c : {Case{5, 50, 60}, Case{5, 10, 60}, Case{10, 10, 61}, Case{10, 30, 61}, Case{10, 31, 60},
                          Case{25, 10, 61}, Case{26, 10, 63}, Case{30, 50, 62}, Case{379, 60, 96}}) {
        const int index = layout.KeyAt(c.x, c.y);
        ASSERT_GE(index, 0) << c.x << "," << c.y;
        EXPECT_EQ(layout.Keys()[static_cast<std::size_t>(index)].note, c.note) << c.x << "," << c.y;
    }
    EXPECT_EQ(layout.KeyAt(380, 10), -1);
    EXPECT_EQ(layout.KeyAt(10, 61), -1);
    EXPECT_EQ(layout.KeyAt(-1, 10), -1);
}

TEST(KeyboardLayout, ColoursKeysOnTheKeyboardOnlyAndKeepsMarksUntilCleared)
{
    KeyboardLayout layout;
    ASSERT_TRUE(layout.Build(60, 96, 380, 60));
    layout.SetKeyColour(69, 0x00FFFF);
    layout.SetKeyColour(59, 0x00FFFF);
    layout.SetKeyColour(97, 0x00FFFF);
    for (const auto& key : layout.Keys())
        EXPECT_EQ(key.colour, key.note == 69 ? 0x00FFFFu : key.kind == Kind::White ? 0xFFFFFFu : 0u) << key.note;

    EXPECT_TRUE(layout.MarkNote(64));
    EXPECT_TRUE(layout.MarkNote(64));
    EXPECT_EQ(layout.MarkedNotes(), (std::vector<int>{64, 64}));
    EXPECT_TRUE(layout.IsMarked(64));
    layout.ClearMarkedNotes();
    EXPECT_FALSE(layout.IsMarked(64));

    for (int i = 0; i < 128; ++i) ASSERT_TRUE(layout.MarkNote(60));
    EXPECT_FALSE(layout.MarkNote(61)) << "the 129th mark";
    EXPECT_FALSE(layout.IsMarked(61));
}

}  // namespace
}  // namespace harkwell
