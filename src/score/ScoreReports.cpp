#include "score/ScoreReports.h"

#include "common/ErrorReport.h"

#include <initializer_list>

namespace harkwell {

namespace {

struct Entry {
    std::uint32_t code;
    std::string_view text;
};

// The tables list every code a module has a text for, named or not.
template <typename Code>
std::string_view Lookup(std::initializer_list<Entry> table, Code code, std::string_view otherwise)
{
    for (const auto& entry : table)
        if (entry.code == static_cast<std::uint32_t>(code)) return entry.text;
    return otherwise;
}

template <typename Code>
int Report(MessageSink& sink, std::string_view prefix, Code code, std::string_view text)
{
    return ShowSystemModalMessage(sink, FormatModuleError(prefix, static_cast<std::uint32_t>(code), text));
}

}  // namespace

std::string_view MusicEventErrorText(MusicEventError code)
{
    return Lookup({{0x6000001, "Event data size is too large! If it includes MFi terminal tone data, it would "
                               "not be a problem."},
                   {0x6000002, "Error occured in event data!"}},
                  code, "Error occured in MusicEvent!");
}

std::string_view TrackErrorText(TrackError code)
{
    return Lookup({{0xD000001, "MidiTrackData Internal Error"},
                   {0xD000002, "Undefined Midi Event"},
                   {0xD000003, "Chanel is wrong"},
                   {0xD000005, "Tempo is wrong."},
                   {0xD000006, "Large data"},
                   {0xD000007, "This is not a midi file."},
                   {0xD000008, "Drum range is not within 35 to 81. Data is modified."},
                   {0xD00000C, "Wrong program change is modified to zero."},
                   {0xD00000D, "Duplicate note on has been found."},
                   {0xD00000E, "Duplicate note off has been found."},
                   {0xD000010, "Invalid parameter."},
                   {0xD000013, "Drum bank select is wrong."},
                   {0xD000014, "Note number is wrong."},
                   {0xD000015, "MidiTrackData tempo data is wrong."},
                   {0xD000018, "Can not find center note!"},
                   {0xD000019, "Musical data is invalid!"},
                   {0xD00001B, "Musical data is invalid!"},
                   {0xD00001A, "Can not add data!"},
                   {0xD00001C, "Can not divice data!"},
                   {0xD00001D, "The number of voice is invalid!"},
                   {0xD00001E, "Channel volume is invalid!"},
                   {0xD00001F, "Can not marge tracks!"},
                   {0xD000020, "Error occured in channel data!"},
                   {0xD000021, "Error occured in note!"},
                   {0xD000022, "Error occured in adding data!"},
                   {0xD000028, "Error occured in adding data!"},
                   {0xD000023, "Error occured in connecting notes!"},
                   {0xD000024, "Value is invalid!"},
                   {0xD000025, "Data is invalid!"},
                   {0xD000026, "Error occured in track!"},
                   {0xD000027, "Error occured in time sign!"},
                   {0xD000029, "Error occured in data operation!"},
                   {0xD00002A, "Error occured in reducing voice!"},
                   {0xD00002B, "Error occured in pitch bend editing!"},
                   {0xD00002C, "Error occured in data editing!"},
                   {0xD00002D, "Error occured in data editing!"}},
                  code, "MidiTrackData error.");
}

std::string_view StatusErrorText(StatusError code)
{
    return Lookup({{0x37000002, "Time Sign is invalid!"}}, code, "Error occured in MidiStatus");
}

std::string_view SongErrorText(SongError code)
{
    return Lookup({{0x4000001, "This file is not Format 0!"},
                   {0x4000002, "Can not open the file!"},
                   {0x4000003, "The number of track is invalid! in MidiF0Data!"},
                   {0x4000004, "This is not a MIDI file. Or maybe mac binary is attached to the file!"},
                   {0x4000005, "Internal error occured in MidiF0Data!"},
                   {0x4000008, "The number of measure is invalid!"},
                   {0x4000009, "Musical information is wrong!"},
                   {0x400000A, "Error occured during stop process!"},
                   {0x400000B, "The end of track is invalid!"}},
                  code, "Error occurred in MidiF0Data!");
}

std::string_view PlayerErrorText(PlayerError code)
{
    return Lookup({{0x8000001, "Division is too large!"},
                   {0x8000002, "Can not use timer!"},
                   {0x8000003, "Tempo is too slow!"},
                   {0x8000004, "Internal error occured in MidiPlayer!"},
                   {0x8000005, "Play point is wrong!"},
                   {0x8000006, "Tempo is wrong!"},
                   {0x8000007, "Musical data is invalid!"}},
                  code, "Error occured in MidiPlayer!");
}

std::string_view MusicPlayerErrorText(MusicPlayerError code)
{
    return Lookup({{0x9000001, "Internal Error occured in MusicPlayer!"}}, code, "Error occured in MusicPlayer!");
}

std::string_view MidiDeviceErrorText(MidiDeviceError code)
{
    return Lookup({{0x7000001, "Can not open Midi device!"},
                   {0x7000002, "Can not close Midi device!"},
                   {0x7000003, "Can not change tone with Midi device!"},
                   {0x7000004, "Can not send system exclusive with midi device!"},
                   {0x7000005, "Invalid parameter in Midi!"}},
                  code, "Error occured in MidiControler!");
}

int ReportMusicEventError(MessageSink& sink, MusicEventError code)
{
    return Report(sink, "MUEV", code, MusicEventErrorText(code));
}

int ReportTrackError(MessageSink& sink, TrackError code)
{
    return Report(sink, "MDTK", code, TrackErrorText(code));
}

int ReportStatusError(MessageSink& sink, StatusError code)
{
    return Report(sink, "MDSS", code, StatusErrorText(code));
}

int ReportSongError(MessageSink& sink, SongError code)
{
    return Report(sink, "M0DT", code, SongErrorText(code));
}

int ReportPlayerError(MessageSink& sink, PlayerError code)
{
    return Report(sink, "MDPL", code, PlayerErrorText(code));
}

int ReportMusicPlayerError(MessageSink& sink, MusicPlayerError code)
{
    return Report(sink, "MDSP", code, MusicPlayerErrorText(code));
}

int ReportMidiDeviceError(MessageSink& sink, MidiDeviceError code)
{
    return Report(sink, "MDCT", code, MidiDeviceErrorText(code));
}

}  // namespace harkwell
