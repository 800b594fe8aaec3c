#include "app/ScoreSong.h"

#include <cmath>

namespace harkwell {

namespace {

constexpr std::int32_t kVelocity = 127;
constexpr std::int32_t kChannel = 0;

}  // namespace

std::int32_t ScoreTempo(const SeparatorTable& table, std::int32_t position, std::uint32_t sampleRate,
                        double playSpeed)
{
    if (sampleRate == 0 || !(playSpeed > 0)) return 500000;
    const int k = table.SeparatorAt(position);
    const double quarterSeconds = table.baseLength[static_cast<std::size_t>(k)] / static_cast<double>(sampleRate) *
                                  (1.0 / (table.NoteValueOf(k) * 0.5));
    const double atSpeed = std::trunc(quarterSeconds * 1000000.0) * (1.0 / playSpeed);
    return static_cast<std::int32_t>(std::trunc(atSpeed));
}

void BuildBarTrack(MidiTrackData& track, const ScoreBar& bar)
{
    track.AppendTempo(bar.microsecondsPerQuarter);
    track.AddProgramChange(kChannel, bar.program);
    std::int32_t delta = 0;
    for (int p = 0; p < ScoreGrid::kPositions; ++p) {
        const ScoreGrid::Position& position = bar.grid->At(p);
        const std::int32_t duration = bar.grid->LengthAt(p) * ScoreGrid::kSixteenthTicks;
        for (int i = 0; i < position.count; ++i) {
            const int entry = position.entries[static_cast<std::size_t>(i)];
            if (entry < 0) break;  // a rest or a hold
            track.AddNote(kChannel, delta, entry, kVelocity, duration);
            delta = 0;
        }
        delta += ScoreGrid::kSixteenthTicks;
    }
    track.AppendEndOfTrack(delta);
}

}  // namespace harkwell
