#include "app/ScoreSong.h"

#include "score/MidiOutPort.h"

#include <algorithm>
#include <cmath>

namespace harkwell {

namespace {

constexpr std::int32_t kVelocity = 127;
constexpr std::int32_t kChannel = 0;
constexpr double kTicksPerQuarter = 960.0;

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

std::uint32_t FrameOfTick(const ScoreBar& bar, std::uint32_t sampleRate, std::uint32_t firstFrame, std::int64_t tick)
{
    const double seconds = static_cast<double>(tick) * bar.microsecondsPerQuarter / kTicksPerQuarter * 1e-6;
    const double frame = static_cast<double>(firstFrame) + std::round(seconds * sampleRate);
    return static_cast<std::uint32_t>(std::clamp(frame, 0.0, static_cast<double>(UINT32_MAX)));
}

std::vector<TimedMidiMessage> ScheduleBar(const ScoreBar& bar, std::uint32_t sampleRate, std::uint32_t firstFrame)
{
    std::vector<TimedMidiMessage> messages;
    if (bar.grid == nullptr) return messages;
    messages.push_back({firstFrame, PackShortMessage(0xC0 | kChannel, bar.program & 0x7F, 0)});
    for (int p = 0; p < ScoreGrid::kPositions; ++p) {
        const ScoreGrid::Position& position = bar.grid->At(p);
        const std::int64_t on = std::int64_t{p} * ScoreGrid::kSixteenthTicks;
        const std::int64_t off = on + std::int64_t{bar.grid->LengthAt(p)} * ScoreGrid::kSixteenthTicks;
        for (int i = 0; i < position.count; ++i) {
            const int entry = position.entries[static_cast<std::size_t>(i)];
            if (entry < 0) break;  // a rest or a hold
            messages.push_back({FrameOfTick(bar, sampleRate, firstFrame, on), PackShortMessage(0x90 | kChannel, entry, kVelocity)});
            messages.push_back({FrameOfTick(bar, sampleRate, firstFrame, off), PackShortMessage(0x80 | kChannel, entry, 0)});
        }
    }
    // By frame; at one frame the program, then the ends, then the starts.
    const auto rank = [](std::uint32_t packed) {
        const std::uint32_t kind = packed & 0xF0;
        return kind == 0xC0 ? 0 : kind == 0x80 ? 1 : 2;
    };
    std::stable_sort(messages.begin(), messages.end(), [&](const TimedMidiMessage& a, const TimedMidiMessage& b) {
        return a.frame != b.frame ? a.frame < b.frame : rank(a.packed) < rank(b.packed);
    });
    return messages;
}

}  // namespace harkwell
