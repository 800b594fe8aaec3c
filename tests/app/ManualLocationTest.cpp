#include "app/InstallLayout.h"
#include "app/ManualLocation.h"

#include "fakes/RecordingShell.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace harkwell {
namespace {

using testing::RecordingShell;
using testing::TempDir;

void PutManual(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder / "manual");
    testing::WriteBytes((folder / kManualIndex).string(), {'<', 'p', '>'});
}

TEST(InstallLayoutTest, BesideTheProgramThenItsPrefixThenTheSystem)
{
    EXPECT_EQ(DataFoldersFor("/home/u/harkwell/build/src/app"),
              (std::vector<std::string>{"/home/u/harkwell/build/src/app", "/home/u/harkwell/build/src/share/harkwell",
                                        "/usr/share/harkwell"}));
    EXPECT_EQ(DataFoldersFor("/tmp/root/usr/bin"),
              (std::vector<std::string>{"/tmp/root/usr/bin", "/tmp/root/usr/share/harkwell", "/usr/share/harkwell"}));
    EXPECT_EQ(DataFoldersFor(""), (std::vector<std::string>{"/usr/share/harkwell"}));
}

TEST(InstallLayoutTest, TheRunningProgramsFolderHoldsThisTest)
{
    const std::string folder = RunningProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::path(folder).is_absolute());
}

TEST(ManualLocationTest, FileUrlsEncodeWhatAnAddressCannotCarry)
{
    EXPECT_EQ(FileUrl("/usr/share/harkwell/manual/index.htm"), "file:///usr/share/harkwell/manual/index.htm");
    EXPECT_EQ(FileUrl("/home/a b/#1%/ü.htm"), "file:///home/a%20b/%231%25/%C3%BC.htm");
}

TEST(ManualLocationTest, TheFirstFolderWithTheManualWins)
{
    TempDir dir;
    const auto first = dir.Path() / "first";
    const auto second = dir.Path() / "second";
    PutManual(second);
    // A folder named like the page is not the page.
    std::filesystem::create_directories(first / kManualIndex);
    EXPECT_EQ(FindManual({first.string(), second.string()}), (second / kManualIndex).string());
    PutManual(dir.Path() / "third");
    EXPECT_EQ(FindManual({(dir.Path() / "third").string(), second.string()}),
              (dir.Path() / "third" / kManualIndex).string());
    EXPECT_EQ(FindManual({first.string()}), std::nullopt);
}

TEST(ManualLocationTest, HelpOpensTheIndexPageInTheBrowser)
{
    TempDir dir;
    PutManual(dir.Path() / "share");
    RecordingShell shell;
    shell.dataFolders = {(dir.Path() / "missing").string(), (dir.Path() / "share").string()};
    std::ostringstream errors;
    EXPECT_TRUE(OpenManual(shell, errors));
    EXPECT_EQ(shell.urls, std::vector<std::string>{FileUrl((dir.Path() / "share" / kManualIndex).string())});
    EXPECT_EQ(errors.str(), "");
}

TEST(ManualLocationTest, NoManualOpensNothingAndSaysWhereItLooked)
{
    TempDir dir;
    RecordingShell shell;
    shell.dataFolders = {(dir.Path() / "a").string(), "/nowhere/harkwell"};
    std::ostringstream errors;
    EXPECT_FALSE(OpenManual(shell, errors));
    EXPECT_TRUE(shell.urls.empty());
    EXPECT_EQ(errors.str(), "Help: no manual found; looked for manual/index.htm in " + (dir.Path() / "a").string() +
                                " /nowhere/harkwell\n");
}

TEST(ManualLocationTest, NoBrowserIsToldOnStderr)
{
    TempDir dir;
    PutManual(dir.Path());
    RecordingShell shell;
    shell.dataFolders = {dir.Path().string()};
    shell.opens = false;
    std::ostringstream errors;
    EXPECT_FALSE(OpenManual(shell, errors));
    EXPECT_EQ(errors.str(), "Help: no browser could open " + FileUrl((dir.Path() / kManualIndex).string()) + "\n");
}

}  // namespace
}  // namespace harkwell
