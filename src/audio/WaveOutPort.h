#pragma once

#include "audio/WaveFormat.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace harkwell {

// Flags of a buffer on its way through a wave output port.
inline constexpr std::uint32_t kBufferDone = 0x01;      // played, or handed back by Reset
inline constexpr std::uint32_t kBufferPrepared = 0x02;  // may be queued
inline constexpr std::uint32_t kBufferQueued = 0x10;    // waiting to play or playing

// One buffer of a ring of sample buffers. The port reads `data` when it plays
// the buffer, not when it is queued, so a writer may fill a queued buffer
// until the port reaches it; the writer says how far it has written with
// MarkWritten, and the port never reads past that.
struct WaveBufferHeader {
    std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    std::uint32_t user = 0;
    std::uint32_t loops = 0;
    std::atomic<std::uint32_t> flags{0};
};

// A sound output that plays queued buffers one after another and hands each
// played buffer back. Device -1 is the desktop's default output.
//
// Threads: the control calls (Supports to Close) come from the threads that
// own the output, one at a time or ordered among themselves; they may lock
// and wait, but never for the sound thread. MarkWritten and PlayedFrames may
// also come from the writer's thread; they never block. Nothing here is
// called on the sound thread itself.
class WaveOutPort {
public:
    // Told of each played buffer, on a thread of the port that is never the
    // sound thread itself; the owner carries the notice where it needs it.
    using BufferDone = std::function<void(WaveBufferHeader* header)>;

    virtual ~WaveOutPort() = default;

    // Whether the device can play the format, without opening it.
    [[nodiscard]] virtual bool Supports(int deviceId, const WaveFormat& format) = 0;
    // Why Supports says no, in words the user can act on ("no output device").
    virtual std::string RefusalCause(int deviceId, const WaveFormat& format) = 0;
    [[nodiscard]] virtual bool Open(int deviceId, const WaveFormat& format, BufferDone onDone) = 0;
    // Nothing plays while paused; queued buffers wait.
    virtual void Pause() = 0;
    virtual void Restart() = 0;
    // Fails for a buffer without data.
    [[nodiscard]] virtual bool Prepare(WaveBufferHeader& header) = 0;
    // Fails for a buffer still queued.
    [[nodiscard]] virtual bool Unprepare(WaveBufferHeader& header) = 0;
    // Fails for a buffer not prepared, or while closed.
    [[nodiscard]] virtual bool Write(WaveBufferHeader& header) = 0;
    // The queued buffers hold what is to be heard up to this frame (counted
    // like PlayedFrames); past it the port plays silence instead of reading
    // bytes the writer may be writing. Every frame written before the call
    // is seen by the port. Only grows until the next Open.
    virtual void MarkWritten(std::uint32_t endFrame) = 0;
    // Stops playing and marks every queued buffer done, without notices.
    virtual void Reset() = 0;
    [[nodiscard]] virtual bool Close() = 0;
    // Frames played since Open. Any thread; never blocks.
    virtual std::uint32_t PlayedFrames() const = 0;
};

}  // namespace harkwell
