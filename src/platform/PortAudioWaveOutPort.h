#pragma once

#include "audio/WaveOutPort.h"
#include "common/SpscRing.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include <semaphore.h>

namespace harkwell {

// The sound library's lifetime: one per program, made before any port.
class PortAudioSession {
public:
    PortAudioSession();
    ~PortAudioSession();
    PortAudioSession(const PortAudioSession&) = delete;
    PortAudioSession& operator=(const PortAudioSession&) = delete;

    bool Ready() const { return ready_; }

private:
    bool ready_ = false;
};

// Plays queued buffers through the desktop's sound server. Device -1 prefers
// the sound server's own device, then the system's default output.
//
// The sound thread's callback never locks, allocates or waits: buffers reach
// it through a lock-free ring, played buffers leave it through another, and
// a semaphore wakes the thread that hands them on. The callback reads a
// buffer only up to the frame the writer has marked written.
class PortAudioWaveOutPort final : public WaveOutPort {
public:
    explicit PortAudioWaveOutPort(PortAudioSession& session);
    ~PortAudioWaveOutPort() override;

    bool Supports(int deviceId, const WaveFormat& format) override;
    std::string RefusalCause(int deviceId, const WaveFormat& format) override;
    bool Open(int deviceId, const WaveFormat& format, BufferDone onDone) override;
    void Pause() override;
    void Restart() override;
    bool Prepare(WaveBufferHeader& header) override;
    bool Unprepare(WaveBufferHeader& header) override;
    bool Write(WaveBufferHeader& header) override;
    void MarkWritten(std::uint32_t endFrame) override;
    void Reset() override;
    bool Close() override;
    std::uint32_t PlayedFrames() const override { return playedFrames_.load(std::memory_order_acquire); }

private:
    static constexpr std::size_t kCapacity = 64;

    static int OnSound(const void* input, void* output, unsigned long frames, const void* timeInfo,
                       unsigned long statusFlags, void* self);
    // The sound thread's part.
    void Fill(std::uint8_t* output, unsigned long frames);
    void Notify();
    void StopStream();

    PortAudioSession& session_;
    // Orders the control calls among the threads that make them; the sound
    // thread never takes it.
    std::mutex control_;
    void* stream_ = nullptr;
    std::uint32_t frameBytes_ = 0;
    bool eightBit_ = false;
    bool started_ = false;
    std::atomic<bool> paused_ = false;
    std::atomic<std::uint32_t> playedFrames_ = 0;
    std::atomic<std::uint32_t> writtenEnd_ = 0;
    BufferDone onDone_;

    SpscRing<WaveBufferHeader*, kCapacity> queue_;  // control side to the sound thread
    SpscRing<WaveBufferHeader*, kCapacity> done_;   // sound thread to the notifier
    std::uint32_t offset_ = 0;  // bytes of the front buffer already played; the sound thread's

    sem_t wake_;  // posted for every played buffer, and to end the notifier
    std::atomic<bool> notifying_ = false;
    std::thread notifier_;
};

}  // namespace harkwell
