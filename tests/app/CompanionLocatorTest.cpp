#include "app/CompanionLocator.h"

#include "fakes/RecordingShell.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>

namespace harkwell {
namespace {

using testing::RecordingShell;
using testing::TempDir;
namespace fs = std::filesystem;

TEST(CompanionLocatorTest, VersionNamesAreDigitsBetweenSingleDots)
{
    using V = std::vector<std::uint64_t>;
    EXPECT_EQ(ParseVersion("10.2"), (V{10, 2}));
    EXPECT_EQ(ParseVersion("7"), (V{7}));
    EXPECT_EQ(ParseVersion("1.010"), (V{1, 10}));
    for (const char* name : {"", "readme", "2.0-beta", "1..2", ".5", "5.", "v2", "-1", "1 ", "99999999999999999999"})
        EXPECT_EQ(ParseVersion(name), std::nullopt) << name;
}

TEST(CompanionLocatorTest, VersionsCompareAsNumbersPartByPart)
{
    const auto v = [](const char* name) { return *ParseVersion(name); };
    EXPECT_GT(CompareVersions(v("10.2"), v("9.13")), 0);
    EXPECT_GT(CompareVersions(v("9.13"), v("9.2")), 0);
    EXPECT_GT(CompareVersions(v("1.10"), v("1.9")), 0);
    EXPECT_GT(CompareVersions(v("2.0.1"), v("2")), 0);
    EXPECT_EQ(CompareVersions(v("2"), v("2.0")), 0);
}

class CompanionFolderTest : public ::testing::Test {
protected:
    fs::path Folder() const { return dir_.Path() / kCompanionFolder; }

    // A version folder holding the program (executable or not), or left empty.
    void AddVersion(const std::string& name, bool program = true, bool executable = true)
    {
        fs::create_directories(Folder() / name);
        if (!program) return;
        const fs::path path = Folder() / name / kCompanionProgram;
        testing::WriteBytes(path.string(), {'#', '!', '/', 'b', 'i', 'n', '/', 's', 'h', '\n'});
        fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
    }
    std::string ProgramOf(const std::string& version) const
    {
        return (Folder() / version / kCompanionProgram).string();
    }

    TempDir dir_;
};

TEST_F(CompanionFolderTest, TheNewestVersionStarts)
{
    struct Case {
        std::initializer_list<const char*> versions;
        const char* newest;
    };
    for (const Case& c : {Case{{"1.5", "2.0", "readme"}, "2.0"}, Case{{"1.9", "1.10"}, "1.10"},
                          Case{{"9.2", "10.2", "9.13"}, "10.2"}, Case{{"3", "0.0", "2.99"}, "3"}}) {
        fs::remove_all(Folder());
        for (const char* version : c.versions) AddVersion(version);
        EXPECT_EQ(FindCompanion(dir_.Path().string()), ProgramOf(c.newest)) << c.newest;
    }
}

TEST_F(CompanionFolderTest, AVersionWithoutARunnableProgramIsPassedOver)
{
    AddVersion("1.0");
    AddVersion("4.0", false);         // left empty by an uninstaller
    AddVersion("3.0", true, false);   // not executable
    fs::create_directories(Folder() / "5.0" / kCompanionProgram);  // a folder, not a program
    testing::WriteBytes((Folder() / "6.0").string(), {'x'});     // a file, not a version folder
    EXPECT_EQ(FindCompanion(dir_.Path().string()), ProgramOf("1.0"));
}

TEST_F(CompanionFolderTest, NothingToStartWhenNothingIsInstalled)
{
    EXPECT_EQ(FindCompanion(dir_.Path().string()), std::nullopt);
    AddVersion("readme");
    AddVersion("0");
    AddVersion("2.0", false);
    EXPECT_EQ(FindCompanion(dir_.Path().string()), std::nullopt);
    EXPECT_EQ(FindCompanion(""), std::nullopt);
}

TEST_F(CompanionFolderTest, InputScoreStartsTheProgramThroughTheShell)
{
    AddVersion("2.1");
    RecordingShell shell;
    shell.programsFolder = dir_.Path().string();
    std::ostringstream errors;
    EXPECT_TRUE(StartCompanion(shell, errors));
    EXPECT_EQ(shell.programs, std::vector<std::string>{ProgramOf("2.1")});
    EXPECT_EQ(errors.str(), "");

    shell.starts = false;
    EXPECT_FALSE(StartCompanion(shell, errors));
    EXPECT_EQ(errors.str(), "Input Score: " + ProgramOf("2.1") + " could not be started\n");
}

TEST_F(CompanionFolderTest, WithoutTheProgramNothingStarts)
{
    RecordingShell shell;
    shell.programsFolder = dir_.Path().string();
    std::ostringstream errors;
    EXPECT_FALSE(StartCompanion(shell, errors));
    EXPECT_TRUE(shell.programs.empty());
    EXPECT_EQ(errors.str(), "Input Score: Staffwright is not installed under " + dir_.Path().string() +
                                "/Orvane/Staffwright\n");
}

}  // namespace
}  // namespace harkwell
