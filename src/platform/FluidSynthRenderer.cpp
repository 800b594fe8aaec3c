#include "platform/FluidSynthRenderer.h"

#include <algorithm>

namespace harkwell {

namespace {

// Frames rendered and dropped after a reset: the reverb's echo of the last
// rendering dies away in them.
constexpr std::uint32_t kSettleFrames = 16384;
// The synth's rates; others have no synth.
constexpr std::uint32_t kLowestRate = 8000;
constexpr std::uint32_t kHighestRate = 96000;

// Renders `frames` frames into the stereo block from frame `at` on.
bool RenderInto(FluidSynthMidiPort& synth, std::vector<float>& stereo, std::uint32_t at, std::uint32_t frames,
                std::vector<float>& left, std::vector<float>& right)
{
    constexpr std::uint32_t kChunk = 4096;
    left.resize(kChunk);
    right.resize(kChunk);
    while (frames > 0) {
        const std::uint32_t n = std::min(frames, kChunk);
        if (!synth.Render(left.data(), right.data(), static_cast<int>(n))) return false;
        for (std::uint32_t i = 0; i < n; ++i) {
            stereo[2 * std::size_t{at + i}] = left[i];
            stereo[2 * std::size_t{at + i} + 1] = right[i];
        }
        at += n;
        frames -= n;
    }
    return true;
}

}  // namespace

FluidSynthMidiPort* FluidSynthRenderer::SynthAt(std::uint32_t sampleRate)
{
    if (sampleRate < kLowestRate || sampleRate > kHighestRate) return nullptr;
    if (!synth_ || synthRate_ != sampleRate) {
        synth_ = FluidSynthMidiPort::OpenOffline(soundFont_, static_cast<int>(sampleRate));
        synthRate_ = synth_ ? sampleRate : 0;
        return synth_.get();
    }
    // Silence what the last rendering left and bring every channel back to
    // its defaults, its program and controllers among them.
    if (!synth_->Reset() || !synth_->SendShort(0xFF)) return nullptr;
    std::vector<float> drop(2 * std::size_t{kSettleFrames});
    std::vector<float> left;
    std::vector<float> right;
    if (!RenderInto(*synth_, drop, 0, kSettleFrames, left, right)) return nullptr;
    return synth_.get();
}

bool FluidSynthRenderer::Render(std::span<const TimedMidiMessage> messages, std::uint32_t sampleRate,
                                std::uint32_t frames, std::vector<float>& stereo)
{
    stereo.clear();
    FluidSynthMidiPort* synth = SynthAt(sampleRate);
    if (synth == nullptr) return false;
    stereo.assign(2 * std::size_t{frames}, 0.0f);
    std::vector<float> left;
    std::vector<float> right;
    std::uint32_t at = 0;
    for (const TimedMidiMessage& message : messages) {
        const std::uint32_t due = std::min(std::max(message.frame, at), frames);
        if (!RenderInto(*synth, stereo, at, due - at, left, right)) break;
        at = due;
        if (at >= frames) break;
        (void)synth->SendShort(message.packed);  // a message the synth has no use for changes nothing
    }
    if (!RenderInto(*synth, stereo, at, frames - at, left, right)) {
        stereo.clear();
        return false;
    }
    return true;
}

}  // namespace harkwell
