#pragma once

#include "audio/WaveFormat.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace harkwell {

// A sound laid over a playback: stereo frames, made beforehand, that the
// player adds to the tune's frames as it writes them, from a given frame of
// the play buffer on. Both are heard through the one output stream, so they
// keep their distance to the frame, whatever the sound server's latency.
//
// Threads: made on one thread, then mixed by the player's worker only.
// FadeOut may be called from any thread at any time.
class PlayOverlay {
public:
    // Frames of the fade that ends a stopped overlay, so that it ends without a click.
    static constexpr std::uint32_t kFadeFrames = 256;

    // `stereo` holds left and right samples in turn, full scale at ±1.
    PlayOverlay(std::vector<float> stereo, std::uint32_t firstFrame);

    std::uint32_t FirstFrame() const { return firstFrame_; }
    // The frame after the overlay's last one.
    std::uint32_t EndFrame() const { return firstFrame_ + frames_; }

    // Adds the overlay to `frames` frames of the play buffer, the first of them
    // frame `position`, in the tune's format (8- or 16-bit PCM, mono or
    // stereo; mono hears the mean of both sides). Sums are clipped.
    void MixInto(std::uint32_t position, std::uint8_t* bytes, std::uint32_t frames, const WaveFormat& format);
    // The overlay fades out from the next frame mixed and is silent after.
    void FadeOut() { fadeRequested_.store(true, std::memory_order_release); }

private:
    // The gain of the overlay at a frame, with a fade once one was asked for.
    float GainAt(std::uint32_t position);

    std::vector<float> stereo_;
    std::uint32_t firstFrame_;
    std::uint32_t frames_;
    std::atomic<bool> fadeRequested_ = false;
    // The worker's own: where the fade began, once it has.
    bool fading_ = false;
    std::uint32_t fadeStart_ = 0;
};

}  // namespace harkwell
