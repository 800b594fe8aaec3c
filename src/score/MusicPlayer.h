#pragma once

#include "common/MessageSink.h"
#include "common/ThreadChecker.h"
#include "score/MidiOutPort.h"
#include "score/MidiPlayer.h"
#include "score/MusicEvent.h"
#include "score/TimerService.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace harkwell {

class MidiF0Data;

// Told of every event sent, as (play index, time in ticks, event); the event
// is none for the call a song makes before its playback. Runs on the timer
// thread: it must not block, allocate or touch a widget.
using ProgressCallback = std::function<void(std::int32_t index, std::int32_t time, const MidiEvent* event)>;
// Told that a playback has ended by itself. Runs on the play thread (or, when
// an end tick is reached, on the timer thread); it must post to the user
// interface, not call it.
using EndCallback = std::function<void()>;

// The timer chain: a one-shot timer whose procedure sends every event that has
// fallen due, tells the progress callback, works out the delay to the next
// event from the tempo and arms the next timer. Destroying it disarms its
// timer (waiting for a running procedure) and releases the output port.
class CallBackPlayer {
public:
    CallBackPlayer(MidiPlayer& player, TimerService& timers, std::atomic<bool>& endTickNoticeShown, MidiF0Data* song,
                   int device, ProgressCallback progress, std::int32_t startTime, std::int32_t startTick,
                   std::int32_t endTick, EndCallback endCallback);
    virtual ~CallBackPlayer();
    CallBackPlayer(const CallBackPlayer&) = delete;
    CallBackPlayer& operator=(const CallBackPlayer&) = delete;

    // Ends the chain now: no further firing sends anything.
    void Kill();
    bool EndCallbackCalled() const { return endCallbackCalled_.load(); }
    std::int32_t Time() const { return time_; }

private:
    static void Fire(void* self);
    void OnTimer();
    void Arm(int delayMs);
    void Notify(const MidiEvent& event);
    std::int32_t NextDelay(std::int32_t delta);

    MidiPlayer& player_;
    TimerService& timers_;
    std::atomic<bool>& endTickNoticeShown_;
    ProgressCallback progress_;
    EndCallback endCallback_;
    std::int32_t time_ = 0;
    std::int32_t endTick_ = -1;
    std::int64_t carry_ = 0;  // milliseconds x ticks per minute, below one millisecond
    std::int64_t carryTicksPerMinute_ = 0;
    std::atomic<bool> killed_{false};
    std::atomic<bool> endCallbackCalled_{false};
    std::atomic<TimerService::TimerId> timerId_{TimerService::kNoTimer};
};

// The playback controller: the play thread of a song starts a playback, waits
// until it has ended and cleans up; the user interface asks it to stop. One
// per program, handed to the songs that play through it.
//
// Threads: Start, WaitForEnd and Finish on the play thread (each playback may
// have a new one: Start makes its thread the play thread); RequestStop,
// KillTimer and IsActive on the user-interface thread, the one that made the
// controller. Debug builds check both.
class MusicPlayer {
public:
    MusicPlayer(MessageSink& sink, MidiOutDevices& devices, TimerService& timers);
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Builds the timer chain; false (and nothing left behind) when no output
    // port could be opened.
    [[nodiscard]]
    bool Start(MidiF0Data* song, ProgressCallback progress, std::int32_t startTime, std::int32_t startTick,
               std::int32_t endTick, EndCallback endCallback);
    void RequestStop();
    // Ends the chain at once, without waiting for its next firing.
    void KillTimer();
    bool IsActive() const;
    // Waits until the playing flag falls, showing the chain's messages on the
    // way; then calls the end callback unless a stop was asked for.
    void WaitForEnd();
    // Destroys the chain, which releases the output port.
    void Finish();

    bool IsIdle() const { return idle_.load(); }
    void SetIdle(bool idle) { idle_.store(idle); }

    MidiPlayer& Player() { return player_; }
    TimerService& Timers() { return timers_; }
    MessageSink& Sink() { return sink_; }

private:
    void EndChain();

    ThreadChecker interfaceThread_;
    ThreadChecker playThread_{ThreadChecker::kUnbound};
    MessageSink& sink_;
    TimerService& timers_;
    MidiPlayer player_;
    std::atomic<bool> idle_{true};
    std::atomic<bool> endTickNoticeShown_{false};
    mutable std::mutex chainMutex_;
    std::unique_ptr<CallBackPlayer> timerChain_;
    ProgressCallback progress_;
    EndCallback endCallback_;
};

}  // namespace harkwell
