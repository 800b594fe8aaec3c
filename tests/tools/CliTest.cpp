#include "fakes/CliRunner.h"
#include "fakes/TempDir.h"
#include "fakes/WavBuilder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace harkwell {
namespace {

using testing::TempDir;
using testing::WavBuilder;

using testing::CliResult;
using testing::RunCli;

TEST(CliInfo, PrintsTheTuneAsTheProgramLoadsIt)
{
    TempDir dir;
    const std::string path = dir.File("tune.wav");
    testing::WriteBytes(path, WavBuilder()
                                  .Riff()
                                  .Format(2, 44100, 16, 18)
                                  .Chunk("LIST", {1, 2})
                                  .Chunk("data", WavBuilder::Samples16({1, 2, 3, 4, 5, 6}))
                                  .Build());
    const CliResult result = RunCli(dir, "info '" + path + "'");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              "channels=1\nsamplesPerSec=44100\navgBytesPerSec=88200\nblockAlign=2\nbitsPerSample=16\n"
              "fmtSize=18\ndataSize=12\nlength=6\nframes=3\n");
    EXPECT_EQ(result.err, "message: file is different format [LIST]\n");
}

TEST(CliInfo, ExitsWithOneWhenTheTuneIsRefused)
{
    TempDir dir;
    const std::string path = dir.File("broken.wav");
    testing::WriteBytes(path, WavBuilder()
                                  .Riff()
                                  .Chunk("fmt ", WavBuilder::FormatBody(1, 44100, 16, 16, 4))
                                  .Chunk("data", {0, 0, 0, 0})
                                  .Build());
    CliResult result = RunCli(dir, "info '" + path + "'");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "message: block size does not fit the format [4]\n");

    result = RunCli(dir, "info '" + dir.File("missing.wav") + "'");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "message: file is not found\n");
}

TEST(CliInfo, ExitsWithTwoForWrongUsage)
{
    TempDir dir;
    for (const char* arguments : {"", "info", "info a.wav b.wav", "play a.wav"}) {
        const CliResult result = RunCli(dir, arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_EQ(result.err.rfind("usage: harkwell-cli", 0), 0u) << arguments;
    }
}

}  // namespace
}  // namespace harkwell
