#pragma once

#include "audio/WaveOutPort.h"
#include "common/MessageSink.h"

#include <atomic>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace harkwell {

// The ring of equally sized, zero-filled sample buffers that circulate
// through a wave output port, with their headers.
class WaveBufferSet {
public:
    WaveBufferSet(std::uint32_t bufferSize, std::uint32_t bufferCount, MessageSink& messages);

    bool Ready() const { return ready_; }
    std::uint32_t BufferSize() const { return bufferSize_; }
    std::uint32_t BufferCount() const { return bufferCount_; }
    WaveBufferHeader& Header(std::uint32_t index) { return *headers_[index]; }
    std::uint8_t* Data(std::uint32_t index) { return data_[index].get(); }
    // The index of a header of this set, or -1.
    int IndexOf(const WaveBufferHeader* header) const;
    // Silence in every buffer.
    void Clear();

private:
    bool ready_ = false;
    std::uint32_t bufferSize_;
    std::uint32_t bufferCount_;
    std::vector<std::unique_ptr<WaveBufferHeader>> headers_;
    std::vector<std::unique_ptr<std::uint8_t[]>> data_;
};

// One wave output device with its ring of buffers: the player writes frames
// into the ring ahead of the played position, and every buffer the device
// hands back as played is queued again at once.
//
// Threads: the interface thread requeues played buffers while the player's
// worker may reset and close the device at the end of a play; a requeue and
// a reset or close never interleave, and no requeue reaches the port once
// closing has begun. The port's own notifier may requeue too, so closing the
// port is done without holding the device's lock.
class WaveOutDevice {
public:
    WaveOutDevice(WaveOutPort& port, MessageSink& messages, int deviceId, const WaveFormat& format,
                  std::uint32_t bufferSize, std::uint32_t bufferCount);
    ~WaveOutDevice();
    WaveOutDevice(const WaveOutDevice&) = delete;
    WaveOutDevice& operator=(const WaveOutDevice&) = delete;

    [[nodiscard]] bool QueryFormat();
    [[nodiscard]] bool Open(WaveOutPort::BufferDone onDone);
    [[nodiscard]] bool QueueAll();
    void Restart();
    // Queues a played buffer of this device's ring again; false for any other.
    [[nodiscard]] bool Requeue(WaveBufferHeader* header);
    void Reset();
    // False when closing failed (its message says so).
    bool Close();
    // Copies frames into the ring from buffer `index` at frame `offset` on,
    // going round from the last buffer to the first.
    void WriteFrames(std::uint32_t index, std::uint32_t offset, const std::uint8_t* source, std::uint32_t count);
    // Everything up to this frame of the play (counted like PlayedFrames) is
    // written and may be heard. Writer's thread; never blocks.
    void MarkWritten(std::uint32_t endFrame);
    std::uint32_t PlayedFrames() const;

    bool IsOpen() const { return open_; }
    std::uint32_t FramesPerBuffer() const;
    WaveBufferSet& Buffers() { return buffers_; }

private:
    WaveOutPort& port_;
    MessageSink& messages_;
    int deviceId_;
    WaveFormat format_;
    WaveBufferSet buffers_;
    std::mutex control_;              // orders requeues against reset and close
    std::atomic<bool> open_ = false;  // read by the player's worker too
};

}  // namespace harkwell
