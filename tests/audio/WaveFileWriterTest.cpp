#include "audio/WaveData.h"
#include "audio/WaveFileWriter.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace harkwell {
namespace {

using testing::ReadBytes;
using testing::RecordingMessageSink;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

std::uint32_t Read32(const Bytes& bytes, std::size_t at)
{
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 | std::uint32_t{bytes[at + 2]} << 16 |
           std::uint32_t{bytes[at + 3]} << 24;
}

std::uint16_t Read16(const Bytes& bytes, std::size_t at) { return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8); }

std::string Id(const Bytes& bytes, std::size_t at) { return {bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at) + 4}; }

class WaveFileWriterTest : public ::testing::Test {
protected:
    TempDir dir_;
    std::string path_ = dir_.File("track.wav");
    RecordingMessageSink sink_;
};

TEST_F(WaveFileWriterTest, WritesTheExactLayoutWithAPadAfterOddData)
{
    WaveFileWriter writer(sink_);
    ASSERT_EQ(writer.Open(path_, 44100, 16, 2), WaveFileStatus::Done);
    const std::uint8_t first[] = {0x11, 0x22};
    const std::uint8_t second[] = {0x33};
    EXPECT_EQ(writer.Write(first, 2), WaveWriteResult::Appended);
    EXPECT_EQ(writer.Write(second, 1), WaveWriteResult::Appended);
    EXPECT_EQ(writer.Close(), WaveFileStatus::Done);
    EXPECT_FALSE(writer.IsOpen());

    const Bytes file = ReadBytes(path_);
    ASSERT_EQ(file.size(), 50u);
    EXPECT_EQ(Id(file, 0), "RIFF");
    EXPECT_EQ(Read32(file, 4), 42u);
    EXPECT_EQ(Id(file, 8), "WAVE");
    EXPECT_EQ(Id(file, 12), "fmt ");
    EXPECT_EQ(Read32(file, 16), 18u);
    EXPECT_EQ(Read16(file, 20), 1u);
    EXPECT_EQ(Read16(file, 22), 2u);
    EXPECT_EQ(Read32(file, 24), 44100u);
    EXPECT_EQ(Read32(file, 28), 176400u);
    EXPECT_EQ(Read16(file, 32), 4u);
    EXPECT_EQ(Read16(file, 34), 16u);
    EXPECT_EQ(Read16(file, 36), 0u);
    EXPECT_EQ(Id(file, 38), "data");
    EXPECT_EQ(Read32(file, 42), 3u);
    EXPECT_EQ(Bytes(file.begin() + 46, file.end()), (Bytes{0x11, 0x22, 0x33, 0x00}));
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(WaveFileWriterTest, RoundTripsThroughTheReader)
{
    struct Case {
        std::uint32_t rate;
        std::uint16_t bits, channels;
        std::size_t bytes;
    };
    const Case cases[] = {{44100, 16, 2, 4 * 1000}, {8000, 8, 1, 3}, {22050, 8, 2, 0}, {48000, 16, 1, 2 * 777}};
    for (const auto& c : cases) {
        Bytes samples(c.bytes);
        for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 31 + 5);
        WaveFileWriter writer(sink_);
        ASSERT_EQ(writer.Open(path_, c.rate, c.bits, c.channels), WaveFileStatus::Done);
        // In pieces, as the extraction writes.
        for (std::size_t at = 0; at < samples.size(); at += 100)
            ASSERT_EQ(writer.Write(samples.data() + at, std::min<std::size_t>(100, samples.size() - at)),
                      WaveWriteResult::Appended);
        ASSERT_EQ(writer.Close(), WaveFileStatus::Done);

        auto wave = WaveData::Load(path_, sink_);
        ASSERT_TRUE(wave) << c.rate;
        EXPECT_EQ(wave->Header().fmtSize, 18u);
        const std::uint16_t blockAlign = static_cast<std::uint16_t>(c.bits / 8 * c.channels);
        EXPECT_EQ(wave->Format(), (WaveFormat{1, c.channels, c.rate, c.rate * blockAlign, blockAlign, c.bits}));
        EXPECT_EQ(Bytes(wave->Samples().begin(), wave->Samples().end()), samples);
    }
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(WaveFileWriterTest, RefusesAnEmptyPathAndASecondOpen)
{
    WaveFileWriter writer(sink_);
    EXPECT_EQ(writer.Open("", 44100, 16, 2), WaveFileStatus::NoFileName);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(sink_.Texts(), Texts{"ファイル名がありません。"});

    ASSERT_EQ(writer.Open(path_, 44100, 16, 2), WaveFileStatus::Done);
    const std::uint8_t frame[] = {1, 2, 3, 4};
    ASSERT_EQ(writer.Write(frame, 4), WaveWriteResult::Appended);
    const std::string other = dir_.File("other.wav");
    EXPECT_EQ(writer.Open(other, 8000, 8, 1), WaveFileStatus::AlreadyOpen);
    EXPECT_EQ(sink_.Texts(), (Texts{"ファイル名がありません。", "ファイルはオープン済みです。"}));
    EXPECT_FALSE(std::filesystem::exists(other));
    ASSERT_EQ(writer.Close(), WaveFileStatus::Done);

    auto wave = WaveData::Load(path_, sink_);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->Format().samplesPerSec, 44100u);
    EXPECT_EQ(wave->Length(), 4u);
    for (const auto& message : sink_.messages) EXPECT_EQ(message.kind, MessageKind::Plain);
}

TEST_F(WaveFileWriterTest, ClosingWithoutOpenDoesNothing)
{
    WaveFileWriter writer(sink_);
    EXPECT_EQ(writer.Close(), WaveFileStatus::Done);
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(WaveFileWriterTest, ReportsFilesThatCannotBeCreatedOrFinished)
{
    WaveFileWriter writer(sink_);
    EXPECT_EQ(writer.Open(dir_.File("no/such/folder.wav"), 44100, 16, 2), static_cast<WaveFileStatus>(ENOENT));
    EXPECT_EQ(sink_.Texts(), Texts{"ファイルの作成に失敗しました。"});
    EXPECT_EQ(writer.Close(), WaveFileStatus::Done);

    // A full disk: the buffered bytes cannot be flushed, and Close says so.
    RecordingMessageSink fullSink;
    WaveFileWriter full(fullSink);
    ASSERT_EQ(full.Open("/dev/full", 44100, 16, 2), WaveFileStatus::Done);
    const std::uint8_t frame[] = {1, 2, 3, 4};
    ASSERT_EQ(full.Write(frame, 4), WaveWriteResult::Appended);
    EXPECT_EQ(full.Close(), static_cast<WaveFileStatus>(ENOSPC));
    EXPECT_EQ(fullSink.Texts().back(), "ファイルのクローズに失敗しました。");
    EXPECT_FALSE(full.IsOpen());
}

TEST_F(WaveFileWriterTest, WriteWithoutAFileFails)
{
    WaveFileWriter writer(sink_);
    const std::uint8_t byte = 0;
    EXPECT_EQ(writer.Write(&byte, 1), WaveWriteResult::Failed);
    EXPECT_EQ(sink_.Texts(), Texts{"データの書き込みに失敗しました。"});
}

TEST_F(WaveFileWriterTest, AWriterDestroyedOpenLeavesACompleteFile)
{
    {
        WaveFileWriter writer(sink_);
        ASSERT_EQ(writer.Open(path_, 44100, 16, 1), WaveFileStatus::Done);
        const std::uint8_t samples[] = {1, 0, 2, 0};
        ASSERT_EQ(writer.Write(samples, 4), WaveWriteResult::Appended);
    }
    auto wave = WaveData::Load(path_, sink_);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->Frames(), 2u);
    EXPECT_TRUE(sink_.messages.empty());
}

// Every file of the folder by name, what the writer left included.
std::vector<std::string> FolderNames(const TempDir& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

Bytes WriteOddFile(WaveFileWriter& writer, const std::string& path, WaveWriteMode mode)
{
    EXPECT_EQ(writer.Open(path, 44100, 16, 2, mode), WaveFileStatus::Done);
    const std::uint8_t samples[] = {0x11, 0x22, 0x33};
    EXPECT_EQ(writer.Write(samples, 3), WaveWriteResult::Appended);
    EXPECT_EQ(writer.Close(), WaveFileStatus::Done);
    return ReadBytes(path);
}

TEST_F(WaveFileWriterTest, AReplacementKeepsTheOldFileUntilCloseAndWritesTheSameBytes)
{
    WaveFileWriter inPlace(sink_);
    const Bytes expected = WriteOddFile(inPlace, dir_.File("in-place.wav"), WaveWriteMode::InPlace);

    testing::WriteBytes(path_, {1, 2, 3});
    ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
    WaveFileWriter writer(sink_);
    ASSERT_EQ(writer.Open(path_, 44100, 16, 2, WaveWriteMode::ReplaceOnClose), WaveFileStatus::Done);
    const std::uint8_t samples[] = {0x11, 0x22, 0x33};
    ASSERT_EQ(writer.Write(samples, 3), WaveWriteResult::Appended);
    EXPECT_EQ(ReadBytes(path_), (Bytes{1, 2, 3}));
    EXPECT_EQ(FolderNames(dir_).size(), 3u);  // the old file, the other one and the temporary
    EXPECT_EQ(writer.Close(), WaveFileStatus::Done);

    EXPECT_EQ(ReadBytes(path_), expected);
    EXPECT_EQ(FolderNames(dir_), (std::vector<std::string>{"in-place.wav", "track.wav"}));
    struct stat info {};
    ASSERT_EQ(stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(WaveFileWriterTest, AReplacementNotClosedRemovesOnlyItsTemporaryFile)
{
    testing::WriteBytes(path_, {1, 2, 3});
    {
        WaveFileWriter writer(sink_);
        ASSERT_EQ(writer.Open(path_, 44100, 16, 1, WaveWriteMode::ReplaceOnClose), WaveFileStatus::Done);
        const std::uint8_t samples[] = {1, 0, 2, 0};
        ASSERT_EQ(writer.Write(samples, 4), WaveWriteResult::Appended);
    }
    EXPECT_EQ(ReadBytes(path_), (Bytes{1, 2, 3}));
    EXPECT_EQ(FolderNames(dir_), std::vector<std::string>{"track.wav"});
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(WaveFileWriterTest, AReplacementRefusesWhatIsNotARegularFile)
{
    ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
    WaveFileWriter writer(sink_);
    EXPECT_NE(writer.Open(path_, 44100, 16, 1, WaveWriteMode::ReplaceOnClose), WaveFileStatus::Done);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(sink_.Texts(), Texts{"ファイルの作成に失敗しました。 [" + path_ + ": a FIFO, not a regular file]"});
    struct stat info {};
    ASSERT_EQ(lstat(path_.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// A child process writes a replacement and is killed in the middle of it, or
// runs out of room (a file size limit): the old file stays whole either way.
TEST_F(WaveFileWriterTest, AKilledOrFailedReplacementLeavesTheOldFileWhole)
{
    const Bytes old = {9, 8, 7, 6};
    for (const bool killed : {true, false}) {
        testing::WriteBytes(path_, old);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4096, 4096};
            if (!killed) setrlimit(RLIMIT_FSIZE, &limit);
            RecordingMessageSink sink;
            WaveFileWriter writer(sink);
            if (writer.Open(path_, 44100, 16, 1, WaveWriteMode::ReplaceOnClose) != WaveFileStatus::Done) _exit(3);
            const Bytes samples(1000, 0x55);
            for (int i = 0; i < 10; ++i) {
                if (writer.Write(samples.data(), samples.size()) != WaveWriteResult::Appended) break;
                if (killed && i == 4) raise(SIGKILL);
            }
            _exit(writer.Close() == WaveFileStatus::Done ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (killed) {
            EXPECT_TRUE(WIFSIGNALED(status));
        } else {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 1);
        }
        EXPECT_EQ(ReadBytes(path_), old) << killed;
        // A kill leaves its temporary file behind, a failure does not.
        EXPECT_EQ(FolderNames(dir_).size(), killed ? 2u : 1u);
        for (const std::string& name : FolderNames(dir_))
            if (name != "track.wav") std::filesystem::remove(dir_.File(name));
    }
}

}  // namespace
}  // namespace harkwell
