#include "app/StartOptions.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

namespace harkwell {
namespace {

TEST(StartOptionsTest, OptionsAreReadAndAWrongOneIsNamed)
{
    EXPECT_FALSE(ParseStartOptions({}).dataHome);
    EXPECT_EQ(ParseStartOptions({}).error, "");
    const StartOptions both = ParseStartOptions({"--self-check", "--data-home"});
    EXPECT_TRUE(both.dataHome);
    EXPECT_TRUE(both.selfCheck);
    EXPECT_TRUE(ParseStartOptions({"--help"}).usage);
    EXPECT_EQ(ParseStartOptions({"--data-home", "tune.wav"}).error, "unknown option: tune.wav");
}

TEST(StartOptionsTest, TheDataHomeFollowsTheBaseDirectoryRules)
{
    EXPECT_EQ(DataHomeFolder("/x/data", "/home/u"), "/x/data/harkwell");
    EXPECT_EQ(DataHomeFolder(nullptr, "/home/u"), "/home/u/.local/share/harkwell");
    EXPECT_EQ(DataHomeFolder("", "/home/u"), "/home/u/.local/share/harkwell");
    EXPECT_EQ(DataHomeFolder("relative/data", "/home/u"), "/home/u/.local/share/harkwell");
    EXPECT_EQ(DataHomeFolder(nullptr, nullptr), "");
    EXPECT_EQ(DataHomeFolder(nullptr, "relative"), "");
}

class WorkFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(getcwd(before_, sizeof before_), nullptr); }
    void TearDown() override { ASSERT_EQ(chdir(before_), 0); }
    char before_[4096] = {};
    testing::TempDir dir_;
};

TEST_F(WorkFolderTest, TheFolderIsMadeOnFirstStartAndEntered)
{
    const std::filesystem::path folder = dir_.Path() / "data" / "harkwell";
    std::string cause;
    ASSERT_TRUE(EnterWorkFolder(folder.string(), cause)) << cause;
    EXPECT_EQ(std::filesystem::current_path(), folder);
    // The second start finds it there.
    ASSERT_TRUE(EnterWorkFolder(folder.string(), cause)) << cause;
    EXPECT_EQ(std::filesystem::current_path(), folder);
}

TEST_F(WorkFolderTest, AFolderThatCannotBeMadeIsRefusedWithItsCause)
{
    testing::WriteBytes(dir_.File("file"), {'x'});
    std::string cause;
    EXPECT_FALSE(EnterWorkFolder(dir_.File("file") + "/harkwell", cause));
    EXPECT_NE(cause.find(dir_.File("file") + "/harkwell: "), std::string::npos) << cause;
    EXPECT_FALSE(EnterWorkFolder("", cause));
    EXPECT_EQ(cause, "neither XDG_DATA_HOME nor HOME names a folder");
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(before_));
}

}  // namespace
}  // namespace harkwell
