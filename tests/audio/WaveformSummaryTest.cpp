#include "audio/WaveformSummary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace harkwell {
namespace {

std::vector<std::int16_t> RandomSamples(std::size_t count, std::mt19937& random)
{
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::vector<std::int16_t> samples(count);
    for (auto& s : samples) s = static_cast<std::int16_t>(sample(random));
    return samples;
}

SampleExtremes ScanExtremes(const std::vector<std::int16_t>& samples, std::size_t first, std::size_t last)
{
    const auto [low, high] = std::minmax_element(samples.begin() + long(first), samples.begin() + long(last) + 1);
    return {*low, *high};
}

// Sizes on both sides of the block sizes of the levels (64, 4096, 262144).
TEST(WaveformSummary, ExtremesOfAnyRangeAreThoseOfItsSamples)
{
    std::mt19937 random(7);
    for (const std::size_t size : {1u, 2u, 63u, 64u, 65u, 4095u, 4097u, 70000u, 262145u, 600000u}) {
        const auto samples = RandomSamples(size, random);
        const WaveformSummary summary(samples);
        ASSERT_EQ(summary.size(), size);
        std::uniform_int_distribution<std::size_t> index(0, size - 1);
        for (int trial = 0; trial < 300; ++trial) {
            std::size_t first = index(random);
            std::size_t last = index(random);
            if (first > last) std::swap(first, last);
            ASSERT_EQ(summary.Extremes(first, last), ScanExtremes(samples, first, last))
                << "size " << size << " range " << first << ".." << last;
        }
        EXPECT_EQ(summary.Extremes(0, size - 1), ScanExtremes(samples, 0, size - 1));
        EXPECT_EQ(summary.Extremes(size - 1, size - 1), ScanExtremes(samples, size - 1, size - 1));
    }
}

// Extremes hidden in single samples deep inside whole blocks must come up
// through every level.
TEST(WaveformSummary, LoneExtremesInsideWholeBlocksAreFound)
{
    std::vector<std::int16_t> samples(300000, 5);
    samples[123457] = -32768;
    samples[200001] = 32767;
    const WaveformSummary summary(samples);
    EXPECT_EQ(summary.Extremes(1, 299998), (SampleExtremes{-32768, 32767}));
    EXPECT_EQ(summary.Extremes(123458, 200000), (SampleExtremes{5, 5}));
    EXPECT_EQ(summary.Extremes(4096, 123457), (SampleExtremes{-32768, 5}));
}

}  // namespace
}  // namespace harkwell
