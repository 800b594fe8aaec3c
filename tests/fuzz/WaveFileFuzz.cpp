// A WAV file and everything a loaded tune goes through: the reader, the mix to
// mono, the waveform summary and columns, and the speed change.
//
// Input: 8 bytes of parameters, then the file.
#include "FuzzCheck.h"

#include "audio/WaveData.h"
#include "audio/WaveformColumns.h"
#include "audio/WaveformSummary.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace harkwell::fuzz {
namespace {

constexpr std::size_t kParameterBytes = 8;

// The reader takes a path, so the file lives in memory under /proc.
const std::string& WriteTune(const std::uint8_t* data, std::size_t size)
{
    static const int fd = memfd_create("tune.wav", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    Require(fd >= 0 && ftruncate(fd, 0) == 0, "memory file");
    Require(size == 0 || pwrite(fd, data, size, 0) == static_cast<ssize_t>(size), "memory file write");
    return path;
}

// A small deterministic stream for ranges and views, seeded by the parameters.
class Dice {
public:
    explicit Dice(std::uint64_t seed) : state_(seed | 1) {}
    std::uint64_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::uint64_t Below(std::uint64_t bound) { return bound == 0 ? 0 : Next() % bound; }

private:
    std::uint64_t state_;
};

void CheckMix(const WaveData& before, const WaveData& after)
{
    Require(after.Format().channels == 1, "mono after the mix");
    Require(after.Frames() == before.Frames(), "the mix keeps the frames");
    const auto in = before.Samples();
    const auto out = after.Samples();
    for (std::uint32_t i = 0; i < before.Frames(); ++i) {
        if (before.Format().bitsPerSample == 8) {
            const int mean = (in[2 * i] - 0x80 + in[2 * i + 1] - 0x80) / 2 + 0x80;
            Require(out[i] == mean, "8-bit frame is the mean of its two samples");
        } else {
            std::int16_t left, right, mono;
            std::memcpy(&left, &in[4 * std::size_t{i}], 2);
            std::memcpy(&right, &in[4 * std::size_t{i} + 2], 2);
            std::memcpy(&mono, &out[2 * std::size_t{i}], 2);
            Require(mono == (left + right) / 2, "16-bit frame is the mean of its two samples");
        }
    }
}

void CheckSummary(std::span<const std::int16_t> samples, const WaveformSummary& summary, Dice& dice)
{
    for (int round = 0; round < 8 && !samples.empty(); ++round) {
        std::size_t first = dice.Below(samples.size());
        std::size_t last = dice.Below(samples.size());
        if (first > last) std::swap(first, last);
        const auto [low, high] = std::minmax_element(samples.begin() + static_cast<std::ptrdiff_t>(first),
                                                     samples.begin() + static_cast<std::ptrdiff_t>(last) + 1);
        Require(summary.Extremes(first, last) == SampleExtremes{*low, *high}, "summary extremes match the samples");
    }
}

// The columns by the plain per-sample rule that the summary must reproduce.
std::vector<WaveformColumn> PerSample(const WaveformView& view, std::span<const std::int16_t> samples)
{
    std::vector<WaveformColumn> columns;
    const std::uint64_t visible = view.VisibleFrames();
    for (std::uint64_t i = 0; i < visible && view.viewStart + i < samples.size(); ++i) {
        const int x = static_cast<int>(std::trunc(double(view.width) / double(visible) * double(i)));
        const int y = YOfSample(samples[view.viewStart + i], view.height);
        if (columns.empty() || columns.back().x != x) {
            columns.push_back({x, y, y});
        } else {
            columns.back().top = std::min(columns.back().top, y);
            columns.back().bottom = std::max(columns.back().bottom, y);
        }
    }
    return columns;
}

void CheckColumns(std::span<const std::int16_t> samples, const WaveformSummary& summary, Dice& dice)
{
    const auto frames = static_cast<std::uint32_t>(samples.size());
    WaveformView view;
    view.frames = frames;
    view.zoom = static_cast<std::uint32_t>(dice.Below(frames / 2 + 2));  // 0 stands for 1
    view.viewStart = static_cast<std::uint32_t>(dice.Below(std::uint64_t{frames} + 2));
    view.width = static_cast<int>(1 + dice.Below(1500));
    view.height = static_cast<int>(dice.Below(600));
    const std::vector<WaveformColumn> columns = ComputeWaveformColumns(view, summary);
    Require(columns == PerSample(view, samples), "columns match the per-sample rule");
    for (const WaveformColumn& column : columns) {
        Require(column.x >= 0 && column.x < view.width, "column inside the width");
        Require(column.top <= column.bottom && column.top >= 0 && column.bottom <= std::max(view.height - 1, 0),
                "column inside the height");
    }
    if (view.VisibleFrames() > 0) {
        for (int round = 0; round < 4; ++round) {
            const int x = static_cast<int>(dice.Below(static_cast<std::uint64_t>(view.width) + 4)) - 2;
            const std::uint32_t at = FrameAtX(view, x);
            Require(frames == 0 ? at == 0 : at < frames, "frame under a column lies inside the tune");
            (void)XOfFrame(view, static_cast<std::uint32_t>(dice.Next()));
        }
    }
}

double SpeedOf(const std::uint8_t* parameters)
{
    static constexpr double kSpeeds[] = {0.5, 0.75, 1.5, 2.0, 0.9, 1.1, 3.0, 1.0 / 3.0};
    if (parameters[0] < 200) return kSpeeds[parameters[0] % std::size(kSpeeds)];
    // Anything from 1/8 to 8 times, so a slowed tune stays small.
    const unsigned fraction = unsigned{parameters[1]} | unsigned{parameters[2]} << 8;
    return std::exp2(-3.0 + 6.0 * fraction / 65535.0);
}

void CheckSpeedChange(WaveData& tune, const std::uint8_t* parameters)
{
    const double speed = SpeedOf(parameters);
    const int spacingFactor = static_cast<std::int8_t>(parameters[3]) % 17;
    const std::vector<std::uint8_t> before(tune.Samples().begin(), tune.Samples().end());
    SilentSink sink;
    const bool changed = tune.ChangeSpeed(speed, spacingFactor, sink);
    const bool sameSamples = std::equal(before.begin(), before.end(), tune.Samples().begin(), tune.Samples().end());
    if (tune.Format().bitsPerSample != 16 || spacingFactor < 0) {
        Require(!changed && sameSamples, "a refused speed change leaves the tune");
        return;
    }
    Require(changed, "16-bit tunes change speed");
    // In whole frames: half a sample at the end of an odd data chunk may go.
    const std::size_t frames = tune.Frames();
    const std::size_t framesBefore = before.size() / tune.Format().blockAlign;
    if (speed > 1.0) Require(frames <= framesBefore, "a faster tune is no longer");
    if (speed < 1.0) {
        Require(frames >= framesBefore, "a slower tune is no shorter");
        Require(tune.Length() <= 2 * static_cast<std::size_t>(std::trunc(double(before.size()) / speed)) + 2,
                "a slower tune stays within its block");
    }
    if (!sameSamples) Require(tune.Length() % tune.Format().blockAlign == 0, "a changed tune holds whole frames");
}

}  // namespace
}  // namespace harkwell::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace harkwell;
    using namespace harkwell::fuzz;
    if (size < kParameterBytes) return -1;
    const std::uint8_t* parameters = data;
    SilentSink sink;
    std::optional<WaveData> tune = WaveData::Load(WriteTune(data + kParameterBytes, size - kParameterBytes), sink);
    if (!tune) return 0;

    const WaveFormat& format = tune->Format();
    Require((format.channels == 1 || format.channels == 2) &&
                (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
                format.blockAlign == format.channels * format.bitsPerSample / 8 && format.samplesPerSec > 0,
            "a loaded tune has a usable format");
    Require(tune->Length() == tune->Header().dataSize, "the samples are the data chunk");

    if (format.channels == 2) {
        const WaveData stereo(format, tune->Samples().data(), tune->Frames());
        tune->MixToMono();
        CheckMix(stereo, *tune);
    } else {
        tune->MixToMono();
    }

    std::uint64_t seed = 0;
    std::memcpy(&seed, parameters, sizeof seed);
    Dice dice(seed);
    if (tune->Format().bitsPerSample == 16) {
        const std::span samples(reinterpret_cast<const std::int16_t*>(tune->Samples().data()), tune->Frames());
        const WaveformSummary summary(samples);
        CheckSummary(samples, summary, dice);
        CheckColumns(samples, summary, dice);
    }
    CheckSpeedChange(*tune, parameters);
    return 0;
}
