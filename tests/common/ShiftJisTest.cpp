#include "common/ShiftJis.h"

#include <gtest/gtest.h>

namespace harkwell {
namespace {

TEST(ShiftJis, ConvertsNamesBothWays)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Aメロ", "A\x83\x81\x83\x8D"},
        {"赤", "\x90\xD4"},
        {"ｻﾋﾞ", "\xBB\xCB\xDE"},  // half-width katakana are one byte each
        {"", ""},
    };
    for (const auto& [utf8, shiftJis] : cases) {
        EXPECT_EQ(Utf8ToShiftJis(utf8), shiftJis) << utf8;
        EXPECT_EQ(ShiftJisToUtf8(shiftJis), utf8) << utf8;
    }
}

TEST(ShiftJis, ReplacesWhatTheOtherSideCannotHold)
{
    EXPECT_EQ(Utf8ToShiftJis("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToShiftJis("a\xFF" "b"), "a?b");
    EXPECT_EQ(ShiftJisToUtf8("a\xA0" "b"), "a?b");
    EXPECT_EQ(ShiftJisToUtf8("ab\x83"), "ab?");  // cut inside a character
}

TEST(ShiftJis, CutsWithoutSplittingACharacter)
{
    std::string name = "A";
    name += Utf8ToShiftJis("メロディ");  // 1 + 8 bytes
    EXPECT_EQ(CutShiftJis(name, 9), name);
    EXPECT_EQ(CutShiftJis(name, 8), name.substr(0, 7));
    EXPECT_EQ(CutShiftJis(name, 4), name.substr(0, 3));
    EXPECT_EQ(CutShiftJis("\x83", 5), "");

    // Fifteen kanji fill 30 bytes: all fit in 31, though their UTF-8 is 45 bytes.
    const std::string kanji = "一二三四五六七八九十百千万億兆";
    EXPECT_EQ(FitToShiftJisBytes(kanji, 31), kanji);
    const std::string withX = kanji + std::string("x");
    EXPECT_EQ(FitToShiftJisBytes(withX + std::string("円"), 31), withX);
    EXPECT_EQ(FitToShiftJisBytes(kanji, 5), "一二");
}

}  // namespace
}  // namespace harkwell
