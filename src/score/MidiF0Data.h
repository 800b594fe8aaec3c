#pragma once

#include "common/MessageSink.h"
#include "common/ThreadChecker.h"
#include "score/MidiTrackData.h"
#include "score/MusicPlayer.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

namespace harkwell {

// A single-track song: one track with its division, state and time
// signature. Play makes a play copy at division 96 in the playable form and
// plays it from the bar of its first note on a play thread through the
// controller; Stop ends it. The song joins its play thread before it is gone.
//
// Threads: every call on the user-interface thread, the one that made the
// song (debug builds check Play and Stop). The callbacks run on the play and
// timer threads (see MusicPlayer.h); they must not destroy the song.
class MidiF0Data {
public:
    static constexpr std::int32_t kEditingDivision = 960;
    static constexpr std::int32_t kPlayDivision = 96;
    static constexpr std::int32_t kDefaultMeasureTicks = 384;

    MidiF0Data(MessageSink& sink, MusicPlayer& player, std::int32_t capacity = kTrackCapacity);
    // A copy of a song in the editing form, without its play copy.
    MidiF0Data(const MidiF0Data& source);
    MidiF0Data& operator=(const MidiF0Data&) = delete;
    ~MidiF0Data();

    MidiTrackData& Track() { return *track_; }
    const MidiTrackData& Track() const { return *track_; }
    std::int32_t Division() const { return division_; }
    std::int32_t State() const { return state_; }
    std::int32_t TimeSignature() const { return timeSignature_; }
    void SetTimeSignature(std::int32_t packed) { timeSignature_ = packed; }
    MidiF0Data* PlayCopy() const { return playCopy_.get(); }

    void ToPlayable();
    std::int32_t SetDivision(std::int32_t division);
    // Ticks per bar: 384 without a usable time signature.
    std::int32_t MeasureTicks() const;
    // The tick at which the bar of the first note starts; the lead-in before it
    // is cut away (its events move to tick 0).
    std::int32_t FirstMeasureStart();

    void Play(EndCallback endCallback, ProgressCallback progressCallback, std::int32_t fromFirstMeasure);
    std::int32_t Stop();

private:
    // Waits for an earlier play thread; asks it to stop after 5 seconds and
    // ends its timer chain after 10.
    void WaitForPlayThread();
    void JoinPlayThread();

    ThreadChecker interfaceThread_;
    MessageSink& sink_;
    MusicPlayer& player_;
    std::int32_t division_ = kEditingDivision;
    std::int32_t state_ = track_state::kEditing;
    std::int32_t timeSignature_ = 0;
    std::unique_ptr<MidiF0Data> playCopy_;
    std::thread playThread_;
    std::atomic<bool> playThreadDone_{true};
    std::unique_ptr<MidiTrackData> track_;
};

}  // namespace harkwell
