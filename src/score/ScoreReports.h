#pragma once

#include "common/MessageSink.h"

#include <cstdint>
#include <string_view>

namespace harkwell {

// The reporters of the score and MIDI modules. Each shows "PREFIX%08X text"
// system-modal through the sink; a code outside its table shows the module's
// general text. Callers carry on whatever the result.

namespace muev {
inline constexpr std::uint32_t kDataTooLarge = 0x6000001;
inline constexpr std::uint32_t kDataError = 0x6000002;
}  // namespace muev

namespace mdtk {
inline constexpr std::uint32_t kInternal = 0xD000001;
inline constexpr std::uint32_t kLargeData = 0xD000006;
inline constexpr std::uint32_t kInvalidParameter = 0xD000010;
inline constexpr std::uint32_t kTempoDataWrong = 0xD000015;
}  // namespace mdtk

namespace mdss {
inline constexpr std::uint32_t kTimeSignInvalid = 0x37000002;
}  // namespace mdss

namespace m0dt {
inline constexpr std::uint32_t kInternal = 0x4000005;
inline constexpr std::uint32_t kStopFailed = 0x400000A;
}  // namespace m0dt

namespace mdpl {
inline constexpr std::uint32_t kDivisionTooLarge = 0x8000001;
inline constexpr std::uint32_t kCannotUseTimer = 0x8000002;
inline constexpr std::uint32_t kTempoTooSlow = 0x8000003;
inline constexpr std::uint32_t kInternal = 0x8000004;
inline constexpr std::uint32_t kPlayPointWrong = 0x8000005;
inline constexpr std::uint32_t kTempoWrong = 0x8000006;
inline constexpr std::uint32_t kMusicalDataInvalid = 0x8000007;
}  // namespace mdpl

namespace mdsp {
inline constexpr std::uint32_t kInternal = 0x9000001;
}  // namespace mdsp

namespace mdct {
inline constexpr std::uint32_t kCannotOpen = 0x7000001;
inline constexpr std::uint32_t kCannotClose = 0x7000002;
inline constexpr std::uint32_t kCannotChangeTone = 0x7000003;
inline constexpr std::uint32_t kCannotSendSysEx = 0x7000004;
inline constexpr std::uint32_t kInvalidParameter = 0x7000005;
}  // namespace mdct

std::string_view MusicEventErrorText(std::uint32_t code);
std::string_view TrackErrorText(std::uint32_t code);
std::string_view StatusErrorText(std::uint32_t code);
std::string_view SongErrorText(std::uint32_t code);
std::string_view PlayerErrorText(std::uint32_t code);
std::string_view MusicPlayerErrorText(std::uint32_t code);
std::string_view MidiDeviceErrorText(std::uint32_t code);

int ReportMusicEventError(MessageSink& sink, std::uint32_t code);   // MUEV
int ReportTrackError(MessageSink& sink, std::uint32_t code);        // MDTK
int ReportStatusError(MessageSink& sink, std::uint32_t code);       // MDSS
int ReportSongError(MessageSink& sink, std::uint32_t code);         // M0DT
int ReportPlayerError(MessageSink& sink, std::uint32_t code);       // MDPL
int ReportMusicPlayerError(MessageSink& sink, std::uint32_t code);  // MDSP
int ReportMidiDeviceError(MessageSink& sink, std::uint32_t code);   // MDCT

// Shown in a plain box when a timer chain reaches its end tick with no end callback.
inline constexpr std::string_view kCallBackPlayerError = "CallBackPlayer Error!";

}  // namespace harkwell
