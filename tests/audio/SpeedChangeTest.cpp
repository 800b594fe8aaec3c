#include "audio/SpeedChange.h"
#include "audio/WaveData.h"

#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using Samples = std::vector<std::int16_t>;

constexpr std::uint32_t kRate = 44100;
constexpr std::int64_t kSpacing = 800;  // 44100 Hz, spacing factor 8
// A 100 Hz sine at 44100 Hz rises through zero every 441 samples; with the
// spacing of 800 every other crossing is a splice point.
constexpr std::size_t kStretch = 882;

double Pi() { return std::acos(-1.0); }

// `amplitude(i)` scales the sine at sample i.
template <typename Amplitude>
Samples ShapedSine(double hertz, std::size_t count, Amplitude amplitude)
{
    Samples samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(
            std::lround(amplitude(i) * std::sin(2 * Pi() * hertz * static_cast<double>(i) / kRate)));
    return samples;
}

Samples Sine(double hertz, std::size_t count, double amplitude = 10000)
{
    return ShapedSine(hertz, count, [amplitude](std::size_t) { return amplitude; });
}

// A 100 Hz sine whose stretch k (samples 882k to 882k + 881) has its own
// amplitude, 1000 + 100k, so that a result can be read back as stretch numbers.
Samples TaggedSine(std::size_t stretches)
{
    return ShapedSine(100, stretches * kStretch, [](std::size_t i) { return 1000.0 + 100.0 * double(i / kStretch); });
}

// The stretch numbers of consecutive 882-sample blocks of a tagged result.
std::vector<int> StretchTags(const Samples& samples)
{
    std::vector<int> tags;
    for (std::size_t start = 0; start + kStretch <= samples.size(); start += kStretch) {
        int peak = 0;
        for (std::size_t i = start; i < start + kStretch; ++i) peak = std::max(peak, std::abs(int{samples[i]}));
        tags.push_back(static_cast<int>(std::lround((peak - 1000) / 100.0)));
    }
    return tags;
}

Samples Concatenated(const Samples& source, const std::vector<std::pair<std::size_t, std::size_t>>& ranges)
{
    Samples out;
    for (const auto& [from, to] : ranges) out.insert(out.end(), source.begin() + long(from), source.begin() + long(to));
    return out;
}

WaveData Tune(const Samples& samples, std::uint16_t channels = 1)
{
    const auto blockAlign = static_cast<std::uint16_t>(2 * channels);
    return WaveData({kWaveFormatPcm, channels, kRate, kRate * blockAlign, blockAlign, 16},
                    reinterpret_cast<const std::uint8_t*>(samples.data()),
                    static_cast<std::uint32_t>(samples.size() / channels));
}

Samples SamplesOf(const WaveData& tune)
{
    Samples samples(tune.Length() / 2);
    std::memcpy(samples.data(), tune.Samples().data(), samples.size() * 2);
    return samples;
}

std::vector<std::uint32_t> SplicePoints(const Samples& samples, std::int64_t spacing)
{
    std::vector<std::uint32_t> points(MaxSplicePoints(samples.size(), spacing));
    points.resize(MarkSplicePoints(samples, spacing, points));
    return points;
}

std::size_t LongestStretch(const Samples& samples)
{
    const auto points = SplicePoints(samples, kSpacing);
    std::size_t longest = 0;
    for (std::size_t p = 1; p < points.size(); ++p) longest = std::max<std::size_t>(longest, points[p] - points[p - 1]);
    return longest;
}

// The mean distance between rising zero crossings, from the first to the last.
double MeanPeriod(const Samples& samples)
{
    std::size_t first = 0, last = 0, count = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            if (count++ == 0) first = i;
            last = i;
        }
    }
    return count < 2 ? 0 : double(last - first) / double(count - 1);
}

enum class Pass { Expand, Shrink };

Samples RunPass(Pass pass, const Samples& in, double ratio, std::int64_t spacing = kSpacing)
{
    Samples out(2 * in.size() + 1);
    std::vector<std::uint32_t> points(MaxSplicePoints(in.size(), spacing));
    const std::size_t written = pass == Pass::Expand ? ExpandPass(out, in, ratio, spacing, points)
                                                     : ShrinkPass(out, in, ratio, spacing, points);
    out.resize(written);
    return out;
}

TEST(SplicePoints, LieOnRisingCrossingsMoreThanTheSpacingApart)
{
    EXPECT_EQ(MinimumSpacing(44100, 8), 800);
    EXPECT_EQ(MinimumSpacing(22050, 8), 400);

    std::vector<std::uint32_t> every882;
    for (std::uint32_t p = 882; p < 44100; p += 882) every882.push_back(p);
    EXPECT_EQ(SplicePoints(Sine(100, 44100), kSpacing), every882);

    const struct {
        const char* what;
        Samples samples;
        std::int64_t spacing;
        std::vector<std::uint32_t> points;
    } cases[] = {
        {"a crossing exactly the spacing after the last is passed over", {-1, 1, -1, 1, -1, 1, -1, 1}, 2, {3, 7}},
        {"zero counts as not negative; 0 to 1 is no crossing", {5, -1, 0, 1, -1, 1}, 0, {2, 5}},
        {"sample 0 is never one", {0, 1, -1, 2}, 0, {3}},
        {"silence has none", {0, 0, 0, 0, 0}, 0, {}},
        {"falling crossings are not splice points", {5, -5, -5, 5, 5, -5}, 1, {3}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplicePoints(c.samples, c.spacing), c.points) << c.what;
}

TEST(SpeedChangePass, ExpandRepeatsEveryWholeStretchAtHalfSpeed)
{
    const Samples in = TaggedSine(50);
    const Samples out = RunPass(Pass::Expand, in, 0.5);
    // Each stretch from a splice point to the next is written twice; the last
    // splice point, with none after it, repeats up to the last sample but one.
    std::vector<std::pair<std::size_t, std::size_t>> ranges = {{0, kStretch}};
    for (std::size_t k = 1; k < 49; ++k) ranges.insert(ranges.end(), 2, {k * kStretch, (k + 1) * kStretch});
    ranges.push_back({49 * kStretch, 50 * kStretch - 1});
    ranges.push_back({49 * kStretch, 50 * kStretch});
    EXPECT_EQ(out, Concatenated(in, ranges));
}

TEST(SpeedChangePass, ShrinkDropsWholeStretchesButNeverTwoNeighbours)
{
    const Samples in = TaggedSine(50);
    std::vector<int> everyOther;
    for (int k = 0; k < 50; k += 2) everyOther.push_back(k);
    // At ratio 2 every other stretch must go; however much is asked, no more goes.
    for (const double ratio : {2.0, 1000.0}) {
        const Samples out = RunPass(Pass::Shrink, in, ratio);
        EXPECT_EQ(out.size(), 25 * kStretch) << ratio;
        EXPECT_EQ(StretchTags(out), everyOther) << ratio;
    }
    // A smaller ratio drops fewer stretches, spread along the block.
    const std::vector<int> tags = StretchTags(RunPass(Pass::Shrink, in, 4.0 / 3));
    ASSERT_FALSE(tags.empty());
    EXPECT_EQ(tags.front(), 0);
    for (std::size_t i = 1; i < tags.size(); ++i) {
        EXPECT_GT(tags[i], tags[i - 1]);
        EXPECT_LE(tags[i] - tags[i - 1], 2) << "two neighbouring stretches dropped before stretch " << tags[i];
    }
    EXPECT_NEAR(double(tags.size()), 50 * 0.75, 1.0);
}

TEST(SpeedChangePass, ASplicePointAtTheLastSampleInsertsNothing)
{
    const struct {
        Samples in, out;
    } cases[] = {
        {{5, 5, 5, 5, -5, 5}, {5, 5, 5, 5, -5, 5}},
        {{5, 5, 5, -5, 5, 5}, {5, 5, 5, -5, 5, 5, 5}},  // one before the last: one sample repeats
    };
    for (const auto& c : cases) EXPECT_EQ(RunPass(Pass::Expand, c.in, 0.5, 2), c.out);

    Samples lastOnly(1000, 100);
    lastOnly[998] = -100;
    for (const double speed : {0.5, 0.75}) {
        WaveData tune = Tune(lastOnly);
        RecordingMessageSink sink;
        EXPECT_TRUE(tune.ChangeSpeed(speed, 8, sink));
        EXPECT_EQ(SamplesOf(tune), lastOnly) << speed;
    }
}

TEST(SpeedChange, ReachesItsTargetWithinOneStretchWithThePitchKept)
{
    const Samples sines[] = {Sine(100, 44100), Sine(330, 3 * 44100)};
    for (const Samples& input : sines) {
        const std::size_t stretchBytes = 2 * LongestStretch(input);
        for (const double speed : {0.25, 0.5, 0.75, 1.5, 2.0, 4.0}) {
            WaveData tune = Tune(input);
            RecordingMessageSink sink;
            ASSERT_TRUE(tune.ChangeSpeed(speed, 8, sink));
            EXPECT_TRUE(sink.messages.empty());
            const double target = std::trunc(2.0 * double(input.size()) / speed);
            const double length = tune.Length();
            // Speeds beyond 2 and below 1/2 take more than one pass to get there.
            // A pass that has only a sample or so to insert gets no quota
            // before the block ends, and stops the lengthening that short.
            if (speed < 1) {
                EXPECT_GE(length, target - 4) << speed;
                EXPECT_LE(length, target + double(stretchBytes)) << speed;
            } else {
                EXPECT_LE(length, target) << speed;
                EXPECT_GE(length, target - double(stretchBytes)) << speed;
            }
            EXPECT_NEAR(MeanPeriod(SamplesOf(tune)), MeanPeriod(input), 0.01 * MeanPeriod(input)) << speed;
            EXPECT_EQ(tune.Format(), Tune(input).Format());
        }
    }
}

TEST(SpeedChange, LeavesBlocksWithoutSplicePointsAsTheyAre)
{
    Samples rectified = Sine(100, 44100);
    for (std::int16_t& s : rectified) s = static_cast<std::int16_t>(std::abs(s));
    const struct {
        const char* what;
        Samples samples;
    } cases[] = {
        {"silence", Samples(44100, 0)},
        {"shorter than the spacing", Sine(100, 801)},
        {"never below zero", rectified},
    };
    for (const auto& c : cases) {
        for (const double speed : {0.5, 0.75, 1.5, 2.0}) {
            WaveData tune = Tune(c.samples);
            RecordingMessageSink sink;
            EXPECT_TRUE(tune.ChangeSpeed(speed, 8, sink));
            EXPECT_EQ(SamplesOf(tune), c.samples) << c.what << " at " << speed;
            EXPECT_TRUE(sink.messages.empty());
        }
    }
    WaveData tune = Tune(Sine(100, 44100));
    RecordingMessageSink sink;
    EXPECT_TRUE(tune.ChangeSpeed(1.0, 8, sink));
    EXPECT_EQ(SamplesOf(tune), Sine(100, 44100)) << "standard speed";
}

TEST(SpeedChange, StereoChangesEachChannelAndKeepsTheShorter)
{
    const Samples left = Sine(100, 44100), right = Sine(330, 44100, 7000), silence(44100, 0);
    const struct {
        Samples left, right;
        double speed;
    } cases[] = {
        {left, right, 0.5}, {left, right, 2.0}, {right, left, 0.75}, {left, silence, 0.5}, {silence, right, 1.5},
    };
    for (const auto& c : cases) {
        Samples interleaved;
        for (std::size_t i = 0; i < c.left.size(); ++i) interleaved.insert(interleaved.end(), {c.left[i], c.right[i]});
        WaveData stereo = Tune(interleaved, 2);
        WaveData monoLeft = Tune(c.left), monoRight = Tune(c.right);
        RecordingMessageSink sink;
        ASSERT_TRUE(stereo.ChangeSpeed(c.speed, 8, sink));
        ASSERT_TRUE(monoLeft.ChangeSpeed(c.speed, 8, sink));
        ASSERT_TRUE(monoRight.ChangeSpeed(c.speed, 8, sink));
        EXPECT_TRUE(sink.messages.empty());

        const std::uint32_t frames = std::min(monoLeft.Frames(), monoRight.Frames());
        ASSERT_EQ(stereo.Frames(), frames) << c.speed;
        EXPECT_EQ(stereo.Length(), 4 * frames);
        const Samples result = SamplesOf(stereo), expectLeft = SamplesOf(monoLeft), expectRight = SamplesOf(monoRight);
        Samples gotLeft, gotRight;
        for (std::size_t i = 0; i < frames; ++i) {
            gotLeft.push_back(result[2 * i]);
            gotRight.push_back(result[2 * i + 1]);
        }
        EXPECT_EQ(gotLeft, Samples(expectLeft.begin(), expectLeft.begin() + frames)) << c.speed;
        EXPECT_EQ(gotRight, Samples(expectRight.begin(), expectRight.begin() + frames)) << c.speed;
    }
}

TEST(SpeedChange, RefusesWhatItCannotChangeAndLeavesTheTune)
{
    const Samples sine = Sine(100, 44100);
    const auto bytes = reinterpret_cast<const std::uint8_t*>(sine.data());
    const WaveFormat mono16{1, 1, kRate, 2 * kRate, 2, 16};
    const std::string wrongParameter = "GENE0100000B parameter is wrong";
    const auto plain = MessageKind::Plain;
    const auto systemModal = MessageKind::SystemModal;
    const struct {
        const char* what;
        WaveFormat format;
        double speed;
        int spacingFactor;
        std::string message;
        MessageKind kind;
    } cases[] = {
        {"8-bit", {1, 1, kRate, kRate, 1, 8}, 0.5, 8, "sample width is not supported for speed change [8 bits]", plain},
        {"8-bit at standard speed", {1, 1, kRate, kRate, 1, 8}, 1.0, 8,
         "sample width is not supported for speed change [8 bits]", plain},
        {"24-bit", {1, 1, kRate, 3 * kRate, 3, 24}, 2.0, 8, "sample width is not supported for speed change [24 bits]",
         plain},
        {"three channels", {1, 3, kRate, 6 * kRate, 6, 16}, 2.0, 8,
         "channel count is not supported for speed change [3]", plain},
        {"speed 0", mono16, 0.0, 8, wrongParameter, systemModal},
        {"negative speed", mono16, -2.0, 8, wrongParameter, systemModal},
        {"speed NaN", mono16, std::nan(""), 8, wrongParameter, systemModal},
        {"infinite speed", mono16, std::numeric_limits<double>::infinity(), 8, wrongParameter, systemModal},
        {"negative spacing", mono16, 2.0, -1, wrongParameter, systemModal},
        {"a result past 4 GiB", mono16, 1e-5, 8, "GENE0100000A data size is too large!", systemModal},
    };
    for (const auto& c : cases) {
        const std::uint32_t frames = 88200 / c.format.blockAlign;
        WaveData tune(c.format, bytes, frames);
        const std::vector<std::uint8_t> before(tune.Samples().begin(), tune.Samples().end());
        RecordingMessageSink sink;
        EXPECT_FALSE(tune.ChangeSpeed(c.speed, c.spacingFactor, sink)) << c.what;
        ASSERT_EQ(sink.messages.size(), 1u) << c.what;
        EXPECT_EQ(sink.messages[0].text, c.message) << c.what;
        EXPECT_EQ(sink.messages[0].kind, c.kind) << c.what;
        EXPECT_EQ(std::vector<std::uint8_t>(tune.Samples().begin(), tune.Samples().end()), before) << c.what;
        EXPECT_EQ(tune.Format(), c.format) << c.what;
    }
}

long VirtualMemoryKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmSize:", 0) == 0) return std::stol(line.substr(7));
    return 0;
}

TEST(SpeedChange, ShortOfMemoryLeavesTheTuneAsItWas)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than a limit can leave";
#endif
    const Samples sine = Sine(100, 44100);
    WaveData tune = Tune(sine);
    RecordingMessageSink sink;
    // Slowing a second down a thousandfold needs blocks of 176 MB; 64 MB are left.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(VirtualMemoryKilobytes()) * 1024 + (64u << 20);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    const bool changed = tune.ChangeSpeed(0.001, 8, sink);
    setrlimit(RLIMIT_AS, &saved);

    EXPECT_FALSE(changed);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"GENE01000002 Needs more memory!"});
    EXPECT_EQ(SamplesOf(tune), sine);
}

}  // namespace
}  // namespace harkwell
