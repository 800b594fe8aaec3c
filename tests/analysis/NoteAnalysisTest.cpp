#include "analysis/NoteAnalysis.h"

#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;

std::vector<std::uint8_t> SineBytes(double frequency, std::size_t frames, double amplitude = 12000.0)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < frames; ++i) {
        const auto s = static_cast<std::int16_t>(amplitude * std::sin(2.0 * std::numbers::pi * frequency * double(i) / 44100.0));
        bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
    return bytes;
}

TuneSamples Mono16(const std::vector<std::uint8_t>& bytes) { return {bytes.data(), bytes.size(), 44100, 1, 16}; }

std::size_t Strongest(const NoteStrengths& strengths)
{
    return static_cast<std::size_t>(std::max_element(strengths.begin(), strengths.end()) - strengths.begin());
}

TEST(PlanBlocks, Takes8192FrameBlocksOrOneBlockOfTheLargestPowerOfTwo)
{
    struct Case {
        std::int64_t length, size, count;
    };
    for (const Case& c : {Case{16384, 8192, 2}, Case{8192, 8192, 1}, Case{20000, 8192, 2}, Case{8191, 4096, 1},
                          Case{3, 2, 1}, Case{2, 2, 1}, Case{1, 1, 1}, Case{0, 0, 0}, Case{-5, 0, 0}}) {
        const BlockPlan plan = PlanBlocks(c.length);
        EXPECT_EQ(plan.size, c.size) << c.length;
        EXPECT_EQ(plan.count, c.count) << c.length;
    }
}

TEST(NoteFrequencyLookup, FindsTheNearestNoteAndCreditsOnlyTheAnalysedRange)
{
    const NoteFrequencyLookup lookup;
    double own = 0.0;
    EXPECT_EQ(lookup.NearestNote(440.0, &own), 69);
    EXPECT_DOUBLE_EQ(own, 440.0);
    EXPECT_EQ(lookup.NearestNote(430.0), 69);
    EXPECT_EQ(lookup.NearestNote(415.0), 68);
    EXPECT_EQ(lookup.NearestNote(20000.0, &own), 127);
    EXPECT_NEAR(own, 12543.85, 0.01);
    struct Case {
        double frequency;
        int note;
    };
    for (const Case& c : {Case{8.0, 0}, Case{8.5, 1}, Case{261.0, 60}, Case{12911.0, 127}, Case{12912.0, -1},
                          Case{7.0, -1}, Case{7.9, -1}, Case{0.0, -1}})
        EXPECT_EQ(lookup.CreditedNote(c.frequency), c.note) << c.frequency;
}

TEST(AnalyzeSelection, CreditsASteadyToneToTheNoteThatSounds)
{
    RecordingMessageSink messages;
    struct Case {
        double frequency;
        std::size_t note;
    };
    for (const Case& c : {Case{440.0, 69}, Case{261.63, 60}, Case{880.0, 81}, Case{110.0, 45}}) {
        const auto bytes = SineBytes(c.frequency, 44100);
        const NoteStrengths strengths = AnalyzeSelection(messages, Mono16(bytes), {1000, 500, 500 + 2 * 8192});
        EXPECT_EQ(Strongest(strengths), c.note) << c.frequency << " Hz";
        // Nothing near the strongest an octave up.
        EXPECT_LT(strengths[c.note + 12], strengths[c.note] / 10) << c.frequency << " Hz";
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST(AnalyzeSelection, AnEightBitTuneCreditsTheNotesAsTheSameSoundAtSixteenBits)
{
    RecordingMessageSink messages;
    // A4 and the C4 below it at 16 bits, and the same rounded to unsigned 8 bits.
    std::vector<std::uint8_t> sixteen;
    std::vector<std::uint8_t> eight;
    for (std::size_t i = 0; i < 44100; ++i) {
        const double t = double(i) / 44100.0;
        const double v = 0.35 * std::sin(2 * std::numbers::pi * 440.0 * t) + 0.25 * std::sin(2 * std::numbers::pi * 261.63 * t);
        const auto byte = static_cast<std::uint8_t>(std::lround(128 + 127 * v));
        const auto s16 = static_cast<std::int16_t>((int{byte} - 128) * 256);
        sixteen.push_back(static_cast<std::uint8_t>(s16 & 0xFF));
        sixteen.push_back(static_cast<std::uint8_t>((s16 >> 8) & 0xFF));
        eight.push_back(byte);
    }
    const AnalysisRange range{1000, 500, 500 + 2 * 8192};
    const NoteStrengths from16 = AnalyzeSelection(messages, Mono16(sixteen), range);
    const NoteStrengths from8 = AnalyzeSelection(messages, {eight.data(), eight.size(), 44100, 1, 8}, range);
    EXPECT_EQ(Strongest(from8), 69u) << "not the low notes of the unsigned offset";
    for (std::size_t note : {std::size_t{60}, std::size_t{69}})
        EXPECT_NEAR(from8[note], from16[note], 0.01 * from16[note]) << note;
    EXPECT_LT(from8[20], from8[69] / 100) << "silence is 128, not a low note";
    EXPECT_TRUE(messages.messages.empty());
}

TEST(AnalyzeSelection, SumsTheWholeBlocksAndLeavesTheRestOut)
{
    RecordingMessageSink messages;
    // Silence, then the tone: only the second block of the selection hears it.
    auto bytes = SineBytes(0.0, 8192);
    const auto tone = SineBytes(440.0, 3 * 8192);
    bytes.insert(bytes.end(), tone.begin(), tone.end());
    const TuneSamples tune = Mono16(bytes);
    const NoteStrengths one = AnalyzeSelection(messages, tune, {0, 8192, 2 * 8192});
    const NoteStrengths two = AnalyzeSelection(messages, tune, {0, 0, 2 * 8192 + 8191});
    for (std::size_t note = 0; note < one.size(); ++note) EXPECT_DOUBLE_EQ(two[note], one[note]) << note;
    EXPECT_GT(one[69], 0.0);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(AnalyzeSelection, GivesNothingForAnEmptyReversedOrSingleFrameSelection)
{
    const auto bytes = SineBytes(440.0, 20000);
    struct Case {
        std::int64_t start, end;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases{
        {100, 100, {"Area is not marked at all."}},
        {100, 50, {}},  // pressed, not yet released
        {100, 101, {"CFourierTransform:2の乗数でなければなりません。"}},
    };
    for (const Case& c : cases) {
        RecordingMessageSink messages;
        const NoteStrengths strengths = AnalyzeSelection(messages, Mono16(bytes), {0, c.start, c.end});
        EXPECT_TRUE(std::all_of(strengths.begin(), strengths.end(), [](double s) { return s == 0.0; })) << c.start;
        EXPECT_EQ(messages.Texts(), c.messages) << c.start;
    }
    // 3 frames: one block of 2, whose one line (0 Hz) lies outside the analysed range.
    RecordingMessageSink messages;
    const NoteStrengths tiny = AnalyzeSelection(messages, Mono16(bytes), {0, 7, 10});
    EXPECT_TRUE(std::all_of(tiny.begin(), tiny.end(), [](double s) { return s == 0.0; }));
    EXPECT_TRUE(messages.messages.empty());
}

TEST(AddHarmonicWeights, AddsOctavesAndTheFifthCountingMissingNeighboursAsTheNoteItself)
{
    NoteStrengths strengths{};
    strengths[60] = 100;
    AddHarmonicWeights(strengths);
    NoteStrengths expected{};
    expected[60] = 100;
    expected[48] = 40;
    expected[72] = 40;
    expected[53] = 30;
    for (std::size_t note = 0; note < expected.size(); ++note) EXPECT_NEAR(strengths[note], expected[note], 1e-9) << note;

    NoteStrengths edges{};
    edges[5] = 100;    // no octave below
    edges[120] = 100;  // no octave above
    edges[125] = 100;  // no octave above and no fifth
    AddHarmonicWeights(edges);
    EXPECT_NEAR(edges[5], 140, 1e-9);
    EXPECT_NEAR(edges[17], 40, 1e-9);
    EXPECT_NEAR(edges[120], 140, 1e-9);
    EXPECT_NEAR(edges[108], 40, 1e-9);
    EXPECT_NEAR(edges[125], 170, 1e-9);
    EXPECT_NEAR(edges[113], 40 + 30, 1e-9);  // octave below 125, fifth below 120
    EXPECT_NEAR(edges[118], 30, 1e-9);
}

TEST(NormalizeTo, ScalesTheLargestToTheCeilingAndLeavesAllZeroValuesAtZero)
{
    std::vector<double> values{0, 50, 200, 100};
    NormalizeTo(values, 1000);
    EXPECT_EQ(values, (std::vector<double>{0, 250, 1000, 500}));

    std::vector<double> zeros(128, 0.0);
    NormalizeTo(zeros, 255);
    for (double v : zeros) ASSERT_EQ(v, 0.0);
}

TEST(PartKeyValues, ScalesThePartTo255AndLeavesTheOtherNotesRaw)
{
    RecordingMessageSink messages;
    const auto bytes = SineBytes(440.0, 44100);
    const TuneSamples tune = Mono16(bytes);
    const AnalysisRange range{0, 0, 8192};
    NoteStrengths raw = AnalyzeSelection(messages, tune, range);
    AddHarmonicWeights(raw);

    const auto mid = PartKeyValues(messages, tune, range, kMidPart);
    EXPECT_EQ(mid[69], 255);
    for (int note = 60; note <= 96; ++note) EXPECT_LE(mid[static_cast<std::size_t>(note)], 255) << note;
    EXPECT_EQ(mid[40], static_cast<int>(raw[40]));
    EXPECT_GT(mid[57], 255) << "the octave below gets its raw weighted sum outside the part";

    const auto high = PartKeyValues(messages, tune, range, kHighPart);
    EXPECT_EQ(high[69], static_cast<int>(raw[69]));
    EXPECT_EQ(high[static_cast<std::size_t>(std::max_element(raw.begin() + 84, raw.begin() + 121) - raw.begin())], 255);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(FrequencyListValues, WeighsTheHarmonicsOnlyWhenAsked)
{
    RecordingMessageSink messages;
    const auto bytes = SineBytes(440.0, 44100);
    const AnalysisRange range{0, 0, 8192};
    const NoteStrengths plain = FrequencyListValues(messages, Mono16(bytes), range, false);
    const NoteStrengths weighted = FrequencyListValues(messages, Mono16(bytes), range, true);
    EXPECT_EQ(plain[69], 1000.0);
    EXPECT_EQ(weighted[69], 1000.0);
    EXPECT_GT(weighted[57], plain[57] + 300) << "0.4 of note 69 joins its octave below";
    EXPECT_GT(weighted[62], plain[62] + 200) << "0.3 of note 69 joins the note a fifth below it";
}

TEST(FrequencyListLine, PrintsNumberOctaveNameStrengthAndABarOfHundreds)
{
    struct Case {
        int note;
        double strength;
        const char* line;
    };
    for (const Case& c : {Case{69, 1000.0, "069 [03 A ] 1000 **********"}, Case{62, 250.0, "062 [03 D ] 0250 **"},
                          Case{0, 0.0, "000 [-2 C ] 0000 "}, Case{127, 99.9, "127 [08 G ] 0099 "},
                          Case{61, 999.99, "061 [03 C#] 0999 *********"}, Case{60, 100.0, "060 [03 C ] 0100 *"}})
        EXPECT_EQ(FrequencyListLine(c.note, c.strength), c.line) << c.note;

    NoteStrengths strengths{};
    strengths[69] = 1000;
    const auto lines = FrequencyListLines(strengths);
    ASSERT_EQ(lines.size(), 128u);
    EXPECT_EQ(lines[69], "069 [03 A ] 1000 **********");
    EXPECT_EQ(lines[12], "012 [-1 C ] 0000 ");
}

}  // namespace
}  // namespace harkwell
