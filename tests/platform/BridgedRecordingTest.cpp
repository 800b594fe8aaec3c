// The judge of the recording tests: what it takes for the sound server's
// silences, and where the sound around them lay.
#include "platform/BridgedRecording.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace harkwell {
namespace {

using testing::BridgedRecording;

// Silence, then frames counting 1, 2, 3 ... with runs of zeros put in after
// the given counts, then silence again.
std::vector<std::int16_t> Counting(int count, const std::vector<std::pair<int, std::size_t>>& zerosAfter)
{
    std::vector<std::int16_t> recording(50, 0);
    for (int n = 1; n <= count; ++n) {
        recording.push_back(static_cast<std::int16_t>(n));
        for (const auto& [after, zeros] : zerosAfter)
            if (after == n) recording.insert(recording.end(), zeros, 0);
    }
    recording.insert(recording.end(), 70, 0);
    return recording;
}

TEST(BridgedRecording, CutsTheServersSilencesOutOfTheSoundAndKeepsTheRest)
{
    // Runs of 64 and 300 zeros go; one of 63 stays, as do the silences before
    // the first sound and after the last, however long.
    const std::vector<std::int16_t> recording = Counting(1000, {{100, 64}, {400, 63}, {700, 300}});
    const BridgedRecording bridged(recording);
    EXPECT_EQ(bridged.Silences(), 2u);
    EXPECT_EQ(bridged.SilentFrames(), 364u);
    EXPECT_EQ(bridged.Recording(), recording);
    EXPECT_EQ(bridged.Sound(), Counting(1000, {{400, 63}}));

    // Frame 50 + n - 1 of the sound holds n; in the recording it lies after
    // the silences that came before it.
    const struct {
        int n;
        std::size_t recorded;
    } cases[] = {{1, 50}, {100, 149}, {101, 150 + 64}, {401, 450 + 64 + 63}, {701, 750 + 64 + 63 + 300}};
    for (const auto& c : cases) {
        const std::size_t frame = 50 + static_cast<std::size_t>(c.n) - 1 + (c.n > 400 ? 63 : 0);
        ASSERT_EQ(bridged.Sound()[frame], c.n);
        EXPECT_EQ(bridged.RecordedFrame(frame), c.recorded) << c.n;
        EXPECT_EQ(recording[c.recorded], c.n);
    }
}

TEST(BridgedRecording, TellsTheStretchesNoSilenceSplits)
{
    // The silences lie at recorded frames 150 to 214 and 877 to 1177; the recording ends at 1547.
    const BridgedRecording bridged(Counting(1000, {{100, 64}, {400, 63}, {700, 300}}));
    using Stretches = std::vector<std::pair<std::size_t, std::size_t>>;
    EXPECT_EQ(bridged.WholeStretches(0, 2000), (Stretches{{0, 150}, {214, 877}, {1177, 1547}}));
    EXPECT_EQ(bridged.WholeStretches(160, 800), (Stretches{{214, 800}}));
    EXPECT_EQ(bridged.WholeStretches(300, 400), (Stretches{{300, 400}}));
    EXPECT_EQ(bridged.WholeStretches(160, 200), Stretches{});
}

TEST(BridgedRecording, ARecordingWithoutSoundIsLeftAsItIs)
{
    const std::vector<std::int16_t> silence(500, 0);
    const BridgedRecording bridged(silence);
    EXPECT_EQ(bridged.Sound(), silence);
    EXPECT_EQ(bridged.Silences(), 0u);
    EXPECT_EQ(bridged.RecordedFrame(499), 499u);
}

}  // namespace
}  // namespace harkwell
