#include "audio/WavePlayer.h"

#include <algorithm>
#include <pthread.h>
#include <sched.h>

namespace harkwell {

void RingCursor::Set(std::uint32_t position)
{
    absolute_ = position;
    if (framesPerBuffer_ == 0 || bufferCount_ == 0) return;
    index_ = (position / framesPerBuffer_) % bufferCount_;
    offset_ = position % framesPerBuffer_;
}

void RingCursor::CopyFrom(const RingCursor& other)
{
    if (&other == this) return;
    index_ = other.index_;
    offset_ = other.offset_;
    absolute_ = other.absolute_;
}

std::int32_t RingCursor::DistanceTo(const RingCursor& other) const
{
    const auto offsets = static_cast<std::int64_t>(other.offset_) - static_cast<std::int64_t>(offset_);
    if (other.index_ == index_) return static_cast<std::int32_t>(offsets);
    for (std::uint32_t k = 1; k < bufferCount_; ++k)
        if ((index_ + k) % bufferCount_ == other.index_)
            return static_cast<std::int32_t>(std::int64_t{k} * framesPerBuffer_ + offsets);
    return 0;
}

namespace {

std::uint32_t FramesPerBuffer(const WavePlayerSettings& settings, const WaveFormat& format)
{
    return format.blockAlign == 0 ? 0 : settings.bufferSize / format.blockAlign;
}

// A step above normal: the lead is all that covers a late worker. Without
// the right to raise it, the worker runs at normal priority.
void RaiseThreadPriority()
{
    sched_param parameters{};
    parameters.sched_priority = sched_get_priority_min(SCHED_RR);
    pthread_setschedparam(pthread_self(), SCHED_RR, &parameters);
}

}  // namespace

WavePlayer::WavePlayer(WaveOutPort& port, MessageSink& messages, const WaveFormat& format, const std::uint8_t* frames,
                       std::uint32_t totalFrames, const WavePlayerSettings& settings, DoneRoute doneRoute,
                       Progress progress, Sleep sleep)
    : device_(port, messages, settings.deviceId, format, settings.bufferSize, settings.bufferCount),
      format_(format), frames_(frames), totalFrames_(totalFrames), settings_(settings),
      lead_(static_cast<std::uint32_t>((settings.tailWaitMs + settings.stepIntervalMs) * 0.001 * format.samplesPerSec)),
      writeCursor_(FramesPerBuffer(settings, format), settings.bufferCount),
      targetCursor_(FramesPerBuffer(settings, format), settings.bufferCount),
      stepFrames_(std::max<std::uint32_t>(1, static_cast<std::uint32_t>(settings.stepIntervalMs * 0.001 * format.samplesPerSec))),
      silenceFrames_(std::min<std::uint32_t>(lead_ + stepFrames_, FramesPerBuffer(settings, format) * settings.bufferCount / 2)),
      silence_(std::size_t{silenceFrames_} * format.blockAlign, format.bitsPerSample == 8 ? std::uint8_t{0x80} : std::uint8_t{0}),
      doneRoute_(std::move(doneRoute)),
      progress_(std::move(progress)), sleep_(std::move(sleep))
{
}

WavePlayer::~WavePlayer()
{
    HARKWELL_ASSERT_ON_OWNER(owner_);  // the worker cannot join itself
    if (playing_) Stop();
    if (worker_.joinable()) worker_.join();
}

void WavePlayer::SetOverlay(std::shared_ptr<PlayOverlay> overlay)
{
    HARKWELL_ASSERT_ON_OWNER(owner_);
    if (playing_) return;
    overlay_ = std::move(overlay);
    // A step writes at most the whole ring.
    if (overlay_)
        mixed_.resize(std::size_t{FramesPerBuffer(settings_, format_)} * settings_.bufferCount * format_.blockAlign);
}

bool WavePlayer::Play()
{
    HARKWELL_ASSERT_ON_OWNER(owner_);
    if (playing_ || worker_.joinable()) return false;
    if (!device_.QueryFormat()) return false;
    if (!device_.Open([this](WaveBufferHeader* header) { doneRoute_(header); })) return false;
    if (!device_.QueueAll()) return false;
    device_.Restart();
    written_ = 0;
    writeCursor_.Set(0);
    playing_ = true;
    worker_ = std::thread([this] { Run(); });
    return true;
}

void WavePlayer::Run()
{
    RaiseThreadPriority();
    while (playing_) {
        Step();
        sleep_(settings_.stepIntervalMs);
    }
}

void WavePlayer::Step()
{
    targetCursor_.Set(device_.PlayedFrames() + lead_);
    std::int64_t n = writeCursor_.DistanceTo(targetCursor_);
    const std::uint32_t written = written_;
    n = std::min<std::int64_t>(n, totalFrames_ - written);
    if (n > 0) {
        const std::uint8_t* from = frames_ + std::size_t{written} * format_.blockAlign;
        const std::size_t bytes = static_cast<std::size_t>(n) * format_.blockAlign;
        if (overlay_ && bytes <= mixed_.size()) {
            std::copy_n(from, bytes, mixed_.begin());
            overlay_->MixInto(written, mixed_.data(), static_cast<std::uint32_t>(n), format_);
            from = mixed_.data();
        }
        device_.WriteFrames(writeCursor_.Index(), writeCursor_.Offset(), from, static_cast<std::uint32_t>(n));
        written_ = written + static_cast<std::uint32_t>(n);
        endPosition_ = writeCursor_.Absolute() + static_cast<std::uint32_t>(n);
        std::uint32_t markedEnd = endPosition_;
        if (written_ >= totalFrames_) {
            // Past the last frame the ring still holds what it played a turn
            // ago: silence it, so nothing old sounds before the stop.
            RingCursor after(writeCursor_);
            after.Set(endPosition_);
            device_.WriteFrames(after.Index(), after.Offset(), silence_.data(), silenceFrames_);
            markedEnd += silenceFrames_;
        }
        device_.MarkWritten(markedEnd);
    }
    writeCursor_.CopyFrom(targetCursor_);
    if (written_ >= totalFrames_) {
        sleep_(settings_.tailWaitMs);
        // The lead runs one step further than the tail wait: let the last
        // frames sound before stopping, for at most one lead more.
        const std::uint32_t end = endPosition_;
        for (std::uint32_t waited = 0; playing_ && device_.PlayedFrames() < end && waited < lead_;
             waited += stepFrames_)
            sleep_(settings_.stepIntervalMs);
        Stop();
    }
    if (progress_) progress_(written_, totalFrames_);
}

void WavePlayer::Stop()
{
    if (stopping_.test_and_set()) return;
    playing_ = false;
    device_.Reset();
    device_.Close();
    stopping_.clear();
}

void WavePlayer::OnBufferDone(WaveBufferHeader* header)
{
    HARKWELL_ASSERT_ON_OWNER(noticeThread_);
    // A requeue that fails has shown why; the ring then runs one buffer short.
    if (playing_) (void)device_.Requeue(header);
}

}  // namespace harkwell
