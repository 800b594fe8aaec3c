#pragma once

#include "analysis/ScoreGrid.h"
#include "areas/SeparatorTable.h"
#include "score/MidiRenderer.h"
#include "score/MidiTrackData.h"

#include <cstdint>
#include <vector>

namespace harkwell {

// The written bar as a song plays it: the tempo of the bar's place in the
// tune at the chosen speed, its instrument and its notes.
struct ScoreBar {
    const ScoreGrid* grid = nullptr;
    std::int32_t microsecondsPerQuarter = 500000;
    std::int32_t program = 0;
};

// Microseconds per quarter note of the separator in force at `position`
// (frames of the tune), played at `playSpeed`.
std::int32_t ScoreTempo(const SeparatorTable& table, std::int32_t position, std::uint32_t sampleRate,
                        double playSpeed);

// The bar into a track at division 960: the tempo, the program on channel 0,
// then every note of the grid with its length, a sixteenth 240 ticks.
void BuildBarTrack(MidiTrackData& track, const ScoreBar& bar);

// The bar's messages at frames of a sound at `sampleRate`, its first
// sixteenth at `firstFrame`: the program first, then each note's start and
// end on the tempo's grid, rounded to the nearest frame. At one frame a note
// ends before the next one starts, so a repeated key sounds again.
std::vector<TimedMidiMessage> ScheduleBar(const ScoreBar& bar, std::uint32_t sampleRate, std::uint32_t firstFrame);

// The frame, counted as by ScheduleBar, at which the bar's tick falls.
std::uint32_t FrameOfTick(const ScoreBar& bar, std::uint32_t sampleRate, std::uint32_t firstFrame, std::int64_t tick);

}  // namespace harkwell
