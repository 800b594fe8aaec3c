#pragma once

#include "analysis/RealFourierTransform.h"
#include "analysis/TuneSamples.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace harkwell {

// The spectrum of a stretch of a tune, as the note guess reads it: the
// power of Hann-windowed blocks of about 0.17 s, half overlapping, averaged
// over the stretch, and given back as magnitudes (the root of the mean
// power). A stretch shorter than one block is one shorter block, padded with
// silence to the same length, so that every bin means the same frequency.
class BlockAverage {
public:
    // `padding`: the transform is this many times the block (1, 2 or 4);
    // more padding draws the peaks finer, at that cost.
    explicit BlockAverage(std::int32_t sampleRate, int padding = 2);

    // The block at a rate: the shortest power of two of at least 0.17 s.
    static std::size_t BlockSizeAt(std::int32_t sampleRate);
    // The shortest stretch measured: an eighth of a block.
    static std::size_t ShortestStretchAt(std::int32_t sampleRate) { return BlockSizeAt(sampleRate) / 8; }

    std::size_t BlockSize() const { return block_; }
    std::size_t ShortestStretch() const { return block_ / 8; }
    double BinHz() const { return binHz_; }
    // A lone sine's peak spreads this many bins either side: the Hann window's
    // main lobe, two bins of the block, widened by the padding.
    int LobeBins() const { return 2 * padding_; }
    std::size_t BinCount() const { return transform_.Size() / 2 + 1; }

    // The magnitudes of frames first .. first + frames - 1, BinCount() of
    // them. False, with `magnitude` emptied, when the tune cannot be read
    // there or the stretch is shorter than ShortestStretch().
    [[nodiscard]] bool Measure(const TuneSamples& tune, std::int64_t first, std::int64_t frames,
                               std::vector<double>& magnitude);

private:
    void AddBlock(std::size_t length);

    std::size_t block_;
    int padding_;
    double binHz_;
    RealFourierTransform transform_;
    std::vector<double> window_;  // Hann over a whole block
    std::vector<double> shortWindow_;
    std::vector<std::int16_t> samples_;
    std::vector<double> input_;
    std::vector<RealFourierTransform::Complex> spectrum_;
    std::vector<double> power_;
};

}  // namespace harkwell
