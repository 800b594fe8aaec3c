#include "audio/WaveData.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/CliRunner.h"
#include "fakes/TempDir.h"
#include "fakes/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using testing::TempDir;
using testing::WavBuilder;

using testing::CliResult;
using testing::RunCli;

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// One second of a 100 Hz sine at 44100 Hz: splice points every 882 samples.
std::vector<std::int16_t> Sine100(int channels)
{
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 44100; ++i) {
        const auto s = static_cast<std::int16_t>(std::lround(10000 * std::sin(2 * std::acos(-1.0) * 100 * i / 44100)));
        samples.insert(samples.end(), static_cast<std::size_t>(channels), s);
    }
    return samples;
}

void WriteTune(const std::string& path, std::uint16_t channels, std::uint16_t bits, const WavBuilder::Bytes& data)
{
    testing::WriteBytes(path, WavBuilder().Riff().Format(channels, 44100, bits).Chunk("data", data).Build());
}

TEST(CliStretch, WritesTheTuneAtTheNewSpeed)
{
    TempDir dir;
    const std::string in = dir.File("in.wav"), out = dir.File("out.wav");
    WriteTune(in, 2, 16, WavBuilder::Samples16(Sine100(2)));

    // Twice as fast: of the 50 stretches of 882 samples every other one goes.
    CliResult result = RunCli(dir, "stretch " + Quoted(in) + " 2 " + Quoted(out));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "frames_in=44100 frames_out=22050\n");
    EXPECT_EQ(result.err, "");
    RecordingMessageSink sink;
    std::optional<WaveData> written = WaveData::Load(out, sink);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->Format(), (WaveFormat{1, 1, 44100, 88200, 2, 16}));
    EXPECT_EQ(written->Frames(), 22050u);
    EXPECT_TRUE(sink.messages.empty());

    // Half as fast: the same as the engine gives the same tune.
    result = RunCli(dir, "stretch " + Quoted(in) + " 0.5 " + Quoted(out));
    std::optional<WaveData> expected = WaveData::Load(in, sink);
    ASSERT_TRUE(expected);
    expected->MixToMono();
    ASSERT_TRUE(expected->ChangeSpeed(0.5, 8, sink));
    ASSERT_NEAR(double(expected->Frames()), 88200, 2);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "frames_in=44100 frames_out=" + std::to_string(expected->Frames()) + "\n");
    written = WaveData::Load(out, sink);
    ASSERT_TRUE(written);
    EXPECT_TRUE(std::ranges::equal(written->Samples(), expected->Samples()));
    EXPECT_TRUE(sink.messages.empty());
}

TEST(CliStretch, ExitsWithOneAndWritesNothingWhenRefused)
{
    TempDir dir;
    const std::string good = dir.File("good.wav"), eightBit = dir.File("eight.wav"), out = dir.File("out.wav");
    WriteTune(good, 1, 16, WavBuilder::Samples16(Sine100(1)));
    WriteTune(eightBit, 1, 8, WavBuilder::Bytes(1000, 0x80));
    const struct {
        std::string in, out, err;
    } cases[] = {
        {dir.File("missing.wav"), out, "message: file is not found\n"},
        {eightBit, out, "message: sample width is not supported for speed change [8 bits]\n"},
        {good, dir.File("no-such-folder/out.wav"),
         "message: ファイルの作成に失敗しました。 [" + dir.File("no-such-folder") + ": No such file or directory]\n"},
    };
    for (const auto& c : cases) {
        const CliResult result = RunCli(dir, "stretch " + Quoted(c.in) + " 1.5 " + Quoted(c.out));
        EXPECT_EQ(result.exitCode, 1) << c.in;
        EXPECT_EQ(result.out, "") << c.in;
        EXPECT_EQ(result.err, c.err) << c.in;
        EXPECT_FALSE(std::filesystem::exists(c.out)) << c.in;
    }
}

// The command in a shell whose file size limit lets OUT grow to 8 KiB only:
// past it the command is killed (SIGXFSZ), or, with the signal ignored, its
// writes fail as on a full disk.
int RunWithFileSizeLimit(const std::string& arguments, bool ignoreTheSignal)
{
    std::string script = "ulimit -c 0; ulimit -f 16; ";
    if (ignoreTheSignal) script += "trap '' XFSZ; ";
    script += "exec '" + std::string(HARKWELL_CLI_PATH) + "' " + arguments + " >/dev/null 2>&1";
    const std::string command = "sh -c \"" + script + "\"";
    return std::system(command.c_str());
}

TEST(CliStretch, AKilledOrFailedWriteLeavesTheOldOutWholeAndNothingElse)
{
    TempDir dir;
    const std::string in = dir.File("in.wav"), out = dir.File("out.wav");
    WriteTune(in, 1, 16, WavBuilder::Samples16(Sine100(1)));
    const std::vector<std::uint8_t> old = {1, 2, 3, 4, 5};
    for (const bool ignoreTheSignal : {false, true}) {
        testing::WriteBytes(out, old);
        const int status = RunWithFileSizeLimit("stretch " + Quoted(in) + " 0.5 " + Quoted(out), ignoreTheSignal);
        if (ignoreTheSignal) {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 1);
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) > 128));
        }
        EXPECT_EQ(testing::ReadBytes(out), old) << ignoreTheSignal;
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            if (entry.path() != in && entry.path() != out) left.push_back(entry.path().filename());
        // A kill cannot tidy up after itself; a failure removes its temporary file.
        EXPECT_EQ(left.size(), ignoreTheSignal ? 0u : 1u) << ignoreTheSignal;
        for (const std::string& name : left) std::filesystem::remove(dir.File(name));
    }
}

TEST(CliStretch, NeverRemovesWhatItDidNotMake)
{
    TempDir dir;
    const std::string in = dir.File("in.wav"), fifo = dir.File("out.wav");
    WriteTune(in, 1, 16, WavBuilder::Samples16(Sine100(1)));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const CliResult result = RunCli(dir, "stretch " + Quoted(in) + " 2 " + Quoted(fifo));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "message: ファイルの作成に失敗しました。 [" + fifo + ": a FIFO, not a regular file]\n");
    struct stat info {};
    ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(CliStretch, ExitsWithTwoForWrongUsage)
{
    TempDir dir;
    const std::string in = Quoted(dir.File("in.wav")), out = Quoted(dir.File("out.wav"));
    WriteTune(dir.File("in.wav"), 1, 16, WavBuilder::Samples16(Sine100(1)));
    const std::string cases[] = {
        "stretch",
        "stretch " + in + " 2",
        "stretch " + in + " 2 " + out + " extra",
        "stretch " + in + " 0 " + out,
        "stretch " + in + " -1 " + out,
        "stretch " + in + " nan " + out,
        "stretch " + in + " inf " + out,
        "stretch " + in + " 1e999 " + out,
        "stretch " + in + " fast " + out,
        "stretch " + in + " 2x " + out,
        "stretch " + in + " '' " + out,
        "stretch " + in + " ' 2' " + out,
        "stretch " + in + " '2 ' " + out,
        "stretch " + in + " 0x2 " + out,
        "stretch " + in + " +2 " + out,
    };
    for (const std::string& arguments : cases) {
        const CliResult result = RunCli(dir, arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_EQ(result.out, "") << arguments;
        EXPECT_NE(result.err.find("usage: harkwell-cli stretch IN.wav SPEED OUT.wav"), std::string::npos) << arguments;
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.wav"))) << arguments;
    }
}

}  // namespace
}  // namespace harkwell
