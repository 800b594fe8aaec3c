#include "audio/WaveformAreas.h"

#include <gtest/gtest.h>

#include <string>

namespace harkwell {
namespace {

TEST(WaveformAreas, KeepsAtMostOneHundred)
{
    WaveformAreas areas;
    for (std::uint32_t i = 0; i < 100; ++i) ASSERT_TRUE(areas.Add(i, i + 1, 0xFF, ""));
    EXPECT_FALSE(areas.Add(500, 600, 0xFF, "late"));
    ASSERT_EQ(areas.size(), 100u);
    EXPECT_EQ(areas[99].start, 99u);
    EXPECT_EQ(areas.Find(500, 600), -1);
}

TEST(WaveformAreas, FindNeedsBothStartAndEnd)
{
    WaveformAreas areas;
    EXPECT_TRUE(areas.Add(10, 20, 1, "a"));
    EXPECT_TRUE(areas.Add(30, 40, 2, "b"));
    EXPECT_TRUE(areas.Add(30, 40, 3, "c"));
    EXPECT_EQ(areas.Find(10, 21), -1);
    EXPECT_EQ(areas.Find(11, 20), -1);
    EXPECT_EQ(areas.Find(10, 20), 0);
    EXPECT_EQ(areas.Find(30, 40), 1);
}

TEST(WaveformAreas, RemovingAndRecolouringKeepTheOthersIntact)
{
    WaveformAreas areas;
    EXPECT_TRUE(areas.Add(1, 2, 0xAA, "first"));
    EXPECT_TRUE(areas.Add(3, 4, 0xBB, "second"));
    EXPECT_TRUE(areas.Add(5, 6, 0xAA, "third"));
    const WaveformArea second = areas[1];
    const WaveformArea third = areas[2];

    areas.RemoveFirstOfColour(0x123456);
    EXPECT_EQ(areas.size(), 3u);

    areas.RemoveFirstOfColour(0xAA);
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_EQ(areas[0], second);
    EXPECT_EQ(areas[1], third);

    areas.Recolour(0xAA, 0xCC);
    EXPECT_EQ(areas[0].colour, 0xBBu);
    EXPECT_EQ(areas[1].colour, 0xCCu);

    EXPECT_FALSE(areas.RemoveAt(2));
    EXPECT_TRUE(areas.RemoveAt(0));
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_EQ(areas[0].name, "third");
}

// Names are measured as the area file stores them, in Shift-JIS: a kanji takes
// two bytes there and three in UTF-8; a character is kept whole or not at all.
TEST(WaveformAreas, NamesKeepTheCharactersThatFitThirtyOneShiftJisBytes)
{
    const std::string fifteenKanji = "一二三四五六七八九十百千万億兆";
    struct Case {
        std::string name;
        std::string kept;
    };
    const Case cases[] = {
        {std::string(31, 'a'), std::string(31, 'a')},
        {std::string(40, 'a'), std::string(31, 'a')},
        {fifteenKanji + "円", fifteenKanji},                                 // 32 bytes: the last one goes
        {std::string(30, 'a') + "円", std::string(30, 'a')},               // no half character
        {"ｱｲｳ" + std::string(28, 'b') + "c", "ｱｲｳ" + std::string(28, 'b')},  // half-width kana take one byte
    };
    for (const Case& c : cases) {
        WaveformAreas areas;
        EXPECT_TRUE(areas.Add(0, 1, 0, c.name));
        EXPECT_EQ(areas[0].name, c.kept) << c.name;
        ASSERT_TRUE(areas.Add(2, 3, 0, "other"));
        ASSERT_TRUE(areas.Rename(1, c.name, 0xAB)) << "a new name is fitted the same way";
        EXPECT_EQ(areas[1].name, c.kept);
        EXPECT_EQ(areas[1].colour, 0xABu);
        EXPECT_FALSE(areas.Rename(2, "none", 0));
    }
}

}  // namespace
}  // namespace harkwell
