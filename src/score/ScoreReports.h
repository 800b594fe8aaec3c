#pragma once

#include "common/MessageSink.h"

#include <cstdint>
#include <string_view>

namespace harkwell {

// The reporters of the score and MIDI modules. Each shows "PREFIX%08X text"
// system-modal through the sink; a code outside its table shows the module's
// general text. Callers carry on whatever the result.

enum class MusicEventError : std::uint32_t {  // MUEV
    DataTooLarge = 0x6000001,
    DataError = 0x6000002,
};

enum class TrackError : std::uint32_t {  // MDTK
    Internal = 0xD000001,
    LargeData = 0xD000006,
    InvalidParameter = 0xD000010,
    TempoDataWrong = 0xD000015,
};

enum class StatusError : std::uint32_t {  // MDSS
    TimeSignInvalid = 0x37000002,
};

enum class SongError : std::uint32_t {  // M0DT
    Internal = 0x4000005,
    StopFailed = 0x400000A,
};

enum class PlayerError : std::uint32_t {  // MDPL
    DivisionTooLarge = 0x8000001,
    CannotUseTimer = 0x8000002,
    TempoTooSlow = 0x8000003,
    Internal = 0x8000004,
    PlayPointWrong = 0x8000005,
    TempoWrong = 0x8000006,
    MusicalDataInvalid = 0x8000007,
};

enum class MusicPlayerError : std::uint32_t {  // MDSP
    Internal = 0x9000001,
};

enum class MidiDeviceError : std::uint32_t {  // MDCT
    CannotOpen = 0x7000001,
    CannotClose = 0x7000002,
    CannotChangeTone = 0x7000003,
    CannotSendSysEx = 0x7000004,
    InvalidParameter = 0x7000005,
};

std::string_view MusicEventErrorText(MusicEventError code);
std::string_view TrackErrorText(TrackError code);
std::string_view StatusErrorText(StatusError code);
std::string_view SongErrorText(SongError code);
std::string_view PlayerErrorText(PlayerError code);
std::string_view MusicPlayerErrorText(MusicPlayerError code);
std::string_view MidiDeviceErrorText(MidiDeviceError code);

int ReportMusicEventError(MessageSink& sink, MusicEventError code);   // MUEV
int ReportTrackError(MessageSink& sink, TrackError code);        // MDTK
int ReportStatusError(MessageSink& sink, StatusError code);       // MDSS
int ReportSongError(MessageSink& sink, SongError code);         // M0DT
int ReportPlayerError(MessageSink& sink, PlayerError code);       // MDPL
int ReportMusicPlayerError(MessageSink& sink, MusicPlayerError code);  // MDSP
int ReportMidiDeviceError(MessageSink& sink, MidiDeviceError code);   // MDCT

// Shown in a plain box when a timer chain reaches its end tick with no end callback.
inline constexpr std::string_view kCallBackPlayerError = "CallBackPlayer Error!";

}  // namespace harkwell
