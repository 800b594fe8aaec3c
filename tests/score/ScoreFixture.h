#pragma once

#include "score/MidiF0Data.h"
#include "score/MusicPlayer.h"

#include "fakes/ManualTimerService.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingMidiPort.h"

#include <memory>
#include <vector>

namespace harkwell::testing {

// A controller on a recording MIDI device and a manual clock, and songs to
// play through it. Messages are stamped with the manual clock.
struct ScoreFixture {
    RecordingMessageSink sink;
    RecordingMidiDevices devices;
    ManualTimerService timers;
    MusicPlayer player{sink, devices, timers};

    ScoreFixture()
    {
        devices.clock = [this] { return timers.Now(); };
    }

    // A song in the editing form (division 960) with a tempo, a program and
    // notes given as (tick at 960, note, duration at 960).
    struct Note {
        int at;
        int note;
        int duration;
    };
    std::unique_ptr<MidiF0Data> EditingSong(const std::vector<Note>& notes, int endAt, int tempo = 500000)
    {
        auto song = std::make_unique<MidiF0Data>(sink, player);
        song->Track().AppendTempo(tempo);
        song->Track().AddProgramChange(0, 73);
        int last = 0;
        for (const auto& n : notes) {
            song->Track().AddNote(0, n.at - last, n.note, 127, n.duration);
            last = n.at;
        }
        song->Track().AppendEndOfTrack(endAt - last);
        return song;
    }

    // The same at division 96 in the playable form.
    std::unique_ptr<MidiF0Data> PlayableSong(const std::vector<Note>& notes, int endAt, int tempo = 500000)
    {
        auto song = EditingSong(notes, endAt, tempo);
        song->SetDivision(96);
        song->ToPlayable();
        return song;
    }

    // Note-ons and note-offs as (status, note, time in ms).
    std::vector<std::tuple<int, int, std::int64_t>> Notes() const
    {
        std::vector<std::tuple<int, int, std::int64_t>> notes;
        for (const auto& m : devices.Messages())
            if (!m.isLong && (m.bytes[0] & 0xE0) == 0x80) notes.emplace_back(m.bytes[0], m.bytes[1], m.timeMs);
        return notes;
    }
};

}  // namespace harkwell::testing
