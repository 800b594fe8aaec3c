#pragma once

#include "common/MessageSink.h"

#include <string>
#include <string_view>

namespace harkwell {

// Whether the note guess is shown beside the key colouring and in the
// frequency list. It lives in a small text file of its own, "harkwell.ini"
// beside setup.ini, so that setup.ini keeps exactly its record:
//
//     note-guess=1
//
// Lines it does not know are left alone when it is written again.
class GuessSettingFile {
public:
    static constexpr std::string_view kFileName = "harkwell.ini";

    // Reads the setting: off when the file is missing. A file that cannot be
    // read, is no regular file, is too large or holds a value other than 0 or
    // 1 is named in a message, and the guess stays off.
    GuessSettingFile(std::string path, MessageSink& sink);

    bool NoteGuessOn() const { return on_; }
    // Keeps the setting and writes the file at once; false after a message.
    [[nodiscard]] bool SetNoteGuess(bool on);

    // The text with the setting put in, every other line as it was.
    static std::string WithSetting(std::string_view text, bool on);
    enum class Reading { Off, On, Missing, Wrong };
    static Reading ReadSetting(std::string_view text);

private:
    std::string path_;
    MessageSink& sink_;
    std::string text_;
    bool on_ = false;
};

}  // namespace harkwell
