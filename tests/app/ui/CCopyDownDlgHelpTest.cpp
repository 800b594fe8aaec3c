// Help and Input Score from the windows' buttons, and the real shell's start of a program.
#include "app/CommandTable.h"
#include "app/CompanionLocator.h"
#include "app/ManualLocation.h"
#include "app/ui/CDesktopShell.h"

#include "MainWindowFixture.h"

#include <QElapsedTimer>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace harkwell {
namespace {

namespace fs = std::filesystem;
using testing::Click;

class CCopyDownDlgHelpTest : public testing::MainWindowFixture {
protected:
    // An executable shell script as the companion of `version`, writing `mark` when it runs.
    fs::path InstallCompanion(const std::string& version, const fs::path& mark)
    {
        const fs::path folder = dir_.Path() / "opt" / kCompanionFolder / version;
        fs::create_directories(folder);
        const fs::path program = folder / kCompanionProgram;
        std::ofstream(program) << "#!/bin/sh\necho started > '" << mark.string() << "'\n";
        fs::permissions(program, fs::perms::owner_all);
        return program;
    }
};

TEST_F(CCopyDownDlgHelpTest, HelpOpensTheManualAndInputScoreTheNewestCompanion)
{
    fs::create_directories(dir_.Path() / "share" / "manual");
    std::ofstream(dir_.Path() / "share" / kManualIndex) << "<html></html>";
    shell_.dataFolders = {(dir_.Path() / "share").string()};
    (void)InstallCompanion("1.9", dir_.Path() / "old");
    const fs::path newest = InstallCompanion("1.10", dir_.Path() / "new");
    shell_.programsFolder = (dir_.Path() / "opt").string();

    auto window = Start();
    Click(window->ButtonHost(command::kHelp));
    EXPECT_EQ(shell_.urls, std::vector<std::string>{FileUrl((dir_.Path() / "share" / kManualIndex).string())});
    Click(window->ButtonHost(command::kInputScore));
    EXPECT_EQ(shell_.programs, std::vector<std::string>{newest.string()});
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(CCopyDownDlgHelpTest, WithoutManualOrCompanionNothingOpensAndNothingIsShown)
{
    shell_.dataFolders = {(dir_.Path() / "nothing").string()};
    shell_.programsFolder = (dir_.Path() / "opt").string();
    auto window = Start();
    Click(window->ButtonHost(command::kHelp));
    Click(window->ButtonHost(command::kInputScore));
    EXPECT_TRUE(shell_.urls.empty());
    EXPECT_TRUE(shell_.programs.empty());
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(CCopyDownDlgHelpTest, TheDesktopShellStartsTheCompanionOnItsOwn)
{
    const fs::path mark = dir_.Path() / "started";
    (void)InstallCompanion("3.0", mark);
    CDesktopShell shell((dir_.Path() / "opt").string());
    std::ostringstream errors;
    ASSERT_TRUE(StartCompanion(shell, errors)) << errors.str();
    QElapsedTimer waited;
    waited.start();
    while (!fs::exists(mark) && waited.elapsed() < 10000) QTest::qWait(20);
    EXPECT_TRUE(fs::exists(mark));
}

TEST_F(CCopyDownDlgHelpTest, TheDesktopShellLooksBesideTheProgramFirst)
{
    CDesktopShell shell;
    EXPECT_EQ(shell.ProgramsFolder(), "/opt");
    const std::vector<std::string> folders = shell.DataFolders();
    ASSERT_EQ(folders.size(), 3U);
    EXPECT_EQ(fs::path(folders[0]), fs::canonical("/proc/self/exe").parent_path());
    EXPECT_EQ(folders[2], "/usr/share/harkwell");
}

}  // namespace
}  // namespace harkwell
