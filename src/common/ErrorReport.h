#pragma once

#include "common/MessageSink.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace harkwell {

// Codes of the general reporter; the module number 0x01 is the top byte.
enum class GeneralError : std::uint32_t {
    NeedsMoreMemory = 0x01000002,
    General = 0x01000003,
    QuitAndRestart = 0x01000004,
    CantFindFile = 0x01000005,
    SixteenDigitError = 0x01000006,
    CantOpenFile = 0x01000007,
    DataSizeTooLarge = 0x0100000A,
    ParameterWrong = 0x0100000B,
    NoCurrentDirectory = 0x0100000C,
    FileSizeError = 0x0100000D,
    TimeSignInvalid = 0x0100000E,
    TempoTooFast = 0x01000012,
};

// "PREFIX%08X text": the text every module reporter shows, cut to 2047 bytes.
std::string FormatModuleError(std::string_view prefix, std::uint32_t code, std::string_view text);

// The general reporter's text for a code; "General Error" for codes it lacks.
std::string_view GeneralErrorText(GeneralError code);

// Shows a text system-modal with OK only; every module reporter speaks through it.
int ShowSystemModalMessage(MessageSink& sink, std::string_view text);

// Shows a text in a plain OK box, as dialogs and pictures do.
int ShowPlainMessage(MessageSink& sink, std::string_view text);

// Shows "GENE%08X text" system-modal. Callers carry on whatever the result.
int ReportGeneralError(MessageSink& sink, GeneralError code);
// The same with " [detail]" after the text: the file and the cause, so the user can act.
int ReportGeneralError(MessageSink& sink, GeneralError code, std::string_view detail);

}  // namespace harkwell
