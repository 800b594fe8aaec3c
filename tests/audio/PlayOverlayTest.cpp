#include "audio/PlayOverlay.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace harkwell {
namespace {

const WaveFormat kMono16{1, 1, 44100, 88200, 2, 16};
const WaveFormat kStereo16{1, 2, 44100, 176400, 4, 16};
const WaveFormat kMono8{1, 1, 44100, 44100, 1, 8};

std::vector<std::int16_t> As16(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

std::vector<std::uint8_t> Bytes16(const std::vector<std::int16_t>& samples)
{
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

TEST(PlayOverlayTest, AddsItsFramesFromItsFirstFrameInEveryFormatAndClips)
{
    // Two frames of overlay at frame 10: left 0.5 / right 0.25, then full scale on both sides.
    const std::vector<float> stereo{0.5f, 0.25f, 1.0f, 1.0f};

    // Mono hears the mean of both sides; frames outside the overlay stay as they were.
    PlayOverlay mono(stereo, 10);
    auto bytes = Bytes16({100, 100, 30000, 5});
    mono.MixInto(9, bytes.data(), 4, kMono16);
    EXPECT_EQ(As16(bytes), (std::vector<std::int16_t>{100, 100 + 12288, 32767, 5}));

    PlayOverlay sides(stereo, 10);
    bytes = Bytes16({0, 0, -32768, 0});
    sides.MixInto(10, bytes.data(), 2, kStereo16);
    EXPECT_EQ(As16(bytes), (std::vector<std::int16_t>{16384, 8192, -1, 32767}));

    // Unsigned 8 bits rest at 128.
    PlayOverlay eight(stereo, 10);
    std::vector<std::uint8_t> small{128, 200};
    eight.MixInto(10, small.data(), 2, kMono8);
    EXPECT_EQ(small, (std::vector<std::uint8_t>{128 + 48, 255}));
    EXPECT_EQ(eight.EndFrame(), 12u);
}

TEST(PlayOverlayTest, AFadeOutEndsItWithinTheFadeAndItStaysSilent)
{
    const std::uint32_t frames = 4 * PlayOverlay::kFadeFrames;
    PlayOverlay overlay(std::vector<float>(2 * frames, 0.5f), 0);
    std::vector<std::uint8_t> bytes(2 * frames, 0);
    overlay.MixInto(0, bytes.data(), 100, kMono16);
    overlay.FadeOut();
    overlay.MixInto(100, bytes.data() + 200, frames - 100, kMono16);
    const auto samples = As16(bytes);
    EXPECT_EQ(samples[99], 16384) << "what was mixed before the fade stays";
    EXPECT_EQ(samples[100], 16384) << "the fade begins at full gain";
    EXPECT_LT(samples[100 + PlayOverlay::kFadeFrames / 2], 8400);
    EXPECT_GT(samples[100 + PlayOverlay::kFadeFrames / 2], 8000);
    for (std::uint32_t f = 100 + PlayOverlay::kFadeFrames; f < frames; ++f) ASSERT_EQ(samples[f], 0) << f;
}

}  // namespace
}  // namespace harkwell
