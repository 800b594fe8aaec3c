#include "audio/WaveformColumns.h"

#include "audio/WaveformReference.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace harkwell {
namespace {

using testing::PerSampleColumns;
using testing::SameColumns;

std::vector<std::int16_t> NoisySine(std::size_t count, std::mt19937& random)
{
    std::uniform_int_distribution<int> noise(-3000, 3000);
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(20000 * std::sin(double(i) * 0.0007) + noise(random));
    return samples;
}

// The summary must reproduce the per-sample rule exactly, rounding at the
// column boundaries included, for any zoom, view start and size; views that
// run past the end draw only what exists.
TEST(WaveformColumns, MatchThePerSampleRule)
{
    std::mt19937 random(2024);
    for (const std::size_t frames : {1u, 7u, 1000u, 65537u, 999983u, 3000000u}) {
        const auto samples = NoisySine(frames, random);
        const WaveformSummary summary(samples);
        const int trials = frames > 1000000 ? 12 : 120;
        for (int trial = 0; trial < trials; ++trial) {
            WaveformView view;
            view.frames = static_cast<std::uint32_t>(frames);
            view.width = std::uniform_int_distribution<int>(1, 1200)(random);
            view.height = std::uniform_int_distribution<int>(1, 300)(random);
            // Mostly zoomed in far enough to fill the width or not, now and then past the frames.
            const double spread = std::uniform_real_distribution<double>(0, std::log2(double(frames)) + 1)(random);
            view.zoom = static_cast<std::uint32_t>(std::exp2(spread));
            const std::uint32_t visible = view.VisibleFrames();
            const std::uint32_t lastStart = view.frames - std::min(visible, view.frames);
            view.viewStart = trial % 5 == 0 ? std::uniform_int_distribution<std::uint32_t>(0, view.frames + 10)(random)
                                            : std::uniform_int_distribution<std::uint32_t>(0, lastStart)(random);
            ASSERT_TRUE(SameColumns(ComputeWaveformColumns(view, summary), PerSampleColumns(view, samples)))
                << "frames " << frames << " zoom " << view.zoom << " start " << view.viewStart << " size "
                << view.width << "x" << view.height;
        }
    }
}

// Where width × i / V is a whole number, width / V × i in double may fall just
// below it (2 pixels, 98 frames: sample 49 still belongs to column 0). A rising
// ramp in a picture 65536 rows high shows every column's first and last sample.
TEST(WaveformColumns, BoundariesFollowTheRoundingOfTheRule)
{
    std::vector<std::int16_t> ramp(2900);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::int16_t>(int(i) * 20 - 32000);
    const WaveformSummary summary(ramp);
    for (const int width : {2, 3, 7, 100, 880}) {
        for (std::uint32_t frames = std::uint32_t(width) + 1; frames <= std::uint32_t(width) + 2000; ++frames) {
            const WaveformView view{frames, 1, 0, width, 65536};
            ASSERT_TRUE(SameColumns(ComputeWaveformColumns(view, summary), PerSampleColumns(view, ramp)))
                << "width " << width << " frames " << frames;
        }
    }
}

TEST(WaveformColumns, ThousandFramesAcrossFiveHundredPixels)
{
    // Sample i is i × 64 - 32000: its row in a 65536-pixel-high picture is i × 64 + 768.
    std::vector<std::int16_t> samples(1000);
    for (int i = 0; i < 1000; ++i) samples[std::size_t(i)] = static_cast<std::int16_t>(i * 64 - 32000);
    const WaveformSummary summary(samples);

    // Zoom 1: two samples to a column.
    auto columns = ComputeWaveformColumns({1000, 1, 0, 500, 65536}, summary);
    ASSERT_EQ(columns.size(), 500u);
    for (int x = 0; x < 500; ++x)
        ASSERT_EQ(columns[std::size_t(x)], (WaveformColumn{x, 2 * x * 64 + 768, (2 * x + 1) * 64 + 768}));

    // Zoom 4: 250 frames, each alone at every second x, a line from its row to the same row.
    columns = ComputeWaveformColumns({1000, 4, 100, 500, 65536}, summary);
    ASSERT_EQ(columns.size(), 250u);
    for (int i = 0; i < 250; ++i) {
        const int row = (100 + i) * 64 + 768;
        ASSERT_EQ(columns[std::size_t(i)], (WaveformColumn{2 * i, row, row}));
    }
}

TEST(WaveformColumns, NothingIsDrawnWithoutVisibleSamples)
{
    const std::vector<std::int16_t> samples(100, 0);
    const WaveformSummary summary(samples);
    EXPECT_TRUE(ComputeWaveformColumns({100, 101, 0, 50, 10}, summary).empty());  // zoom beyond the frames
    EXPECT_TRUE(ComputeWaveformColumns({100, 1, 100, 50, 10}, summary).empty());  // view past the end
    EXPECT_TRUE(ComputeWaveformColumns({100, 1, 0, 0, 10}, summary).empty());    // no width
}

TEST(WaveformColumns, SampleRowsSpanThePicture)
{
    struct Case {
        std::int16_t sample;
        int height;
        int row;
    };
    for (const Case c : {Case{-32768, 80, 0}, Case{32767, 80, 79}, Case{0, 80, 40}, Case{-1, 80, 39}, Case{32767, 1, 0}})
        EXPECT_EQ(YOfSample(c.sample, c.height), c.row) << c.sample << " in " << c.height;
}

TEST(WaveformColumns, FramesMapToColumnsAndBack)
{
    const WaveformView tenMillion{10000000, 1, 0, 800, 80};
    EXPECT_EQ(XOfFrame(tenMillion, 9999999), 799);
    EXPECT_EQ(XOfFrame(tenMillion, 12500), 1);
    EXPECT_EQ(XOfFrame({1000, 1, 500, 500, 10}, 499), 0);  // truncated toward zero, not down
    EXPECT_EQ(XOfFrame({1000, 1, 500, 500, 10}, 497), -1);

    struct Case {
        WaveformView view;
        int x;
        std::uint32_t frame;
    };
    const Case cases[] = {
        {{1000, 1, 0, 500, 10}, 100, 200},
        {{1000, 4, 300, 500, 10}, 499, 300 + 249},
        {{1000, 1, 500, 500, 10}, 400, 999},  // the view runs past the end
        {{1000, 1, 0, 500, 10}, 700, 998},    // x beyond the width is the last column
        {{1000, 1, 40, 500, 10}, -1, 40},     // x left of the picture is the first column
        {{0, 1, 0, 500, 10}, 10, 0},          // no samples
        {{1000, 2000, 5, 500, 10}, 10, 5},    // nothing visible
        {{1000, 1, 5, 0, 10}, 10, 5},         // no width
    };
    for (const Case& c : cases)
        EXPECT_EQ(FrameAtX(c.view, c.x), c.frame) << "x " << c.x << " start " << c.view.viewStart;
}

}  // namespace
}  // namespace harkwell
