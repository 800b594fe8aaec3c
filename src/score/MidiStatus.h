#pragma once

#include "common/MessageSink.h"
#include "score/MidiTrackData.h"
#include "score/MusicEvent.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace harkwell {

// The state of the sixteen channels, the tempo and the time signature at a
// point inside a track, so that playback can start there. -1 means not set.
class MidiStatus {
public:
    static constexpr int kChannels = 16;
    static constexpr int kControllers = 128;
    // The most events MakeEvents can write.
    static constexpr int kMostEvents = kChannels * (kControllers + 2) + 2;

    explicit MidiStatus(MessageSink& sink);

    // Remembers what a program change, control change, pitch bend, tempo or
    // time signature sets; other events, and channels or controllers out of
    // range, change nothing.
    void Record(const MidiEvent& event);
    // Records every event before the first one at or after startTick and
    // returns that event's index (the count when none reaches it); skipped is
    // the time of the last event passed.
    std::int32_t CollectUpTo(const MidiTrackData& track, std::int32_t startTick, std::int32_t& skipped);
    // Appends the events that restore the recorded state, all at delta 0;
    // returns how many were written. A time signature that makes no valid
    // data bytes is reported and left out.
    std::int32_t MakeEvents(std::vector<std::unique_ptr<MidiEvent>>& out);

    std::int32_t Program(int channel) const { return program_[static_cast<std::size_t>(channel)]; }
    std::int32_t Tempo() const { return tempo_; }
    std::int32_t TimeSignature() const { return timeSignature_; }

private:
    MessageSink& sink_;
    std::array<std::int32_t, kChannels> program_;
    std::array<std::array<std::int32_t, 2>, kChannels> bend_;  // high byte, low byte
    std::array<std::array<std::int32_t, kControllers>, kChannels> controller_;
    std::int32_t tempo_ = -1;
    std::int32_t timeSignature_ = -1;
};

}  // namespace harkwell
