#pragma once

#include "common/MessageSink.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace harkwell {

// Codes of the general reporter; the module number 0x01 is the top byte.
namespace gene {
inline constexpr std::uint32_t kNeedsMoreMemory = 0x01000002;
inline constexpr std::uint32_t kGeneralError = 0x01000003;
inline constexpr std::uint32_t kQuitAndRestart = 0x01000004;
inline constexpr std::uint32_t kCantFindFile = 0x01000005;
inline constexpr std::uint32_t kSixteenDigitError = 0x01000006;
inline constexpr std::uint32_t kCantOpenFile = 0x01000007;
inline constexpr std::uint32_t kDataSizeTooLarge = 0x0100000A;
inline constexpr std::uint32_t kParameterWrong = 0x0100000B;
inline constexpr std::uint32_t kNoCurrentDirectory = 0x0100000C;
inline constexpr std::uint32_t kFileSizeError = 0x0100000D;
inline constexpr std::uint32_t kTimeSignInvalid = 0x0100000E;
inline constexpr std::uint32_t kTempoTooFast = 0x01000012;
}  // namespace gene

// "PREFIX%08X text": the text every module reporter shows, cut to 2047 bytes.
std::string FormatModuleError(std::string_view prefix, std::uint32_t code, std::string_view text);

// The general reporter's text for a code; "General Error" for codes it lacks.
std::string_view GeneralErrorText(std::uint32_t code);

// Shows a text system-modal with OK only; every module reporter speaks through it.
int ShowSystemModalMessage(MessageSink& sink, std::string_view text);

// Shows a text in a plain OK box, as dialogs and pictures do.
int ShowPlainMessage(MessageSink& sink, std::string_view text);

// Shows "GENE%08X text" system-modal. Callers carry on whatever the result.
int ReportGeneralError(MessageSink& sink, std::uint32_t code);

}  // namespace harkwell
