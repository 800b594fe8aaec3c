#pragma once

#include <cstdint>

namespace harkwell {

// The 16-byte PCM format record, laid out as the first 16 bytes of a "fmt "
// chunk body.
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;

    friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};
static_assert(sizeof(WaveFormat) == 16, "the format record is copied as 16 raw bytes");

inline constexpr std::uint16_t kWaveFormatPcm = 1;

}  // namespace harkwell
