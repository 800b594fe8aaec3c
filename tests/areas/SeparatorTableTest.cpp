#include "areas/SeparatorTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace harkwell {
namespace {

constexpr std::uint32_t kRate = 44100;

// Separators at the given starts, each (start, baseNote, timeSignature, baseLength).
SeparatorTable TableOf(std::initializer_list<std::array<std::int32_t, 4>> separators)
{
    SeparatorTable table;
    table.separatorCount = 0;
    for (const auto& [start, note, signature, length] : separators) {
        const auto i = static_cast<std::size_t>(table.separatorCount++);
        table.start[i] = start;
        table.baseNote[i] = note;
        table.timeSignature[i] = signature;
        table.baseLength[i] = length;
    }
    return table;
}

TEST(SeparatorTable, DefaultsGiveSixtyBeatsAndABarEveryFourSeconds)
{
    const SeparatorTable table;
    EXPECT_EQ(table.separatorCount, 1);
    EXPECT_EQ(table.Tempo(0, kRate), 60);
    EXPECT_EQ(table.LengthMilliseconds(0, kRate), 500);
    const auto lines = TuneBarLines(table, 1'000'000, 1024);
    ASSERT_EQ(lines.size(), 6u);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        EXPECT_EQ(lines[k].position, static_cast<std::int32_t>(k * 176400));
        EXPECT_EQ(lines[k].colour, kBarLineColour);
    }
}

TEST(SeparatorTable, InsertsWithTheValuesOfTheSeparatorBefore)
{
    SeparatorTable table = TableOf({{0, 0, 0, 22050}, {1000, 1, 1, 30000}, {2000, 2, 0, 40000}, {5000, 3, 1, 50000}});
    const SeparatorTable before = table;
    table.InsertSeparator(2000);
    table.InsertSeparator(-5);
    EXPECT_EQ(table.separatorCount, 4);
    EXPECT_EQ(table.start, before.start);

    table.InsertSeparator(3000);
    ASSERT_EQ(table.separatorCount, 5);
    EXPECT_EQ(table.start[3], 3000);
    EXPECT_EQ(table.baseNote[3], 2);
    EXPECT_EQ(table.timeSignature[3], 0);
    EXPECT_EQ(table.baseLength[3], 40000);
    EXPECT_EQ(table.start[4], 5000);
    EXPECT_EQ(table.baseLength[4], 50000);

    table.InsertSeparator(9000);  // after the last
    EXPECT_EQ(table.separatorCount, 6);
    EXPECT_EQ(table.baseNote[5], 3);
}

TEST(SeparatorTable, AFullTableTakesNoMore)
{
    SeparatorTable table;
    for (int k = 1; k < kMaxSeparators; ++k) table.InsertSeparator(k * 10);
    ASSERT_EQ(table.separatorCount, kMaxSeparators);
    table.InsertSeparator(5);
    EXPECT_EQ(table.separatorCount, kMaxSeparators);
    EXPECT_EQ(table.start[1], 10);
}

TEST(SeparatorTable, DeletesAnyButTheFirst)
{
    SeparatorTable table = TableOf({{0, 0, 0, 22050}, {1000, 1, 1, 30000}, {2000, 2, 0, 40000}});
    EXPECT_FALSE(table.DeleteSeparator(0));
    EXPECT_FALSE(table.DeleteSeparator(3));
    EXPECT_TRUE(table.DeleteSeparator(1));
    ASSERT_EQ(table.separatorCount, 2);
    EXPECT_EQ(table.start[1], 2000);
    EXPECT_EQ(table.baseNote[1], 2);
    EXPECT_EQ(table.baseLength[1], 40000);
}

TEST(SeparatorTable, RefusesBaseLengthsBelowATenthOfASecond)
{
    SeparatorTable table;
    EXPECT_FALSE(table.SetBaseLength(0, 4409));
    EXPECT_EQ(table.baseLength[0], kDefaultBaseLength);
    EXPECT_TRUE(table.SetBaseLength(0, 4410));
    EXPECT_EQ(table.baseLength[0], 4410);
}

TEST(SeparatorTable, FindsTheGoverningSeparator)
{
    const SeparatorTable table = TableOf({{0, 0, 0, 22050}, {1000, 0, 0, 22050}, {2000, 0, 0, 22050}});
    const std::pair<std::int32_t, int> cases[] = {{-1, 0}, {0, 0}, {999, 0}, {1000, 1}, {1999, 1}, {2000, 2}, {99999, 2}};
    for (const auto& [position, index] : cases) EXPECT_EQ(table.SeparatorAt(position), index) << position;
}

TEST(SeparatorTable, ChangingTheNoteValueKeepsTheTempo)
{
    SeparatorTable table;
    table.ChangeBaseNote(0, 1);
    EXPECT_EQ(table.baseNote[0], 1);
    EXPECT_EQ(table.baseLength[0], 44100);
    EXPECT_EQ(table.Tempo(0, kRate), 60);
    table.ChangeBaseNote(0, 3);
    EXPECT_EQ(table.baseLength[0], 176400);
    EXPECT_EQ(table.Tempo(0, kRate), 60);
    // A quarter note of 22050 frames is 120 beats a minute.
    table = TableOf({{0, 1, 0, 22050}});
    EXPECT_EQ(table.Tempo(0, kRate), 120);
}

TEST(SeparatorTable, AShorterNoteValueKeepsAtLeastOneFrame)
{
    // A table read from a file may hold lengths far below what the dialog takes.
    SeparatorTable table = TableOf({{0, 3, 0, 7}});
    table.ChangeBaseNote(0, 0);
    EXPECT_EQ(table.baseNote[0], 0);
    EXPECT_EQ(table.baseLength[0], 1);
    EXPECT_TRUE(table.Repair());
}

TEST(FramesFromMilliseconds, GivesTheShortestLengthShowingAtLeastThatMany)
{
    const std::tuple<int, std::uint32_t, std::int32_t> cases[] = {
        {1, 44100, 45}, {500, 44100, 22050}, {1000, 48000, 48000}, {3, 8000, 24}, {0, 44100, 0}};
    for (const auto& [ms, rate, frames] : cases) {
        EXPECT_EQ(FramesFromMilliseconds(ms, rate), frames) << ms << " ms at " << rate;
        if (frames > 0) {
            SeparatorTable table = TableOf({{0, 0, 0, frames - 1}});
            EXPECT_LT(table.LengthMilliseconds(0, rate), ms);
        }
    }
}

TEST(StretchLines, CountBeatsFromTheFirstLineInsideTheStretch)
{
    // Eighth notes in 4/4: eight lines a bar.
    const auto lines = StretchBarAndBeatLines(SeparatorTable(), 100, 200000, 1024);
    ASSERT_EQ(lines.size(), 9u);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        EXPECT_EQ(lines[k].position, static_cast<std::int32_t>(22050 * (k + 1) - 100));
        EXPECT_EQ(lines[k].colour, k % 8 == 0 ? kBarLineColour : kBeatLineColour) << k;
    }
    // 3/4 with a whole-note base: the counter never comes back to 0.
    const auto waltz = StretchBarAndBeatLines(TableOf({{0, 3, 1, 10000}}), 0, 50000, 1024);
    ASSERT_EQ(waltz.size(), 4u);
    EXPECT_EQ(waltz[0].colour, kBarLineColour);
    for (std::size_t k = 1; k < waltz.size(); ++k) EXPECT_EQ(waltz[k].colour, kBeatLineColour);
    // A stretch before the first separator's start, or none at all.
    EXPECT_TRUE(StretchBarAndBeatLines(SeparatorTable(), 0, 0, 1024).empty());
}

TEST(StretchLines, ANewSeparatorStartsABar)
{
    const SeparatorTable table = TableOf({{0, 0, 0, 22050}, {50000, 1, 1, 20000}});
    const auto lines = StretchBarAndBeatLines(table, 0, 100000, 1024);
    const std::vector<std::pair<std::int32_t, std::uint32_t>> expected = {
        {22050, kBarLineColour}, {44100, kBeatLineColour}, {50000, kBarLineColour},
        {70000, kBeatLineColour}, {90000, kBeatLineColour}};
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t k = 0; k < lines.size(); ++k) {
        EXPECT_EQ(lines[k].position, expected[k].first) << k;
        EXPECT_EQ(lines[k].colour, expected[k].second) << k;
    }
}

// The walk one base note at a time from the tune's start, as the lines are defined.
std::vector<BarLine> WalkFromTheStart(const SeparatorTable& t, std::int64_t d, std::int64_t n, std::size_t limit)
{
    std::vector<BarLine> lines;
    if (t.start[0] >= d + n) return lines;
    std::int64_t p = t.start[0];
    int i = 0, c = 0;
    while (p < d + n && lines.size() < limit) {
        if (p > d) {
            lines.push_back({static_cast<std::int32_t>(p - d), c == 0 ? kBarLineColour : kBeatLineColour});
            c += 1;
            if (c == static_cast<int>(2 * t.BeatsOf(i) / t.NoteValueOf(i))) c = 0;
        }
        if (t.baseLength[static_cast<std::size_t>(i)] < 1) break;
        p += t.baseLength[static_cast<std::size_t>(i)];
        if (i < t.separatorCount - 1 && p >= t.start[static_cast<std::size_t>(i + 1)]) {
            p = t.start[static_cast<std::size_t>(++i)];
            c = 0;
        }
    }
    return lines;
}

TEST(StretchLines, MatchAWalkFromTheTunesStart)
{
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        SeparatorTable table;
        table.baseLength[0] = std::uniform_int_distribution<std::int32_t>(4410, 60000)(random);
        const int extra = std::uniform_int_distribution<int>(0, 6)(random);
        for (int k = 0; k < extra; ++k) table.InsertSeparator(std::uniform_int_distribution<std::int32_t>(1, 3'000'000)(random));
        for (int i = 0; i < table.separatorCount; ++i) {
            const auto at = static_cast<std::size_t>(i);
            table.baseNote[at] = std::uniform_int_distribution<std::int32_t>(0, 3)(random);
            table.timeSignature[at] = std::uniform_int_distribution<std::int32_t>(0, 1)(random);
            table.baseLength[at] = std::uniform_int_distribution<std::int32_t>(4410, 90000)(random);
        }
        const std::int64_t d = std::uniform_int_distribution<std::int64_t>(0, 3'200'000)(random);
        const std::int64_t n = std::uniform_int_distribution<std::int64_t>(0, 400'000)(random);
        const auto fast = StretchBarAndBeatLines(table, d, n, 1024);
        const auto walked = WalkFromTheStart(table, d, n, 1024);
        ASSERT_EQ(fast.size(), walked.size()) << "round " << round;
        for (std::size_t k = 0; k < fast.size(); ++k) {
            ASSERT_EQ(fast[k].position, walked[k].position) << "round " << round << " line " << k;
            ASSERT_EQ(fast[k].colour, walked[k].colour) << "round " << round << " line " << k;
        }
    }
}

TEST(SeparatorTable, RepairsWhatAFileGotWrong)
{
    struct Case {
        const char* name;
        SeparatorTable table;
        bool intact;
        int count;
    };
    SeparatorTable zeroCount;
    zeroCount.separatorCount = 0;
    SeparatorTable tooMany;
    tooMany.separatorCount = 300;
    SeparatorTable badNote = TableOf({{0, 7, 0, 22050}, {100, 0, -1, 0}});
    const Case cases[] = {
        {"good", TableOf({{0, 1, 1, 30000}, {5000, 2, 0, 40000}}), true, 2},
        {"no separators", zeroCount, false, 1},
        {"too many", tooMany, false, 1},
        {"first not at 0", TableOf({{10, 0, 0, 22050}}), false, 1},
        {"starts not increasing", TableOf({{0, 0, 0, 22050}, {500, 0, 0, 22050}, {500, 0, 0, 22050}, {900, 0, 0, 1}}),
         false, 2},
        {"entries out of their tables", badNote, false, 2},
    };
    for (Case c : cases) {
        EXPECT_EQ(c.table.Repair(), c.intact) << c.name;
        EXPECT_EQ(c.table.separatorCount, c.count) << c.name;
        EXPECT_EQ(c.table.start[0], 0) << c.name;
        for (int i = 0; i < c.table.separatorCount; ++i) {
            const auto at = static_cast<std::size_t>(i);
            EXPECT_TRUE(c.table.baseNote[at] >= 0 && c.table.baseNote[at] < 4) << c.name;
            EXPECT_TRUE(c.table.timeSignature[at] >= 0 && c.table.timeSignature[at] < 2) << c.name;
            EXPECT_GT(c.table.baseLength[at], 0) << c.name;
            if (i > 0) {
                EXPECT_GT(c.table.start[at], c.table.start[at - 1]) << c.name;
            }
        }
    }
    EXPECT_EQ(badNote.Repair(), false);
}

// The lines the walk over the whole tune draws inside first .. end - 1.
std::vector<BarLine> AllLinesIn(const SeparatorTable& table, std::int64_t frames, std::int64_t first, std::int64_t end)
{
    std::vector<BarLine> inside;
    for (const BarLine& line : TuneBarLines(table, frames, SIZE_MAX))
        if (line.position >= first && line.position < end) inside.push_back(line);
    return inside;
}

std::vector<std::int32_t> Positions(const std::vector<BarLine>& lines)
{
    std::vector<std::int32_t> positions;
    for (const BarLine& line : lines) positions.push_back(line.position);
    return positions;
}

TEST(VisibleTuneBarLines, AreEveryLineOfTheViewAtAnyTuneLength)
{
    constexpr std::int64_t kThreeHours = 3LL * 3600 * kRate;
    std::mt19937 random(15);
    for (int trial = 0; trial < 40; ++trial) {
        // A three-hour tune, or a random one, with a few separators of their own tempo.
        const std::int64_t frames = trial == 0 ? kThreeHours : std::uniform_int_distribution<std::int64_t>(1, kThreeHours)(random);
        SeparatorTable table;
        std::int32_t start = 0;
        for (int i = 1; i < 4 && trial > 0; ++i) {
            start += std::uniform_int_distribution<std::int32_t>(1, static_cast<std::int32_t>(frames / 4 + 1))(random);
            table.InsertSeparator(start);
            (void)table.SetBaseLength(i, std::uniform_int_distribution<std::int32_t>(4410, 60000)(random));
        }
        const auto zoom = std::uniform_int_distribution<std::int64_t>(2, 39)(random);
        const std::int64_t visible = frames / zoom;
        const std::int64_t first = std::uniform_int_distribution<std::int64_t>(0, frames - visible)(random);
        const auto lines = VisibleTuneBarLines(table, first, first + visible, frames, 880, 1024);
        const auto all = AllLinesIn(table, frames, first, first + visible);
        if (all.size() <= 1024) {
            EXPECT_EQ(Positions(lines), Positions(all)) << trial;
        } else {
            EXPECT_LE(lines.size(), 1024u) << trial;
            for (const BarLine& line : lines)
                EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const BarLine& l) { return l.position == line.position; }));
        }
    }
}

TEST(VisibleTuneBarLines, OneLinePerColumnWhenTheViewHoldsMoreThanTheTable)
{
    constexpr std::int64_t kThreeHours = 3LL * 3600 * kRate;
    SeparatorTable table;  // a bar every four seconds: 2,700 in three hours
    const auto all = AllLinesIn(table, kThreeHours, 0, kThreeHours);
    ASSERT_GT(all.size(), 1024u);
    const auto lines = VisibleTuneBarLines(table, 0, kThreeHours, kThreeHours, 880, 1024);
    const auto column = [&](std::int32_t p) { return std::int64_t{p} * 880 / kThreeHours; };
    std::vector<std::int64_t> wanted, shown;
    for (const BarLine& line : all)
        if (wanted.empty() || wanted.back() != column(line.position)) wanted.push_back(column(line.position));
    for (const BarLine& line : lines) shown.push_back(column(line.position));
    EXPECT_EQ(shown, wanted);
    EXPECT_GT(lines.back().position, kThreeHours * 99 / 100);
}

}  // namespace
}  // namespace harkwell
