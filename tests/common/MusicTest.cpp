#include "common/Music.h"

#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;

TEST(TempoToBpm, DividesWholeMilliseconds)
{
    const std::pair<std::int32_t, int> cases[] = {{500000, 120}, {1000, 60000}, {1999, 60000}, {600000, 100}, {700000, 85}};
    for (const auto& [tempo, bpm] : cases) {
        RecordingMessageSink sink;
        EXPECT_EQ(TempoToBpm(sink, tempo), bpm) << tempo;
        EXPECT_TRUE(sink.messages.empty());
    }
}

TEST(TempoToBpm, RefusesTemposBelowOneMillisecond)
{
    for (std::int32_t tempo : {999, 1, 0, -1, -500000}) {
        RecordingMessageSink sink;
        EXPECT_EQ(TempoToBpm(sink, tempo), 0) << tempo;
        EXPECT_EQ(sink.Texts(), std::vector<std::string>{"GENE01000012 General Error"});
    }
}

TEST(NoteName, NamesThePitchClassWithSharps)
{
    const std::pair<int, const char*> cases[] = {{60, "C"}, {61, "C#"}, {127, "G"}, {0, "C"}, {69, "A"}, {70, "A#"}, {59, "B"}};
    for (const auto& [note, name] : cases) EXPECT_EQ(NoteName(note), name) << note;
}

TEST(NoteFrequencyTable, IsEqualTemperedAround440)
{
    NoteFrequencyTable table{};
    FillNoteFrequencyTable(table);
    EXPECT_DOUBLE_EQ(table[69], 440.0);
    EXPECT_NEAR(table[81], 880.0, 1e-9);
    EXPECT_NEAR(table[57], 220.0, 1e-9);
    EXPECT_NEAR(table[0], 8.1758, 1e-4);
    EXPECT_NEAR(table[127], 12543.85, 1e-2);
    for (std::size_t note = 1; note < table.size(); ++note) EXPECT_GT(table[note], table[note - 1]);
}

TEST(NoteBoundary, IsTheGeometricMean)
{
    EXPECT_NEAR(NoteBoundary(440.0, 880.0), std::sqrt(440.0 * 880.0), 1e-9);
    EXPECT_NEAR(NoteBoundary(466.1637615, 440.0), std::sqrt(466.1637615 * 440.0), 1e-9);
}

TEST(PackTimeSignatureMeta, WritesTheFourMetaBytes)
{
    struct Case {
        int numerator, denominator;
        std::uint8_t expected[4];
    };
    const Case cases[] = {{3, 4, {3, 2, 18, 8}}, {6, 8, {6, 3, 18, 8}}, {2, 2, {2, 1, 18, 8}}, {7, 16, {7, 4, 18, 8}}};
    for (const auto& c : cases) {
        std::uint8_t bytes[4] = {};
        int length = 0;
        PackTimeSignatureMeta(PackTimeSignature(c.numerator, c.denominator), bytes, length);
        EXPECT_EQ(length, 4);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(bytes[i], c.expected[i]) << c.numerator << "/" << c.denominator << " byte " << i;
    }
}

}  // namespace
}  // namespace harkwell
