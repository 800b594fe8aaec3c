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

// The usage of the whole command line shows every command with every option
// and value that the command's own usage names.
TEST(CliInfo, TheUsageListsEveryCommandWithItsOptions)
{
    TempDir dir;
    const std::string usage = RunCli(dir, "").err;
    const std::pair<const char*, const char*> commands[] = {{"analyze", "analyze"},
                                                            {"stretch", "stretch"},
                                                            {"cd bogus", "cd"},
                                                            {"sync-check --bogus", "sync-check"}};
    for (const auto& [arguments, command] : commands) {
        const std::string own = RunCli(dir, arguments).err;
        ASSERT_EQ(own.rfind("usage: harkwell-cli ", 0), 0u) << arguments;
        EXPECT_NE(usage.find(std::string("harkwell-cli ") + command), std::string::npos) << command;
        // Each option with its values, as the command's own usage writes it.
        for (std::size_t at = own.find("--"); at != std::string::npos; at = own.find("--", at + 2)) {
            std::size_t end = own.find_first_of(" ]\n", at);
            if (own.compare(end, 1, " ") == 0 && std::string("|-(").find(own[end + 1]) == std::string::npos)
                end = own.find_first_of(" ]\n", end + 1);  // and the value it takes
            const std::string option = own.substr(at, end - at);
            EXPECT_NE(usage.find(option), std::string::npos) << option << " of " << command << " in\n" << usage;
        }
    }
    for (const char* subcommand : {"cd drives", "cd toc DEVICE", "cd rip DEVICE TRACK OUT.wav"})
        EXPECT_NE(usage.find(subcommand), std::string::npos) << subcommand;
}

}  // namespace
}  // namespace harkwell
