#include "fakes/CliRunner.h"
#include "fakes/TempDir.h"
#include "fakes/WavBuilder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <numbers>
#include <sstream>

namespace harkwell {
namespace {

using testing::TempDir;
using testing::WavBuilder;

using testing::CliResult;
using testing::RunCli;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// "analyze 'TUNE' REST", built up piece by piece.
std::string Analyze(const std::string& tune, const std::string& rest)
{
    std::string arguments = "analyze '";
    arguments += tune;
    arguments += "' ";
    arguments += rest;
    return arguments;
}

// One second of a stereo 440 Hz tone, the second channel silent: the program
// hears it at half strength after mixing to mono.
std::string WriteTone(const TempDir& dir)
{
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 44100; ++i) {
        samples.push_back(static_cast<std::int16_t>(16000 * std::sin(2 * std::numbers::pi * 440.0 * i / 44100.0)));
        samples.push_back(0);
    }
    const std::string path = dir.File("a4.wav");
    testing::WriteBytes(path, WavBuilder().Riff().Format(2, 44100, 16).Chunk("data", WavBuilder::Samples16(samples)).Build());
    return path;
}

TEST(CliAnalyze, PrintsTheFrequencyListOfTheSelection)
{
    TempDir dir;
    const std::string tune = WriteTone(dir);
    const CliResult weighted = RunCli(dir, Analyze(tune, "1000 20000"));
    EXPECT_EQ(weighted.exitCode, 0);
    EXPECT_EQ(weighted.err, "");
    const auto lines = Lines(weighted.out);
    ASSERT_EQ(lines.size(), 128u);
    EXPECT_EQ(lines[0].substr(0, 10), "000 [-2 C ");
    EXPECT_EQ(lines[69], "069 [03 A ] 1000 **********");
    EXPECT_EQ(lines[127].substr(0, 10), "127 [08 G ");

    // Without the weighting the octave below hears next to nothing of A4; with
    // it, 0.4 of A4.
    const auto plain = Lines(RunCli(dir, Analyze(tune, "1000 20000 --harmonics off")).out);
    ASSERT_EQ(plain.size(), 128u);
    EXPECT_EQ(plain[69], lines[69]);
    EXPECT_EQ(plain[57].rfind("057 [02 A ] 00", 0), 0u) << plain[57];
    EXPECT_EQ(lines[57].rfind("057 [02 A ] 04", 0), 0u) << lines[57];
    EXPECT_EQ(lines[57].substr(17), "****");
    EXPECT_EQ(Lines(RunCli(dir, Analyze(tune, "1000 20000 --harmonics on")).out), lines);
}

TEST(CliAnalyze, PrintsWhatEachPartButtonHandsToTheKeys)
{
    TempDir dir;
    const std::string tune = WriteTone(dir);
    const CliResult mid = RunCli(dir, Analyze(tune, "0 9000 --part mid"));
    EXPECT_EQ(mid.exitCode, 0);
    const auto lines = Lines(mid.out);
    ASSERT_EQ(lines.size(), 128u);
    EXPECT_EQ(lines[69], "69 255");
    for (int note = 60; note <= 96; ++note) {
        std::istringstream line(lines[static_cast<std::size_t>(note)]);
        int number = -1, value = -1;
        line >> number >> value;
        EXPECT_EQ(number, note);
        EXPECT_GE(value, 0);
        EXPECT_LE(value, 255) << note;
    }
    // A4 lies outside the high part: it keeps its raw weighted sum.
    const auto high = Lines(RunCli(dir, Analyze(tune, "0 9000 --part high")).out);
    ASSERT_EQ(high.size(), 128u);
    std::istringstream a4(high[69]);
    int number = -1, raw = -1;
    a4 >> number >> raw;
    EXPECT_EQ(number, 69);
    EXPECT_GT(raw, 10000);
}

TEST(CliAnalyze, TellsAnEmptySelectionAndRefusesOneBeyondTheTune)
{
    TempDir dir;
    const std::string tune = WriteTone(dir);
    const CliResult empty = RunCli(dir, Analyze(tune, "500 500"));
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.err, "message: Area is not marked at all.\n");
    EXPECT_EQ(Lines(empty.out)[69], "069 [03 A ] 0000 ");

    const CliResult beyond = RunCli(dir, Analyze(tune, "0 44100"));
    EXPECT_EQ(beyond.exitCode, 1);
    EXPECT_EQ(beyond.out, "");
    EXPECT_EQ(beyond.err, "message: selection 0..44100 lies beyond the tune's last frame 44099\n");

    const CliResult missing = RunCli(dir, Analyze(dir.File("none.wav"), "0 10"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "message: file is not found\n");
}

TEST(CliAnalyze, GuessPrintsTheNotesThatSoundAndNothingElse)
{
    TempDir dir;
    const std::string tune = WriteTone(dir);
    const CliResult guess = RunCli(dir, Analyze(tune, "1000 20000 --guess"));
    EXPECT_EQ(guess.exitCode, 0);
    EXPECT_EQ(guess.err, "");
    const std::vector<std::string> lines = Lines(guess.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "69 A4");
    for (const std::string& line : lines) EXPECT_TRUE(line.find(' ') != std::string::npos && line.size() <= 8) << line;

    const CliResult tooShort = RunCli(dir, Analyze(tune, "1000 1500 --guess"));
    EXPECT_EQ(tooShort.exitCode, 1);
    EXPECT_EQ(tooShort.out, "");
    EXPECT_EQ(tooShort.err, "message: selection too short for a note guess: at least 1024 frames are needed\n");
}

TEST(CliAnalyze, ExitsWithTwoForWrongUsage)
{
    TempDir dir;
    for (const char* arguments :
         {"analyze", "analyze a.wav 0", "analyze a.wav x 10", "analyze a.wav 10 5", "analyze a.wav -1 5",
          "analyze a.wav 0 10 --part middle", "analyze a.wav 0 10 --part", "analyze a.wav 0 10 --harmonics yes",
          "analyze a.wav 0 10 --part low --part mid", "analyze a.wav 0 10 --part low --harmonics off",
          "analyze a.wav 0 10 extra", "analyze a.wav 0 10 --guess --guess", "analyze a.wav 0 10 --guess --part low",
          "analyze a.wav 0 10 --harmonics on --guess"}) {
        const CliResult result = RunCli(dir, arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_EQ(result.err.rfind("usage: harkwell-cli analyze", 0), 0u) << arguments;
    }
}

}  // namespace
}  // namespace harkwell
