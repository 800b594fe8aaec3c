#include "analysis/NoteGuess.h"
#include "analysis/BlockAverage.h"
#include "analysis/BandWhitening.h"

#include "GuessMaterial.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace harkwell {
namespace {

constexpr std::uint32_t kRate = 44100;

std::vector<int> Notes(const NoteGuess& guess)
{
    std::vector<int> notes;
    for (const NoteSalience& n : guess.notes) notes.push_back(n.note);
    return notes;
}

TEST(NoteGuess, HearsSingleNotesAndChordsOfHarmonicAndStiffTones)
{
    struct Case {
        std::vector<int> notes;
        double stiffness;
    };
    const std::vector<Case> cases{
        {{36}, 0.0}, {{36}, 0.0004}, {{69}, 0.0}, {{69}, 0.0001}, {{96}, 0.0},
        {{60, 64, 67}, 0.0}, {{48, 55, 64}, 0.0002}, {{45, 48, 52}, 0.0},
    };
    for (const Case& c : cases) {
        const TestPiece piece = InharmonicTone(c.notes, c.stiffness, kRate, 3);
        const NoteGuess guess = GuessNotes(piece.Tune(), HeldRange(piece, 1.0));
        ASSERT_EQ(guess.outcome, NoteGuess::Outcome::Guessed);
        ASSERT_GE(guess.notes.size(), c.notes.size()) << c.notes.front();
        std::vector<int> first = Notes(guess);
        first.resize(c.notes.size());
        std::sort(first.begin(), first.end());
        EXPECT_EQ(first, c.notes) << "stiffness " << c.stiffness;
        for (std::size_t i = 1; i < guess.notes.size(); ++i)
            EXPECT_LE(guess.notes[i].salience, guess.notes[i - 1].salience);  // strongest first
    }
}

TEST(NoteGuess, ReadsOnlyTheSelectionOfTheStretch)
{
    // A4 for a second, then C3 for a second; the stretch starts half a second in.
    const int a4[] = {69};
    const int c3[] = {48};
    const TestPiece first = InharmonicTone(a4, 0.0, kRate, 1);
    const TestPiece second = InharmonicTone(c3, 0.0, kRate, 2);
    TestPiece both{first.samples, kRate};
    both.samples.insert(both.samples.end(), second.samples.begin(), second.samples.end());
    const auto length = static_cast<std::int64_t>(first.samples.size());
    const std::int64_t half = kRate / 2;
    const AnalysisRange secondNote{half, length - half + 2205, length - half + 44100};
    EXPECT_EQ(Notes(GuessNotes(both.Tune(), secondNote)), std::vector<int>{48});
    const AnalysisRange firstNote{half, -half + 2205, 0};
    EXPECT_EQ(Notes(GuessNotes(both.Tune(), firstNote)), std::vector<int>{69});
}

TEST(NoteGuess, An8BitTuneIsGuessedAsTheSameSoundAt16Bits)
{
    const int chord[] = {57, 61, 64};
    const TestPiece piece = InharmonicTone(chord, 0.0, kRate, 5);
    std::vector<std::uint8_t> bytes;
    for (std::int16_t s : piece.samples) bytes.push_back(static_cast<std::uint8_t>((s >> 8) + 128));
    const TuneSamples eightBit{bytes.data(), bytes.size(), static_cast<std::int32_t>(kRate), 1, 8};
    const AnalysisRange range = HeldRange(piece, 1.0);
    const NoteGuess wide = GuessNotes(piece.Tune(), range);
    const NoteGuess narrow = GuessNotes(eightBit, range);
    ASSERT_GE(narrow.notes.size(), 3u);
    std::vector<int> narrowNotes = Notes(narrow);
    std::vector<int> wideNotes = Notes(wide);
    narrowNotes.resize(3);
    wideNotes.resize(3);
    EXPECT_EQ(narrowNotes, wideNotes);
}

TEST(NoteGuess, SaysWhyThereIsNoGuess)
{
    const std::vector<std::int16_t> silence(kRate, 0);
    const TuneSamples quiet{reinterpret_cast<const std::uint8_t*>(silence.data()), silence.size() * 2,
                            static_cast<std::int32_t>(kRate), 1, 16};
    const NoteGuess nothing = GuessNotes(quiet, {0, 0, kRate / 2});
    EXPECT_EQ(nothing.outcome, NoteGuess::Outcome::Guessed);
    EXPECT_TRUE(nothing.notes.empty());
    EXPECT_EQ(GuessListLines(nothing), std::vector<std::string>{"Guess: no note heard"});

    const std::int64_t shortest = ShortestGuessedFrames(static_cast<std::int32_t>(kRate));
    EXPECT_EQ(shortest, 1024);
    const NoteGuess tooShort = GuessNotes(quiet, {0, 100, 100 + shortest - 1});
    EXPECT_EQ(tooShort.outcome, NoteGuess::Outcome::TooShort);
    EXPECT_EQ(GuessNotes(quiet, {0, 500, 400}).outcome, NoteGuess::Outcome::TooShort);  // ends before it starts
    EXPECT_EQ(GuessListLines(tooShort), std::vector<std::string>{"Guess: the selection is too short"});
    EXPECT_EQ(GuessNotes(quiet, {0, 100, 100 + shortest}).outcome, NoteGuess::Outcome::Guessed);

    // 24-bit samples are no format the analysis reads; a selection past the end is cut at the last frame.
    const TuneSamples wide{reinterpret_cast<const std::uint8_t*>(silence.data()), silence.size() * 2,
                           static_cast<std::int32_t>(kRate), 1, 24};
    EXPECT_EQ(GuessNotes(wide, {0, 0, 20000}).outcome, NoteGuess::Outcome::Unreadable);
    const TuneSamples noFrames{nullptr, 0, static_cast<std::int32_t>(kRate), 1, 4};
    EXPECT_EQ(GuessNotes(noFrames, {0, 0, 20000}).outcome, NoteGuess::Outcome::Unreadable);
    EXPECT_EQ(GuessNotes(quiet, {0, 40000, 400000}).outcome, NoteGuess::Outcome::Guessed);
    EXPECT_EQ(GuessNotes(quiet, {0, 44000, 400000}).outcome, NoteGuess::Outcome::TooShort);
}

TEST(NoteGuess, TheCommandLineNamesNotesWithTheirOctaveMiddleCBeingC4)
{
    const std::vector<std::pair<int, std::string>> names{{69, "69 A4"}, {60, "60 C4"}, {61, "61 C#4"}, {0, "0 C-1"},
                                                         {127, "127 G9"}, {35, "35 B1"}};
    for (const auto& [note, line] : names) EXPECT_EQ(GuessLine(note), line);
}

// In the frequency list the guess names its notes as the list's own lines do.
TEST(NoteGuess, TheListsGuessNamesNotesAsTheListDoes)
{
    NoteGuess guess;
    guess.outcome = NoteGuess::Outcome::Guessed;
    guess.notes = {{64, 3.0}, {60, 2.0}, {0, 1.0}, {127, 0.5}};
    EXPECT_EQ(GuessListLines(guess), (std::vector<std::string>{"Guess 1: 064 [03 E ]", "Guess 2: 060 [03 C ]",
                                                               "Guess 3: 000 [-2 C ]", "Guess 4: 127 [08 G ]"}));
    for (int note = 0; note < kNoteCount; ++note) {
        guess.notes = {{note, 1.0}};
        const std::string named = GuessListLines(guess).front().substr(std::string("Guess 1: ").size());
        EXPECT_EQ(FrequencyListLine(note, 0).rfind(named + " ", 0), 0u) << note;
    }
}

TEST(BlockAverage, PutsASinesPeakOnItsFrequencyForLongAndShortStretches)
{
    std::vector<std::int16_t> tone(kRate);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<std::int16_t>(10000 * std::sin(2 * std::numbers::pi * 1000.0 * double(i) / kRate));
    const TuneSamples tune{reinterpret_cast<const std::uint8_t*>(tone.data()), tone.size() * 2,
                           static_cast<std::int32_t>(kRate), 1, 16};
    BlockAverage spectrum(static_cast<std::int32_t>(kRate));
    EXPECT_EQ(spectrum.BlockSize(), 8192u);
    for (std::int64_t frames : {44000, 8192, 3000, 1024}) {
        std::vector<double> magnitude;
        ASSERT_TRUE(spectrum.Measure(tune, 100, frames, magnitude)) << frames;
        ASSERT_EQ(magnitude.size(), spectrum.BinCount());
        const auto peak = std::max_element(magnitude.begin(), magnitude.end()) - magnitude.begin();
        EXPECT_NEAR(double(peak) * spectrum.BinHz(), 1000.0, spectrum.BinHz()) << frames;
    }
    std::vector<double> magnitude{1.0};
    EXPECT_FALSE(spectrum.Measure(tune, 100, 1023, magnitude));
    EXPECT_TRUE(magnitude.empty());
    EXPECT_FALSE(spectrum.Measure(tune, 40000, 8192, magnitude));  // beyond the tune
}

TEST(BandWhitening, BringsALoudBassAndAQuietTrebleCloser)
{
    const double binHz = 2.7;
    std::vector<double> magnitude(4096, 1e-3);
    const auto bass = static_cast<std::size_t>(100.0 / binHz);
    const auto treble = static_cast<std::size_t>(3000.0 / binHz);
    magnitude[bass] = 1000.0;
    magnitude[treble] = 1.0;
    WhitenBands(magnitude, binHz);
    EXPECT_LT(magnitude[bass] / magnitude[treble], 1000.0 / 10.0);
    EXPECT_GT(magnitude[bass], magnitude[bass + 20]);  // peaks stay peaks
    EXPECT_GT(magnitude[treble], magnitude[treble + 20]);

    std::vector<double> silent(512, 0.0);
    WhitenBands(silent, binHz);
    EXPECT_EQ(silent, std::vector<double>(512, 0.0));
}

}  // namespace
}  // namespace harkwell
