#include "audio/SpeedChange.h"

#include "common/ErrorReport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace harkwell {

namespace {

// The largest sample block a tune can describe: its length is a 32-bit byte count.
constexpr double kMaxTuneBytes = 0xFFFFFFFFu;

void Copy(std::span<const std::int16_t> in, std::size_t from, std::size_t count, std::int16_t* out)
{
    if (count > 0) std::memcpy(out, in.data() + from, count * sizeof(std::int16_t));
}

std::span<std::int16_t> Samples16(ByteBlock& block)
{
    return {reinterpret_cast<std::int16_t*>(block.data()), block.size() / sizeof(std::int16_t)};
}

std::span<std::uint32_t> Points(ByteBlock& block)
{
    return {reinterpret_cast<std::uint32_t*>(block.data()), block.size() / sizeof(std::uint32_t)};
}

// length / target; a target of 0 asks for everything to go.
double Ratio(std::size_t length, double target)
{
    return target > 0 ? static_cast<double>(length) / target : std::numeric_limits<double>::infinity();
}

// The working memory of one change: output, work and splice points, per
// channel or shared. Every block is taken before any sample is touched, so a
// shortage leaves the tune as it was.
struct Blocks {
    ByteBlock out[2];
    ByteBlock work;
    ByteBlock points;
};

bool Allocate(Blocks& blocks, int channels, std::size_t blockSamples, std::size_t pointCount, bool needWork)
{
    const std::size_t bytes = blockSamples * sizeof(std::int16_t);
    for (int c = 0; c < channels; ++c)
        if (!(blocks.out[c] = ByteBlock::Allocate(bytes))) return false;
    if (needWork && !(blocks.work = ByteBlock::Allocate(bytes))) return false;
    return static_cast<bool>(blocks.points = ByteBlock::Allocate(pointCount * sizeof(std::uint32_t)));
}

std::size_t RunLoop(bool lengthen, std::span<std::int16_t> out, std::span<std::int16_t> work, std::size_t lengthBytes,
                    double speed, std::int64_t minSpacing, std::span<std::uint32_t> points)
{
    return lengthen ? LengthenSamples(out, work, lengthBytes, speed, minSpacing, points)
                    : ShortenSamples(out, work, lengthBytes, speed, minSpacing, points);
}

}  // namespace

std::int64_t MinimumSpacing(std::uint32_t samplesPerSec, int spacingFactor)
{
    return std::int64_t{samplesPerSec / 441} * spacingFactor;
}

std::size_t MaxSplicePoints(std::size_t samples, std::int64_t minSpacing)
{
    // Splice points lie more than minSpacing apart, and two rising crossings
    // at least 2 apart; the first is past sample 0.
    const auto spacing = static_cast<std::uint64_t>(std::max<std::int64_t>(minSpacing, 0));
    const std::uint64_t gap = std::max<std::uint64_t>(spacing + 1, 2);
    return static_cast<std::size_t>(samples / gap + 1);
}

std::size_t MarkSplicePoints(std::span<const std::int16_t> samples, std::int64_t minSpacing,
                             std::span<std::uint32_t> points)
{
    // Nothing within minSpacing after a splice point can be one, so the scan
    // starts again just past that distance.
    const std::size_t skip = static_cast<std::size_t>(std::max<std::int64_t>(minSpacing, 0)) + 1;
    const std::size_t n = samples.size();
    std::size_t count = 0;
    for (std::size_t i = skip; i < n && count < points.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            points[count++] = static_cast<std::uint32_t>(i);
            if (skip > n - i) break;
            i += skip - 1;
        }
    }
    return count;
}

std::size_t ExpandPass(std::span<std::int16_t> out, std::span<const std::int16_t> in, double ratio,
                       std::int64_t minSpacing, std::span<std::uint32_t> points)
{
    const std::size_t n = in.size();
    if (n == 0 || out.size() < n) return 0;
    const std::size_t count = MarkSplicePoints(in, minSpacing, points);
    const auto samples = static_cast<double>(n);
    const double toInsert = std::trunc(samples / ratio) - samples;

    std::size_t written = 0;  // samples in `out`
    std::size_t from = 0;     // first sample of `in` not yet written
    std::size_t inserted = 0;
    for (std::size_t p = 0; p < count; ++p) {
        const std::size_t j = points[p];
        if (!(static_cast<double>(inserted) < std::trunc(toInsert / samples * static_cast<double>(j)))) continue;
        // The stretch runs to the next splice point, or to the last sample but one.
        const std::size_t stretch = (p + 1 < count ? points[p + 1] : n - 1) - j;
        if (written + (n - from) + stretch > out.size()) continue;
        Copy(in, from, j - from, out.data() + written);
        written += j - from;
        Copy(in, j, stretch, out.data() + written);
        written += stretch;
        inserted += stretch;
        from = j;
    }
    Copy(in, from, n - from, out.data() + written);
    return written + (n - from);
}

std::size_t ShrinkPass(std::span<std::int16_t> out, std::span<const std::int16_t> in, double ratio,
                       std::int64_t minSpacing, std::span<std::uint32_t> points)
{
    const std::size_t n = in.size();
    if (n == 0 || out.size() < n) return 0;
    const std::size_t count = MarkSplicePoints(in, minSpacing, points);
    const auto samples = static_cast<double>(n);
    const double toRemove = samples - std::trunc(samples / ratio);

    std::size_t written = 0;
    std::size_t from = 0;  // first sample of the run being kept
    std::size_t removed = 0;
    for (std::size_t p = 0; p < count;) {
        const std::size_t j = points[p];
        if (!(static_cast<double>(removed) < std::trunc(toRemove / samples * static_cast<double>(j)))) {
            ++p;
            continue;
        }
        // Drop from j up to the next splice point, which is kept and not tested.
        const std::size_t end = p + 1 < count ? points[p + 1] : n;
        Copy(in, from, j - from, out.data() + written);
        written += j - from;
        removed += end - j;
        from = end;
        p += 2;
    }
    Copy(in, from, n - from, out.data() + written);
    return written + (n - from);
}

std::size_t LengthenSamples(std::span<std::int16_t> out, std::span<std::int16_t> work, std::size_t lengthBytes,
                            double speed, std::int64_t minSpacing, std::span<std::uint32_t> points)
{
    const double target = std::trunc(static_cast<double>(lengthBytes) / speed);
    double ratio = Ratio(lengthBytes, target);
    while (ratio <= 1.0) {
        const std::size_t previous = lengthBytes;
        lengthBytes = 2 * ExpandPass(out, work.first(lengthBytes / 2), ratio, minSpacing, points);
        if (lengthBytes == previous || static_cast<double>(lengthBytes) >= target) break;
        std::copy_n(out.data(), lengthBytes / 2, work.data());
        ratio = Ratio(lengthBytes, target);
    }
    return lengthBytes;
}

std::size_t ShortenSamples(std::span<std::int16_t> out, std::span<std::int16_t> work, std::size_t lengthBytes,
                           double speed, std::int64_t minSpacing, std::span<std::uint32_t> points)
{
    const double target = std::trunc(static_cast<double>(lengthBytes) / speed);
    double ratio = Ratio(lengthBytes, target);
    while (ratio >= 1.0) {
        const std::size_t previous = lengthBytes;
        lengthBytes = 2 * ShrinkPass(out, work.first(lengthBytes / 2), ratio, minSpacing, points);
        if (lengthBytes == previous || static_cast<double>(lengthBytes) <= target) break;
        std::copy_n(out.data(), lengthBytes / 2, work.data());
        ratio = Ratio(lengthBytes, target);
    }
    return lengthBytes;
}

bool ChangeBlockSpeed(const WaveFormat& format, ByteBlock& samples, double speed, int spacingFactor,
                      MessageSink& sink)
{
    if (format.bitsPerSample != 16) {
        std::string text = "sample width is not supported for speed change [";
        text += std::to_string(format.bitsPerSample);
        text += " bits]";
        ShowPlainMessage(sink, text);
        return false;
    }
    if (!std::isfinite(speed) || speed <= 0 || spacingFactor < 0) {
        ReportGeneralError(sink, GeneralError::ParameterWrong);
        return false;
    }
    if (speed == 1.0) return true;
    const int channels = format.channels;
    if (channels != 1 && channels != 2) {
        std::string text = "channel count is not supported for speed change [";
        text += std::to_string(channels);
        text += "]";
        ShowPlainMessage(sink, text);
        return false;
    }

    // Each channel is changed by itself, from its own length in bytes.
    const std::size_t frames = samples.size() / (2 * static_cast<std::size_t>(channels));
    const std::size_t channelBytes = channels == 1 ? samples.size() : 2 * frames;
    if (frames == 0) return true;
    const bool lengthen = speed < 1.0;
    const double target = std::trunc(static_cast<double>(channelBytes) / speed);
    // Lengthening keeps blocks of twice the target, which every pass output
    // stays below; the result is shorter still, so it fits a tune when they do.
    if (lengthen && channels * 2 * target > kMaxTuneBytes) {
        ReportGeneralError(sink, GeneralError::DataSizeTooLarge);
        return false;
    }
    const std::size_t blockSamples = lengthen ? static_cast<std::size_t>(target) : frames;
    const std::int64_t minSpacing = MinimumSpacing(format.samplesPerSec, spacingFactor);

    // Mono shortening works in the tune's own block; everything else in a copy.
    const bool inPlace = channels == 1 && !lengthen;
    Blocks blocks;
    if (!Allocate(blocks, channels, blockSamples, MaxSplicePoints(blockSamples, minSpacing), !inPlace)) {
        ReportGeneralError(sink, GeneralError::NeedsMoreMemory);
        return false;
    }
    const std::span<std::uint32_t> points = Points(blocks.points);

    if (channels == 1) {
        std::span<std::int16_t> work = Samples16(samples);
        if (!inPlace) {
            work = Samples16(blocks.work);
            std::memcpy(work.data(), samples.data(), frames * sizeof(std::int16_t));
        }
        const std::size_t length =
            RunLoop(lengthen, Samples16(blocks.out[0]), work, channelBytes, speed, minSpacing, points);
        if (length == channelBytes) return true;  // no pass made progress
        blocks.out[0].Shrink(length);
        samples = std::move(blocks.out[0]);
        return true;
    }

    const std::span<std::int16_t> work = Samples16(blocks.work);
    const auto* interleaved = reinterpret_cast<const std::int16_t*>(samples.data());
    std::size_t lengths[2] = {};
    for (int c = 0; c < 2; ++c) {
        for (std::size_t i = 0; i < frames; ++i) work[i] = interleaved[2 * i + static_cast<std::size_t>(c)];
        lengths[c] = RunLoop(lengthen, Samples16(blocks.out[c]), work, channelBytes, speed, minSpacing, points);
    }
    const std::size_t framesOut = std::min(lengths[0], lengths[1]) / 2;
    if (lengths[0] == channelBytes && lengths[1] == channelBytes && samples.size() == 4 * frames)
        return true;  // neither channel changed
    ByteBlock result = ByteBlock::Allocate(4 * framesOut);
    if (!result) {
        ReportGeneralError(sink, GeneralError::NeedsMoreMemory);
        return false;
    }
    auto* out = reinterpret_cast<std::int16_t*>(result.data());
    const std::int16_t* left = Samples16(blocks.out[0]).data();
    const std::int16_t* right = Samples16(blocks.out[1]).data();
    for (std::size_t i = 0; i < framesOut; ++i) {
        out[2 * i] = left[i];
        out[2 * i + 1] = right[i];
    }
    samples = std::move(result);
    return true;
}

}  // namespace harkwell
