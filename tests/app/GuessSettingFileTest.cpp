#include "app/GuessSettingFile.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using testing::TempDir;

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(GuessSettingFile, ReadsTheSettingAndNamesAFileItCannotTrust)
{
    struct Case {
        const char* text;  // null: no file
        bool on;
        bool message;
    };
    const Case cases[] = {
        {nullptr, false, false},
        {"note-guess=1\n", true, false},
        {"note-guess=0\r\n", false, false},
        {"# ours\nother=7\nnote-guess=1", true, false},
        {"", false, false},
        {"note-guess=yes\n", false, true},
        {"note-guess=1\nnote-guess=2\n", false, true},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.File("harkwell.ini");
        if (c.text != nullptr) Write(path, c.text);
        RecordingMessageSink messages;
        const GuessSettingFile file(path, messages);
        EXPECT_EQ(file.NoteGuessOn(), c.on) << (c.text ? c.text : "no file");
        EXPECT_EQ(messages.Texts().size(), c.message ? 1u : 0u) << (c.text ? c.text : "no file");
        if (c.message) {
            EXPECT_NE(messages.Texts().front().find(path), std::string::npos);
        }
    }
}

TEST(GuessSettingFile, RefusesAFolderOrAnOverlongFileWithAMessage)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("folder.ini"));
    Write(dir.File("long.ini"), "note-guess=1\n" + std::string(70000, '#'));
    for (const char* name : {"folder.ini", "long.ini"}) {
        RecordingMessageSink messages;
        const GuessSettingFile file(dir.File(name), messages);
        EXPECT_FALSE(file.NoteGuessOn()) << name;
        ASSERT_EQ(messages.Texts().size(), 1u) << name;
        EXPECT_NE(messages.Texts().front().find(name), std::string::npos);
    }
}

TEST(GuessSettingFile, WritesTheSettingAtOnceKeepingEveryOtherLine)
{
    TempDir dir;
    const std::string path = dir.File("harkwell.ini");
    Write(path, "# kept\nnote-guess=0\nlater=1\n");
    RecordingMessageSink messages;
    {
        GuessSettingFile file(path, messages);
        ASSERT_TRUE(file.SetNoteGuess(true));
        EXPECT_TRUE(file.NoteGuessOn());
        EXPECT_EQ(Read(path), "# kept\nnote-guess=1\nlater=1\n");
    }
    EXPECT_TRUE(GuessSettingFile(path, messages).NoteGuessOn());
    EXPECT_TRUE(messages.Texts().empty());

    EXPECT_EQ(GuessSettingFile::WithSetting("", false), "note-guess=0\n");
    EXPECT_EQ(GuessSettingFile::WithSetting("a\nnote-guess=1\nnote-guess=1\n", false), "a\nnote-guess=0\n");

    // A folder that cannot be written to: the failure is shown and the setting still holds.
    const std::string missingFolder = dir.File("gone/harkwell.ini");
    GuessSettingFile unwritable(missingFolder, messages);
    EXPECT_FALSE(unwritable.SetNoteGuess(true));
    EXPECT_TRUE(unwritable.NoteGuessOn());
    EXPECT_FALSE(messages.Texts().empty());
}

}  // namespace
}  // namespace harkwell
