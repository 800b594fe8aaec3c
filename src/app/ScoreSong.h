#pragma once

#include "analysis/ScoreGrid.h"
#include "areas/SeparatorTable.h"
#include "score/MidiTrackData.h"

#include <cstdint>

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

}  // namespace harkwell
