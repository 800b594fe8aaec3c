#include "app/GuessSettingFile.h"

#include "common/ErrorReport.h"
#include "common/Files.h"

#include <span>
#include <vector>

namespace harkwell {

namespace {

constexpr std::string_view kKey = "note-guess=";
// No setting file of ours comes near this; more is no such file.
constexpr std::size_t kLargestFile = 64 * 1024;

// The lines of `text`, each without its line end.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

GuessSettingFile::Reading GuessSettingFile::ReadSetting(std::string_view text)
{
    Reading reading = Reading::Missing;
    for (std::string_view line : Lines(text)) {
        if (line.substr(0, kKey.size()) != kKey) continue;
        const std::string_view value = line.substr(kKey.size());
        reading = value == "1" ? Reading::On : value == "0" ? Reading::Off : Reading::Wrong;
    }
    return reading;
}

std::string GuessSettingFile::WithSetting(std::string_view text, bool on)
{
    std::string result;
    bool written = false;
    for (std::string_view line : Lines(text)) {
        if (line.substr(0, kKey.size()) == kKey) {
            if (written) continue;  // one setting line is enough
            written = true;
            result += kKey;
            result += on ? "1" : "0";
        } else {
            result += line;
        }
        result += '\n';
    }
    if (!written) {
        result += kKey;
        result += on ? "1\n" : "0\n";
    }
    return result;
}

GuessSettingFile::GuessSettingFile(std::string path, MessageSink& sink) : path_(std::move(path)), sink_(sink)
{
    std::string cause;
    FilePtr file = OpenForReading(path_, &cause);
    if (!file) {
        // A missing file is the first start: the guess is off, silently.
        if (FileExists(path_))
            ShowPlainMessage(sink_, FileDetail(path_, cause.empty() ? "cannot be read; the note guess is off" : cause));
        return;
    }
    std::vector<char> bytes(kLargestFile + 1);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    if (bytes.size() > kLargestFile) {
        ShowPlainMessage(sink_, FileDetail(path_, "too large for a setting file; the note guess is off"));
        return;
    }
    text_.assign(bytes.begin(), bytes.end());
    switch (ReadSetting(text_)) {
    case Reading::On: on_ = true; break;
    case Reading::Off:
    case Reading::Missing: break;
    case Reading::Wrong:
        ShowPlainMessage(sink_, FileDetail(path_, "note-guess is neither 0 nor 1; the note guess is off"));
        break;
    }
}

bool GuessSettingFile::SetNoteGuess(bool on)
{
    on_ = on;
    const std::string text = WithSetting(text_, on);
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (!WriteWholeFile(sink_, path_, bytes)) return false;
    text_ = text;
    return true;
}

}  // namespace harkwell
