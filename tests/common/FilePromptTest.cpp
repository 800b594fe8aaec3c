#include "common/FilePrompt.h"

#include "fakes/ScriptedFilePrompt.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

namespace harkwell {
namespace {

using testing::ScriptedFilePrompt;
using testing::TempDir;

const std::string kWavFilter = "WAV Files (*.wav)|*.wav|All Files (*.*)|*.*||";

TEST(FileFilters, AreReadUpToTheEmptyField)
{
    const auto filters = ParseFileFilters(kWavFilter + "Ignored|*.x|");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].description, "WAV Files (*.wav)");
    EXPECT_EQ(filters[0].patterns, std::vector<std::string>{"*.wav"});
    EXPECT_EQ(filters[1].patterns, std::vector<std::string>{"*.*"});
    EXPECT_TRUE(ParseFileFilters("").empty());
    EXPECT_TRUE(ParseFileFilters("Unpaired").empty());
}

TEST(FileFilters, BecomeDialogNameFiltersWithBlankSeparatedPatterns)
{
    const std::pair<FileFilter, std::string> cases[] = {
        {{"WAV Files (*.wav)", {"*.wav"}}, "WAV Files (*.wav)"},
        {{"Sound (*.wav;*.wave)", {"*.wav", "*.wave"}}, "Sound (*.wav *.wave)"},
        {{"Tunes", {"*.wav"}}, "Tunes (*.wav)"},
        {{"", {"*.wav"}}, "(*.wav)"},
    };
    for (const auto& [filter, expected] : cases) EXPECT_EQ(DialogNameFilter(filter), expected);
}

TEST(PromptOpenFile, AppliesTheInitialFolderOnlyForAnEmptyOrUnopenableInitialName)
{
    TempDir dir;
    testing::WriteBytes(dir.File("tune.wav"), {0});
    const std::string folder = "/music";
    struct Case {
        std::optional<std::string> initialName;
        bool folderApplied;
    };
    const Case cases[] = {
        {std::nullopt, false},
        {std::string(), true},
        {dir.File("missing.wav"), true},
        {dir.File("tune.wav"), false},
    };
    for (const auto& c : cases) {
        ScriptedFilePrompt prompt;
        std::string path;
        // Only the request matters here, not what the script answers.
        (void)PromptOpenFile(prompt, "wav", kWavFilter, path, c.initialName ? &*c.initialName : nullptr, nullptr,
                             &folder);
        ASSERT_EQ(prompt.requests.size(), 1u);
        EXPECT_EQ(prompt.requests[0].initialFolder, c.folderApplied ? folder : "") << c.initialName.value_or("(none)");
        EXPECT_EQ(prompt.requests[0].initialFileName, c.initialName.value_or(""));
        EXPECT_EQ(prompt.requests[0].defaultExtension, "wav");
        EXPECT_EQ(prompt.requests[0].filters.size(), 2u);
    }
}

TEST(PromptOpenFile, GivesTheChoiceOrZeroOnCancel)
{
    ScriptedFilePrompt prompt;
    std::string path = "unchanged";
    int filterIndex = 0;
    EXPECT_FALSE(PromptOpenFile(prompt, "wav", kWavFilter, path, nullptr, &filterIndex));
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(filterIndex, 0);

    prompt.answer = OpenFileChoice{"/home/me/tune.wav", 2};
    EXPECT_TRUE(PromptOpenFile(prompt, "wav", kWavFilter, path, nullptr, &filterIndex));
    EXPECT_EQ(path, "/home/me/tune.wav");
    EXPECT_EQ(filterIndex, 2);
}

}  // namespace
}  // namespace harkwell
