#pragma once

#include "score/MidiRenderer.h"

#include <vector>

namespace harkwell::testing {

// A synth that renders each note's start as a short pulse: half scale on both
// sides for kPulseFrames frames, from the note's frame on. Silence elsewhere.
class FakeMidiRenderer final : public MidiRenderer {
public:
    static constexpr std::uint32_t kPulseFrames = 8;

    bool Render(std::span<const TimedMidiMessage> messages, std::uint32_t sampleRate, std::uint32_t frames,
                std::vector<float>& stereo) override
    {
        rendered.assign(messages.begin(), messages.end());
        rate = sampleRate;
        renderedFrames = frames;
        stereo.clear();
        if (!available) return false;
        stereo.assign(2 * std::size_t{frames}, 0.0f);
        for (const TimedMidiMessage& message : messages) {
            if ((message.packed & 0xF0) != 0x90) continue;
            for (std::uint32_t f = message.frame; f < message.frame + kPulseFrames && f < frames; ++f)
                stereo[2 * std::size_t{f}] = stereo[2 * std::size_t{f} + 1] = 0.5f;
        }
        return true;
    }

    bool available = true;
    std::vector<TimedMidiMessage> rendered;
    std::uint32_t rate = 0;
    std::uint32_t renderedFrames = 0;
};

}  // namespace harkwell::testing
