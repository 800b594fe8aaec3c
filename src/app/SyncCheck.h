#pragma once

// What Sync Play is heard to do, measured: a stretch of clicks on the beats
// of a bar is played against a bar of notes on the same beats, and the
// recording of what came out tells how far the notes lie from the clicks.

#include "analysis/ScoreGrid.h"
#include "areas/SeparatorTable.h"
#include "audio/WaveFormat.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace harkwell {

// The stretch and the bar: four beats at 120 quarters a minute, a short
// high click on each beat of the stretch (its first frame the first click)
// and a short low marimba note on each beat of the bar, a sixteenth that has
// died away before the next beat.
struct SyncCheckMaterial {
    static constexpr std::uint32_t kSampleRate = 44100;
    static constexpr std::uint32_t kBeatFrames = 22050;
    static constexpr int kBeats = 4;
    static constexpr int kNote = 48;    // C3: well below the clicks
    static constexpr int kProgram = 12;  // a marimba: a mallet's attack, heard at once

    WaveFormat format;
    std::vector<std::int16_t> clicks;
    SeparatorTable separators;  // a quarter note of one beat from the tune's start
    ScoreGrid bar;
};

SyncCheckMaterial MakeSyncCheckMaterial();

// Where the sounds of a recording begin (frames, ascending): the clicks by
// their high band, the notes by their low band: where the band's level rises
// from what rang before, at a fifth of the rise, with at least 200 ms between two.
std::vector<std::uint32_t> ClickOnsets(std::span<const std::int16_t> samples, std::uint32_t sampleRate);
std::vector<std::uint32_t> NoteOnsets(std::span<const std::int16_t> samples, std::uint32_t sampleRate);

struct SyncMeasurement {
    // The first note minus the first click, as heard (ms, signed).
    double offsetMs = 0;
    // Each beat's nearest note's distance from the beat's place on the
    // tempo's grid, counted from the first click (ms, signed).
    std::vector<double> gridErrorsMs;
};

// The measurement of a recording of the material played at `speed`; none
// when no click or no note is found.
std::optional<SyncMeasurement> MeasureSync(std::span<const std::int16_t> recording, std::uint32_t sampleRate,
                                           double speed);

}  // namespace harkwell
