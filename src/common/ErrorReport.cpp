#include "common/ErrorReport.h"

#include <array>
#include <cstdio>

namespace harkwell {

namespace {

constexpr std::size_t kMessageBufferSize = 2048;
constexpr std::string_view kGeneralErrorText = "General Error";

struct GeneralEntry {
    GeneralError code;
    std::string_view text;
};

constexpr std::array kGeneralTable{
    GeneralEntry{GeneralError::NeedsMoreMemory, "Needs more memory!"},
    GeneralEntry{GeneralError::QuitAndRestart, "Quit and restart!"},
    GeneralEntry{GeneralError::CantFindFile, "Cant find file!"},
    GeneralEntry{GeneralError::SixteenDigitError, "16 digit error"},
    GeneralEntry{GeneralError::CantOpenFile, "Cant open file!"},
    GeneralEntry{GeneralError::DataSizeTooLarge, "data size is too large!"},
    GeneralEntry{GeneralError::ParameterWrong, "parameter is wrong"},
    GeneralEntry{GeneralError::NoCurrentDirectory, "Can not get current directory"},
    GeneralEntry{GeneralError::FileSizeError, "file size error!"},
    GeneralEntry{GeneralError::TimeSignInvalid, "Time sign is invalid!"},
};

}  // namespace

std::string FormatModuleError(std::string_view prefix, std::uint32_t code, std::string_view text)
{
    char number[9];
    std::snprintf(number, sizeof number, "%08X", static_cast<unsigned>(code));
    std::string message;
    message.reserve(prefix.size() + 9 + text.size());
    message.append(prefix).append(number).append(" ").append(text);
    if (message.size() > kMessageBufferSize - 1) {
        // Cut before a UTF-8 continuation byte so no half character is shown.
        std::size_t cut = kMessageBufferSize - 1;
        while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80) --cut;
        message.resize(cut);
    }
    return message;
}

std::string_view GeneralErrorText(GeneralError code)
{
    for (const auto& entry : kGeneralTable)
        if (entry.code == code) return entry.text;
    return kGeneralErrorText;
}

int ShowSystemModalMessage(MessageSink& sink, std::string_view text)
{
    return sink.Show(text, MessageKind::SystemModal);
}

int ShowPlainMessage(MessageSink& sink, std::string_view text)
{
    return sink.Show(text, MessageKind::Plain);
}

int ReportGeneralError(MessageSink& sink, GeneralError code)
{
    return ShowSystemModalMessage(sink,
                                  FormatModuleError("GENE", static_cast<std::uint32_t>(code), GeneralErrorText(code)));
}

int ReportGeneralError(MessageSink& sink, GeneralError code, std::string_view detail)
{
    std::string text(GeneralErrorText(code));
    text.append(" [").append(detail).append("]");
    return ShowSystemModalMessage(sink, FormatModuleError("GENE", static_cast<std::uint32_t>(code), text));
}

}  // namespace harkwell
