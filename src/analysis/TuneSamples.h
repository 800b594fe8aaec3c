#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace harkwell {

// The tune's PCM bytes as the analysis reads them: borrowed from their owner,
// who keeps them for the length of a run.
struct TuneSamples {
    const std::uint8_t* data = nullptr;
    std::size_t bytes = 0;
    std::int32_t sampleRate = 0;
    std::int32_t channels = 0;
    std::int32_t bitsPerSample = 0;

    // Whole frames held, 0 for a format without whole bytes per sample.
    std::int64_t FrameCount() const;
    // The formats the analysis reads: 16-bit mono or stereo, 8-bit mono.
    bool Readable() const;
};

// The first channel of out.size() frames from `startFrame` on, as signed
// 16-bit values: 8-bit samples rest at 128 and are taken as signed and scaled
// to 16 bits, so that an 8-bit tune is analysed as the same sound at 16 bits.
// False, with `out` untouched, for a format that is not Readable() or frames
// beyond the tune.
[[nodiscard]] bool ReadFirstChannel(const TuneSamples& tune, std::int64_t startFrame, std::span<std::int16_t> out);

}  // namespace harkwell
