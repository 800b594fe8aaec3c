#pragma once

#include "platform/FluidSynthMidiPort.h"
#include "score/MidiRenderer.h"

#include <memory>
#include <string>

namespace harkwell {

// The built-in General MIDI synth, rendering into memory. The SoundFont is
// loaded on the first rendering and kept for the next ones at the same rate.
//
// Threads: one thread at a time.
class FluidSynthRenderer final : public MidiRenderer {
public:
    explicit FluidSynthRenderer(std::string soundFont = kDefaultGmSoundFont) : soundFont_(std::move(soundFont)) {}

    [[nodiscard]] bool Render(std::span<const TimedMidiMessage> messages, std::uint32_t sampleRate,
                              std::uint32_t frames, std::vector<float>& stereo) override;

private:
    // The synth at the rate, silent and reset; null without one.
    FluidSynthMidiPort* SynthAt(std::uint32_t sampleRate);

    std::string soundFont_;
    std::unique_ptr<FluidSynthMidiPort> synth_;
    std::uint32_t synthRate_ = 0;
};

}  // namespace harkwell
