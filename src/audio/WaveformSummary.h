#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace harkwell {

// The smallest and the largest sample of a range.
struct SampleExtremes {
    std::int16_t min = 0;
    std::int16_t max = 0;

    friend bool operator==(const SampleExtremes&, const SampleExtremes&) = default;
};

// Minima and maxima of 16-bit samples, kept per block of 64 samples, per block
// of 64 such blocks and so on, so that the extremes of any range cost at most
// about 2 × 63 reads per level instead of one read per sample: a waveform of an
// hour-long tune then redraws in time proportional to its width.
class WaveformSummary {
public:
    static constexpr unsigned kBlockShift = 6;
    static constexpr std::size_t kBlock = std::size_t{1} << kBlockShift;

    WaveformSummary() = default;
    // Summarises `samples`, which must stay unchanged and outlive the summary.
    // Throws std::bad_alloc when the summary finds no memory.
    explicit WaveformSummary(std::span<const std::int16_t> samples);

    std::size_t size() const { return samples_.size(); }

    // Extremes of samples[first .. last], both included; first <= last < size().
    SampleExtremes Extremes(std::size_t first, std::size_t last) const;

private:
    // Level n + 1 holds the extremes of each block of kBlock entries of level
    // n; level 0 is the samples themselves, the last block of a level may be short.
    struct Level {
        std::vector<std::int16_t> minima;
        std::vector<std::int16_t> maxima;
    };

    std::span<const std::int16_t> samples_;
    std::vector<Level> levels_;  // levels 1, 2, ...
};

}  // namespace harkwell
