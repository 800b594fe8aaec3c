#pragma once

#include "common/MessageSink.h"
#include "common/DeferredMessageSink.h"
#include "score/MidiControler.h"
#include "score/MidiOutPort.h"
#include "score/MusicEvent.h"
#include "score/TimerService.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace harkwell {

class MidiF0Data;

// The state of one MIDI playback and the operations that send a song's events
// to an output port: Prepare opens the port and brings the song to its start,
// Advance sends the event at the play point and tells the ticks to the next
// one, and the tick arithmetic turns ticks into milliseconds. One score plays
// at a time per player.
//
// Threads: Prepare and Release run on the play thread; SendEvent and Advance
// on the timer thread once the timer chain runs. The playing flag and the stop
// request are shared with the controller and the user interface.
class MidiPlayer {
public:
    static constexpr std::int32_t kStartTempo = 240;
    static constexpr std::int32_t kNormalSpeed = 100;

    MidiPlayer(MessageSink& sink, MidiOutDevices& devices, TimerService& timers);
    ~MidiPlayer();
    MidiPlayer(const MidiPlayer&) = delete;
    MidiPlayer& operator=(const MidiPlayer&) = delete;

    // Opens the port and brings a playable song to startTick. Returns the
    // timers' minimum period, or 0 when nothing will play.
    [[nodiscard]] int Prepare(MidiF0Data* song, int device, std::int32_t startTick, std::int32_t& skippedTicks);
    void SendEvent(const MidiEvent& event);
    // Sends the event and moves on; the delta of the next event, or -1 at the end.
    std::int32_t Advance(const MidiEvent& event);
    void ResetState() {}
    // Closes and frees the output port.
    void Release();

    // (int)(division * speed * tempo * 0.01).
    std::int32_t TicksPerMinute() const;
    // delta * 60000 / ticks per minute; -1 when ticks per minute are 0.
    std::int32_t DeltaToMs(std::int32_t delta) const;

    MidiF0Data* Song() const { return song_; }
    bool HasOutput() const { return output_ != nullptr && output_->IsOpen(); }
    std::int32_t PlayIndex() const { return playIndex_; }
    std::int32_t Tempo() const { return tempo_; }
    std::int32_t Speed() const { return speed_; }
    int PeriodMs() const { return period_; }

    std::atomic<bool> playing{false};
    std::atomic<bool> stopRequest{false};

    // Messages raised on the timer thread wait here for the play thread.
    DeferredMessageSink& Reports() { return reports_; }

private:
    MessageSink& sink_;
    DeferredMessageSink reports_;
    MidiOutDevices& devices_;
    TimerService& timers_;
    MidiF0Data* song_ = nullptr;
    std::unique_ptr<MidiControler> output_;
    std::int32_t playIndex_ = 0;
    std::int32_t tempo_ = kStartTempo;
    std::int32_t speed_ = kNormalSpeed;
    int period_ = 1;
};

}  // namespace harkwell
