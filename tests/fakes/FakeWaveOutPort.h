#pragma once

#include "audio/WaveOutPort.h"

#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace harkwell::testing {

// A sound output whose clock the test drives: Advance plays frames from the
// queued buffers into `played` and hands back every buffer it finishes.
class FakeWaveOutPort final : public WaveOutPort {
public:
    bool Supports(int, const WaveFormat& format) override
    {
        std::lock_guard lock(mutex_);
        format_ = format;
        return supports;
    }
    std::string RefusalCause(int, const WaveFormat&) override { return supports ? std::string() : refusal; }
    bool Open(int, const WaveFormat& format, BufferDone onDone) override
    {
        std::lock_guard lock(mutex_);
        if (!opens) return false;
        format_ = format;
        onDone_ = std::move(onDone);
        open_ = true;
        paused_ = false;
        // The played position counts from the opening, as a real output's does.
        queue_.clear();
        offset_ = 0;
        playedFrames_ = 0;
        writtenEnd_ = 0;
        return true;
    }
    void Pause() override
    {
        std::lock_guard lock(mutex_);
        paused_ = true;
    }
    void Restart() override
    {
        std::lock_guard lock(mutex_);
        paused_ = false;
    }
    bool Prepare(WaveBufferHeader& header) override
    {
        if (header.data == nullptr || header.length == 0) return false;
        header.flags |= kBufferPrepared;
        return prepares;
    }
    bool Unprepare(WaveBufferHeader& header) override
    {
        if (header.flags & kBufferQueued) return false;
        header.flags &= ~kBufferPrepared;
        return true;
    }
    bool Write(WaveBufferHeader& header) override
    {
        std::lock_guard lock(mutex_);
        if (!open_ || !(header.flags & kBufferPrepared)) return false;
        header.flags = (header.flags & ~kBufferDone) | kBufferQueued;
        queue_.push_back(&header);
        ++writes;
        return true;
    }
    void Reset() override
    {
        std::lock_guard lock(mutex_);
        for (WaveBufferHeader* header : queue_) header->flags = (header->flags & ~kBufferQueued) | kBufferDone;
        queue_.clear();
        offset_ = 0;
        ++resets;
        writesAtReset = writes;
    }
    bool Close() override
    {
        std::lock_guard lock(mutex_);
        open_ = false;
        ++closes;
        return true;
    }
    void MarkWritten(std::uint32_t endFrame) override
    {
        std::lock_guard lock(mutex_);
        writtenEnd_ = endFrame;
        ++marks;
    }
    std::uint32_t PlayedFrames() const override
    {
        std::lock_guard lock(mutex_);
        return playedFrames_;
    }

    // The count of closes, safe to read while a player's worker may close.
    int Closes() const
    {
        std::lock_guard lock(mutex_);
        return closes;
    }

    // Plays up to `frames` frames; a starved or paused port plays nothing.
    // Frames past the writer's mark play as silence, unread, as on a real output.
    void Advance(std::uint32_t frames)
    {
        std::vector<WaveBufferHeader*> finished;
        {
            std::lock_guard lock(mutex_);
            const std::uint32_t frameBytes = format_.blockAlign;
            while (frames > 0 && open_ && !paused_ && !queue_.empty() && frameBytes > 0) {
                WaveBufferHeader* header = queue_.front();
                const std::uint32_t left = (header->length - offset_) / frameBytes;
                const std::uint32_t take = std::min(left, frames);
                const std::uint8_t* from = header->data + offset_;
                const std::uint32_t ready =
                    writtenEnd_ > playedFrames_ ? std::min(take, writtenEnd_ - playedFrames_) : 0;
                played.insert(played.end(), from, from + std::size_t{ready} * frameBytes);
                played.insert(played.end(), std::size_t{take - ready} * frameBytes, Silence());
                offset_ += take * frameBytes;
                playedFrames_ += take;
                frames -= take;
                if (offset_ >= header->length) {
                    queue_.pop_front();
                    offset_ = 0;
                    header->flags = (header->flags & ~kBufferQueued) | kBufferDone;
                    finished.push_back(header);
                }
            }
        }
        for (WaveBufferHeader* header : finished)
            if (onDone_) onDone_(header);
    }

    bool supports = true;
    std::string refusal = "no output device";  // what a refusing port says
    bool opens = true;
    bool prepares = true;
    std::vector<std::uint8_t> played;
    int writes = 0;
    int writesAtReset = 0;
    int resets = 0;
    int closes = 0;
    int marks = 0;

private:
    std::uint8_t Silence() const { return format_.bitsPerSample == 8 ? 0x80 : 0; }

    mutable std::mutex mutex_;
    WaveFormat format_;
    BufferDone onDone_;
    std::deque<WaveBufferHeader*> queue_;
    std::uint32_t offset_ = 0;
    std::uint32_t playedFrames_ = 0;
    std::uint32_t writtenEnd_ = 0;
    bool open_ = false;
    bool paused_ = false;
};

}  // namespace harkwell::testing
