#pragma once

#include "audio/PlayOverlay.h"
#include "audio/WaveOutDevice.h"
#include "common/ThreadChecker.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace harkwell {

// A place in a ring of N buffers of F frames: an absolute frame number and
// the buffer and frame it falls on.
class RingCursor {
public:
    RingCursor(std::uint32_t framesPerBuffer, std::uint32_t bufferCount)
        : framesPerBuffer_(framesPerBuffer), bufferCount_(bufferCount)
    {
    }

    void Set(std::uint32_t position);
    void CopyFrom(const RingCursor& other);
    // Frames from here forward to the other cursor within one turn of the
    // ring; negative when the other lies behind in the same buffer.
    std::int32_t DistanceTo(const RingCursor& other) const;

    std::uint32_t Index() const { return index_; }
    std::uint32_t Offset() const { return offset_; }
    std::uint32_t Absolute() const { return absolute_; }

private:
    std::uint32_t framesPerBuffer_;
    std::uint32_t bufferCount_;
    std::uint32_t index_ = 0;
    std::uint32_t offset_ = 0;
    std::uint32_t absolute_ = 0;
};

struct WavePlayerSettings {
    int deviceId = -1;
    std::uint32_t bufferSize = 4096;  // bytes
    std::uint32_t bufferCount = 8;
    int tailWaitMs = 100;
    int stepIntervalMs = 10;
};

// Plays a block of frames once through a wave output device: a worker keeps
// the ring filled a lead ahead of the played position, and the player stops
// itself after the last frame has had time to sound.
class WavePlayer {
public:
    // Told after every step, on the worker: frames written and frames in all.
    using Progress = std::function<void(std::uint32_t written, std::uint32_t total)>;
    // Carries a played buffer's notice to where OnBufferDone is to run.
    using DoneRoute = std::function<void(WaveBufferHeader* header)>;
    // Waits the given milliseconds; the worker's only way of passing time.
    using Sleep = std::function<void(int ms)>;

    // `frames` must stay alive until the player is gone.
    WavePlayer(WaveOutPort& port, MessageSink& messages, const WaveFormat& format, const std::uint8_t* frames,
               std::uint32_t totalFrames, const WavePlayerSettings& settings, DoneRoute doneRoute, Progress progress,
               Sleep sleep);
    // Stops a playing player and waits for its worker.
    ~WavePlayer();
    WavePlayer(const WavePlayer&) = delete;
    WavePlayer& operator=(const WavePlayer&) = delete;

    // A sound to add to the frames as they are written; set before Play.
    void SetOverlay(std::shared_ptr<PlayOverlay> overlay);
    // Starts playing; false when the device refused (its message says why).
    [[nodiscard]] bool Play();
    // Stops and closes the device; a second Stop, from any thread, returns at once.
    void Stop();
    // Queues a played buffer again while playing.
    void OnBufferDone(WaveBufferHeader* header);

    bool IsPlaying() const { return playing_; }
    std::uint32_t Lead() const { return lead_; }
    std::uint32_t Written() const { return written_; }

private:
    void Run();
    void Step();

    WaveOutDevice device_;
    WaveFormat format_;
    const std::uint8_t* frames_;
    std::uint32_t totalFrames_;
    WavePlayerSettings settings_;
    std::uint32_t lead_;
    RingCursor writeCursor_;
    RingCursor targetCursor_;
    std::uint32_t stepFrames_;        // frames that play in one step interval
    std::uint32_t endPosition_ = 0;   // played position at which the last frame has sounded
    std::uint32_t silenceFrames_;     // silence written after the last frame
    std::vector<std::uint8_t> silence_;
    std::shared_ptr<PlayOverlay> overlay_;
    std::vector<std::uint8_t> mixed_;  // the worker's: frames with the overlay added
    std::atomic<std::uint32_t> written_ = 0;
    std::atomic<bool> playing_ = false;
    std::atomic_flag stopping_ = ATOMIC_FLAG_INIT;
    DoneRoute doneRoute_;
    Progress progress_;
    Sleep sleep_;
    ThreadChecker owner_;                                  // builds, plays and destroys the player
    ThreadChecker noticeThread_{ThreadChecker::kUnbound};  // where the done route delivers
    std::thread worker_;
};

}  // namespace harkwell
