#pragma once

#include "audio/WaveOutPort.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

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
class PortAudioWaveOutPort final : public WaveOutPort {
public:
    explicit PortAudioWaveOutPort(PortAudioSession& session) : session_(session) {}
    ~PortAudioWaveOutPort() override;

    bool Supports(int deviceId, const WaveFormat& format) override;
    bool Open(int deviceId, const WaveFormat& format, BufferDone onDone) override;
    void Pause() override;
    void Restart() override;
    bool Prepare(WaveBufferHeader& header) override;
    bool Unprepare(WaveBufferHeader& header) override;
    bool Write(WaveBufferHeader& header) override;
    void Reset() override;
    bool Close() override;
    std::uint32_t PlayedFrames() const override { return playedFrames_.load(std::memory_order_relaxed); }

private:
    static constexpr std::size_t kCapacity = 64;

    // A fixed ring of buffer pointers, so the sound thread never allocates.
    struct HeaderQueue {
        std::array<WaveBufferHeader*, kCapacity> items{};
        std::size_t first = 0;
        std::size_t count = 0;
        bool Push(WaveBufferHeader* header);
        WaveBufferHeader* Front() const { return count == 0 ? nullptr : items[first]; }
        void Pop();
    };

    static int OnSound(const void* input, void* output, unsigned long frames, const void* timeInfo,
                       unsigned long statusFlags, void* self);
    int Fill(std::uint8_t* output, unsigned long frames);
    void Notify();
    void StopStream();

    PortAudioSession& session_;
    void* stream_ = nullptr;
    std::uint32_t frameBytes_ = 0;
    bool eightBit_ = false;
    bool started_ = false;
    std::atomic<bool> paused_ = false;
    std::atomic<std::uint32_t> playedFrames_ = 0;
    BufferDone onDone_;

    // Guards the queues and the play offset; the sound thread only tries it.
    std::mutex mutex_;
    HeaderQueue queue_;
    HeaderQueue done_;
    std::uint32_t offset_ = 0;  // bytes of the front buffer already played

    std::atomic<bool> notifying_ = false;
    std::thread notifier_;
};

}  // namespace harkwell
