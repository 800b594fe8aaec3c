#include "areas/AreaListing.h"
#include "areas/AreaColours.h"
#include "areas/SeparatorListing.h"

#include <gtest/gtest.h>

#include <climits>

namespace harkwell {
namespace {

TEST(AreaListingTest, RowsShowWholeSecondsAndTheNameOrTheState)
{
    // Plain texts: an array of strings makes GCC 12 at -O3 warn falsely of
    // uninitialised ones when it is destroyed.
    struct Case {
        std::uint32_t start, end, colour;
        const char* name;
        int list;
        std::uint32_t rate;
        const char* row;
    };
    const Case cases[] = {
        {529200, 661500, kDoneColour, "Intro", kTuneAreaList, 44100, "012 - 015 [Intro] "},
        {0, 44099, kCurrentColour, "Intro", kTuneAreaList, 44100, "000 - 000 [採譜中] "},
        {0, 44100, kCurrentColour, "Intro", kPanelAreaList, 44100, "000 - 001 [解析中] "},
        {48000, 96000, kSelectionColour, "", kPanelAreaList, 48000, "001 - 002 [選択中] "},
        {44100 * 1200, 44100 * 1201, 0xBFBFFF, "サビ", kTuneAreaList, 44100, "1200 - 1201 [サビ] "},
        {44100, 88200, 0xBFBFFF, "x", kTuneAreaList, 0, "001 - 002 [x] "},  // no tune: 44100 per second
    };
    for (const Case& c : cases)
        EXPECT_EQ(AreaListRow(WaveformArea{c.start, c.end, c.colour, c.name}, c.list, c.rate), c.row);
}

TEST(AreaListingTest, ColoursNotInTheListOpenAsGrey)
{
    EXPECT_EQ(AreaColourChoiceOf(0xFFBFBF), 2u);
    EXPECT_EQ(AreaColourChoiceOf(kCurrentColour), 4u);
    EXPECT_EQ(AreaColourChoiceOf(kSelectionColour), 4u);
    EXPECT_EQ(kAreaColourChoices[4].colour, kDoneColour);
}

TEST(AreaListingTest, SeparatorRowsShowTheStartAndTheTempo)
{
    SeparatorTable table;
    EXPECT_EQ(SeparatorRow(table, 0, 44100), "開始位置 000 秒  60 bpm");
    table.InsertSeparator(441000);
    ASSERT_TRUE(table.SetBaseLength(1, 11025));
    EXPECT_EQ(SeparatorRow(table, 1, 44100), "開始位置 010 秒  120 bpm");
}

TEST(AreaListingTest, TypedMillisecondsAreTheLeadingWholeNumber)
{
    const std::pair<const char*, int> cases[] = {
        {"250", 250}, {"  42ms", 42}, {"", 0}, {"abc", 0}, {"-5", -5}, {"+7", 7}, {"99999999999", INT_MAX},
    };
    for (const auto& [text, ms] : cases) EXPECT_EQ(LeadingMilliseconds(text), ms) << text;
}

}  // namespace
}  // namespace harkwell
