#include "common/ByteBlock.h"
#include "common/Files.h"

#include "fakes/FifoTrap.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace harkwell {
namespace {

using testing::FifoTrap;
using testing::ReadBytes;
using testing::RecordingMessageSink;
using testing::TempDir;
using testing::WriteBytes;

const std::string kCantOpen = "GENE01000007 Cant open file!";
const std::string kTooLarge = "GENE0100000A data size is too large!";

TEST(ReadFileUpTo, ReportsAFullWorkBufferAsTooLargeButStillSucceeds)
{
    TempDir dir;
    struct Case {
        std::size_t fileSize, maximum;
        bool reported;
    };
    const Case cases[] = {
        {kWorkBufferSize, kWorkBufferSize, true},
        {kWorkBufferSize + 10, kWorkBufferSize, true},
        {kWorkBufferSize - 1, kWorkBufferSize, false},
        {kWorkBufferSize + 10, kWorkBufferSize - 1, false},
        {2000, 1000, false},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File("work.dat");
        std::vector<std::uint8_t> content(c.fileSize);
        for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 7);
        WriteBytes(path, content);
        std::vector<std::uint8_t> buffer(c.maximum);
        std::size_t count = 1;
        RecordingMessageSink sink;
        EXPECT_TRUE(ReadFileUpTo(sink, path, buffer, count));
        const std::size_t expected = std::min(c.fileSize, c.maximum);
        ASSERT_EQ(count, expected);
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + static_cast<long>(expected), content.begin()));
        EXPECT_EQ(sink.Texts(), c.reported ? std::vector<std::string>{kTooLarge} : std::vector<std::string>{})
            << c.fileSize << " into " << c.maximum;
    }
}

TEST(ReadFileUpTo, ShowsThePathThenCantOpenWithTheCauseAndNeverOpensAFifo)
{
    TempDir dir;
    FifoTrap fifo(dir.File("fifo.dat"));
    const struct {
        std::string path, cause;
    } cases[] = {
        {dir.File("missing.dat"), "No such file or directory"},
        {dir.Path().string(), "a folder, not a regular file"},
        {fifo.Path(), "a FIFO, not a regular file"},
        {"/dev/null", "a device, not a regular file"},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> buffer(16);
        std::size_t count = 5;
        RecordingMessageSink sink;
        EXPECT_FALSE(ReadFileUpTo(sink, c.path, buffer, count)) << c.path;
        EXPECT_EQ(count, 0u);
        ASSERT_EQ(sink.messages.size(), 2u);
        EXPECT_EQ(sink.messages[0].text, c.path);
        EXPECT_EQ(sink.messages[0].kind, MessageKind::Plain);
        EXPECT_EQ(sink.messages[1].text, kCantOpen + " [" + c.path + ": " + c.cause + "]");
        EXPECT_EQ(sink.messages[1].kind, MessageKind::SystemModal);
    }
    EXPECT_FALSE(fifo.Sprung());
}

TEST(ReadFileExact, ReportsAShortFileButSucceedsAndRefusesAMissingOne)
{
    TempDir dir;
    WriteBytes(dir.File("short.dat"), {1, 2, 3});
    std::vector<std::uint8_t> buffer(4, 0);
    RecordingMessageSink sink;
    EXPECT_TRUE(ReadFileExact(sink, dir.File("short.dat"), buffer));
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{1, 2, 3, 0}));
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{kTooLarge});

    RecordingMessageSink exactSink;
    std::vector<std::uint8_t> exact(3);
    EXPECT_TRUE(ReadFileExact(exactSink, dir.File("short.dat"), exact));
    EXPECT_TRUE(exactSink.messages.empty());

    RecordingMessageSink missingSink;
    EXPECT_FALSE(ReadFileExact(missingSink, dir.File("none.dat"), buffer));
    EXPECT_EQ(missingSink.Texts(),
              std::vector<std::string>{kCantOpen + " [" + dir.File("none.dat") + ": No such file or directory]"});
}

TEST(WriteWholeFile, ReplacesTheFileWholeAndKeepsItsPermissions)
{
    TempDir dir;
    const std::string path = dir.File("setup.ini");
    WriteBytes(path, std::vector<std::uint8_t>(100, 0xEE));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);

    RecordingMessageSink sink;
    EXPECT_TRUE(WriteWholeFile(sink, path, std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{1, 2, 3}));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_TRUE(sink.messages.empty());

    // Nothing but the file itself is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(WriteWholeFile, RemovesOnlyItsOwnStaleTemporariesBesideTheTarget)
{
    TempDir dir;
    // What a write killed before its rename leaves, and names that only look like it.
    for (const char* name : {".harkwell-a1B2c3", ".harkwell-ZZZZZZ"}) WriteBytes(dir.File(name), {9});
    const std::vector<std::string> others = {".harkwell-abc", ".harkwell-abcdefg", "x.harkwell-abcdef",
                                             ".harkwell-ab_def", ".setup.ini.harkwell-abcdef", "setup.ini"};
    for (const std::string& name : others) WriteBytes(dir.File(name), {7});
    std::filesystem::create_directory(dir.File(".harkwell-FOLDER"));
    std::filesystem::create_symlink(dir.File("setup.ini"), dir.File(".harkwell-LINKED"));

    RecordingMessageSink sink;
    EXPECT_TRUE(WriteWholeFile(sink, dir.File("line.dat"), std::vector<std::uint8_t>{1}));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File(".harkwell-a1B2c3")));
    EXPECT_FALSE(std::filesystem::exists(dir.File(".harkwell-ZZZZZZ")));
    for (const std::string& name : others) EXPECT_EQ(ReadBytes(dir.File(name)), std::vector<std::uint8_t>{7}) << name;
    EXPECT_TRUE(std::filesystem::is_directory(dir.File(".harkwell-FOLDER")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File(".harkwell-LINKED")));
    EXPECT_EQ(ReadBytes(dir.File("line.dat")), std::vector<std::uint8_t>{1});
}

TEST(WriteWholeFile, RefusesToReplaceWhatIsNotARegularFile)
{
    TempDir dir;
    const std::string path = dir.File("setup.ini");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    RecordingMessageSink sink;
    EXPECT_FALSE(WriteWholeFile(sink, path, std::vector<std::uint8_t>{1}));
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{kCantOpen + " [" + path + ": a FIFO, not a regular file]"});
    struct stat info {};
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(WriteWholeFile, ReplacesTheFileALinkNamesAndKeepsTheLink)
{
    TempDir dir;
    WriteBytes(dir.File("real.ini"), {5, 5});
    std::filesystem::create_symlink(dir.File("real.ini"), dir.File("setup.ini"));
    RecordingMessageSink sink;
    EXPECT_TRUE(WriteWholeFile(sink, dir.File("setup.ini"), std::vector<std::uint8_t>{6}));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("setup.ini")));
    EXPECT_EQ(ReadBytes(dir.File("real.ini")), std::vector<std::uint8_t>{6});
}

// A disk too full for the new file (a file size limit in a child process):
// the old file stays, no temporary file is left, and the message says why.
TEST(WriteWholeFile, AFailedWriteKeepsTheOldFileAndNamesTheCause)
{
    TempDir dir;
    const std::string path = dir.File("line.dat");
    WriteBytes(path, {4, 4, 4});
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
        RecordingMessageSink sink;
        const bool written = WriteWholeFile(sink, path, std::vector<std::uint8_t>(100000, 1));
        const std::string expected = "GENE0100000D file size error! [" + path + ": File too large]";
        _exit(!written && sink.Texts() == std::vector<std::string>{expected} ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write failed without its cause";
    EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{4, 4, 4}));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(WriteWholeFile, RefusesAFolderThatIsNotThere)
{
    TempDir dir;
    RecordingMessageSink sink;
    EXPECT_FALSE(WriteWholeFile(sink, dir.File("no/such/line.dat"), std::vector<std::uint8_t>{1}));
    EXPECT_EQ(sink.Texts(),
              std::vector<std::string>{kCantOpen + " [" + dir.File("no/such") + ": No such file or directory]"});
}

TEST(FileTests, TellFilesFoldersAndMissingPathsApart)
{
    TempDir dir;
    WriteBytes(dir.File("tune.wav"), {0});
    EXPECT_TRUE(FileExists(dir.File("tune.wav")));
    EXPECT_TRUE(FileExists(dir.Path().string()));
    EXPECT_FALSE(FileExists(dir.File("none.wav")));
    EXPECT_FALSE(FileExists(""));

    EXPECT_TRUE(CanOpenFile(dir.File("tune.wav")));
    EXPECT_FALSE(CanOpenFile(dir.Path().string()));
    EXPECT_FALSE(CanOpenFile(dir.File("none.wav")));
    EXPECT_FALSE(CanOpenFile(""));
}

TEST(GetSpecialFolder, GivesOptForProgramsAndNothingForUnknownFolders)
{
    EXPECT_EQ(GetSpecialFolder(kProgramFilesFolder), "/opt");
    EXPECT_EQ(GetSpecialFolder(5), "");
    EXPECT_EQ(GetSpecialFolder(-1), "");
}

TEST(AllocZeroed, GivesZeroedBytesOrReportsMissingMemory)
{
    RecordingMessageSink sink;
    ByteBlock block = AllocZeroed(sink, 4096);
    ASSERT_TRUE(block);
    EXPECT_EQ(block.size(), 4096u);
    for (std::size_t i = 0; i < block.size(); ++i) ASSERT_EQ(block.data()[i], 0);
    EXPECT_TRUE(sink.messages.empty());

    ByteBlock huge = AllocZeroed(sink, std::numeric_limits<std::size_t>::max() / 2);
    EXPECT_FALSE(huge);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"GENE01000002 Needs more memory!"});
}

TEST(ByteBlock, ShrinksInPlaceKeepingItsBytes)
{
    ByteBlock block = ByteBlock::Allocate(1 << 20);
    ASSERT_TRUE(block);
    for (std::size_t i = 0; i < block.size(); ++i) block.data()[i] = static_cast<std::uint8_t>(i);
    block.Shrink(1000);
    EXPECT_EQ(block.size(), 1000u);
    for (std::size_t i = 0; i < 1000; ++i) ASSERT_EQ(block.data()[i], static_cast<std::uint8_t>(i));
    block.Shrink(2000);
    EXPECT_EQ(block.size(), 1000u) << "a block never grows";

    ByteBlock moved = std::move(block);
    EXPECT_FALSE(block);
    EXPECT_EQ(moved.size(), 1000u);
}

}  // namespace
}  // namespace harkwell
