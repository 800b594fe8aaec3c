#include "audio/WaveformSummary.h"

#include <algorithm>

namespace harkwell {

namespace {

// Folds entries [begin, end) of one level into `extremes`.
void Fold(const std::int16_t* minima, const std::int16_t* maxima, std::size_t begin, std::size_t end,
          SampleExtremes& extremes)
{
    std::int16_t low = extremes.min;
    std::int16_t high = extremes.max;
    for (std::size_t i = begin; i < end; ++i) {
        low = std::min(low, minima[i]);
        high = std::max(high, maxima[i]);
    }
    extremes = {low, high};
}

}  // namespace

WaveformSummary::WaveformSummary(std::span<const std::int16_t> samples) : samples_(samples)
{
    const std::int16_t* minima = samples.data();
    const std::int16_t* maxima = samples.data();
    std::size_t count = samples.size();
    while (count > kBlock) {
        Level next;
        const std::size_t blocks = (count + kBlock - 1) / kBlock;
        next.minima.resize(blocks);
        next.maxima.resize(blocks);
        for (std::size_t block = 0; block < blocks; ++block) {
            const std::size_t begin = block * kBlock;
            SampleExtremes extremes{minima[begin], maxima[begin]};
            Fold(minima, maxima, begin + 1, std::min(begin + kBlock, count), extremes);
            next.minima[block] = extremes.min;
            next.maxima[block] = extremes.max;
        }
        levels_.push_back(std::move(next));
        minima = levels_.back().minima.data();
        maxima = levels_.back().maxima.data();
        count = blocks;
    }
}

SampleExtremes WaveformSummary::Extremes(std::size_t first, std::size_t last) const
{
    SampleExtremes extremes{samples_[first], samples_[first]};
    // [begin, end) in entries of the current level; climb while whole blocks
    // of it lie inside, folding the ragged ends on the way up.
    std::size_t begin = first;
    std::size_t end = last + 1;
    const std::int16_t* minima = samples_.data();
    const std::int16_t* maxima = samples_.data();
    for (const Level& up : levels_) {
        const std::size_t wholeBegin = (begin + kBlock - 1) >> kBlockShift << kBlockShift;
        const std::size_t wholeEnd = end >> kBlockShift << kBlockShift;
        if (wholeBegin >= wholeEnd) break;
        Fold(minima, maxima, begin, wholeBegin, extremes);
        Fold(minima, maxima, wholeEnd, end, extremes);
        begin = wholeBegin >> kBlockShift;
        end = wholeEnd >> kBlockShift;
        minima = up.minima.data();
        maxima = up.maxima.data();
    }
    Fold(minima, maxima, begin, end, extremes);
    return extremes;
}

}  // namespace harkwell
