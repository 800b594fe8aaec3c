#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace harkwell {

// A short MIDI message due at a frame of the sound being made.
struct TimedMidiMessage {
    std::uint32_t frame = 0;
    std::uint32_t packed = 0;  // status, data 1 and data 2, low byte first
};

// A General MIDI synth that makes sound ahead of time rather than live: the
// messages take effect at their frames, to the frame, wherever the sound is
// heard later.
class MidiRenderer {
public:
    virtual ~MidiRenderer() = default;
    // `frames` stereo frames at `sampleRate` (left and right in turn, full
    // scale ±1) into `stereo`, with every message played at its frame. The
    // synth starts each rendering silent, with every channel reset. False
    // when there is no synth to render with; `stereo` is then empty.
    [[nodiscard]] virtual bool Render(std::span<const TimedMidiMessage> messages, std::uint32_t sampleRate,
                                      std::uint32_t frames, std::vector<float>& stereo) = 0;
};

}  // namespace harkwell
