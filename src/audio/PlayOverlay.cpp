#include "audio/PlayOverlay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace harkwell {

namespace {

// A 16-bit sample in the buffer's byte order, little-endian.
std::int16_t Read16(const std::uint8_t* p)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
}

void Write16(std::uint8_t* p, std::int16_t value)
{
    const auto u = static_cast<std::uint16_t>(value);
    p[0] = static_cast<std::uint8_t>(u & 0xFF);
    p[1] = static_cast<std::uint8_t>(u >> 8);
}

// Adds a sample of the overlay (±1 full scale) to one of the tune's.
void AddSample(std::uint8_t* p, float value, std::uint16_t bits)
{
    if (bits == 8) {
        const long sum = long{p[0]} + std::lround(value * 127.0f);
        p[0] = static_cast<std::uint8_t>(std::clamp(sum, 0L, 255L));
    } else {
        const long sum = long{Read16(p)} + std::lround(value * 32767.0f);
        Write16(p, static_cast<std::int16_t>(std::clamp(sum, -32768L, 32767L)));
    }
}

}  // namespace

PlayOverlay::PlayOverlay(std::vector<float> stereo, std::uint32_t firstFrame)
    : stereo_(std::move(stereo)), firstFrame_(firstFrame), frames_(static_cast<std::uint32_t>(stereo_.size() / 2))
{
}

float PlayOverlay::GainAt(std::uint32_t position)
{
    if (!fading_) {
        if (!fadeRequested_.load(std::memory_order_acquire)) return 1.0f;
        fading_ = true;
        fadeStart_ = position;
    }
    if (position < fadeStart_) return 1.0f;
    const std::uint32_t into = position - fadeStart_;
    return into >= kFadeFrames ? 0.0f : 1.0f - static_cast<float>(into) / kFadeFrames;
}

void PlayOverlay::MixInto(std::uint32_t position, std::uint8_t* bytes, std::uint32_t frames, const WaveFormat& format)
{
    const std::uint16_t bits = format.bitsPerSample;
    if ((bits != 8 && bits != 16) || format.channels == 0 || format.blockAlign == 0) return;
    const std::uint32_t bytesPerSample = bits / 8u;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const std::uint32_t frame = position + i;
        if (frame < firstFrame_ || frame - firstFrame_ >= frames_) continue;
        const float gain = GainAt(frame);
        if (gain == 0.0f) return;  // faded out: nothing more to add, now or later
        const std::size_t at = std::size_t{frame - firstFrame_} * 2;
        const float left = stereo_[at] * gain;
        const float right = stereo_[at + 1] * gain;
        std::uint8_t* out = bytes + std::size_t{i} * format.blockAlign;
        if (format.channels == 1) {
            AddSample(out, 0.5f * (left + right), bits);
        } else {
            AddSample(out, left, bits);
            AddSample(out + bytesPerSample, right, bits);
        }
    }
}

}  // namespace harkwell
