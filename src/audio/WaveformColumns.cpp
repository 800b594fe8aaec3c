#include "audio/WaveformColumns.h"

#include <algorithm>
#include <cmath>

namespace harkwell {

std::int64_t XOfFrame(const WaveformView& view, std::uint32_t position)
{
    const auto offset = std::int64_t{position} - std::int64_t{view.viewStart};
    return offset * view.width / std::int64_t{view.VisibleFrames()};
}

std::uint32_t FrameAtX(const WaveformView& view, int x)
{
    if (view.frames == 0) return 0;
    std::int64_t position = view.viewStart;
    if (view.width > 0) {
        const std::int64_t inside = std::clamp(x, 0, view.width - 1);
        position += std::int64_t{view.VisibleFrames()} * inside / view.width;
    }
    return static_cast<std::uint32_t>(std::min(position, std::int64_t{view.frames} - 1));
}

int YOfSample(std::int16_t sample, int height)
{
    return static_cast<int>(std::trunc((sample + 32768.0) * height / 65536.0));
}

namespace {

// The x of view sample i, evaluated exactly as written so that column
// boundaries fall where the per-sample rule puts them, rounding included.
class ColumnOfSample {
public:
    ColumnOfSample(int width, std::uint32_t visible) : step_(double(width) / double(visible)) {}

    std::int64_t operator()(std::uint64_t i) const { return static_cast<std::int64_t>(std::trunc(step_ * double(i))); }

    // The first i after `first` (whose column is x) in another column, or
    // `count`. x(i) never falls as i grows, so a guess from the inverse is
    // corrected by stepping with the rule itself.
    std::uint64_t NextColumnStart(std::uint64_t first, std::int64_t x, std::uint64_t count) const
    {
        const double guess = std::ceil(double(x + 1) / step_);
        std::uint64_t next = guess >= double(count) ? count : static_cast<std::uint64_t>(guess);
        next = std::clamp(next, first + 1, count);
        while (next > first + 1 && (*this)(next - 1) > x) --next;
        while (next < count && (*this)(next) <= x) ++next;
        return next;
    }

private:
    double step_;
};

}  // namespace

std::vector<WaveformColumn> ComputeWaveformColumns(const WaveformView& view, const WaveformSummary& summary)
{
    std::vector<WaveformColumn> columns;
    const std::uint64_t visible = view.VisibleFrames();
    const std::uint64_t held = std::min<std::uint64_t>(view.frames, summary.size());
    if (visible == 0 || view.width <= 0 || view.viewStart >= held) return columns;
    const std::uint64_t count = std::min(visible, held - view.viewStart);

    const ColumnOfSample xOf(view.width, view.VisibleFrames());
    columns.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, std::uint64_t(view.width) + 1)));
    for (std::uint64_t first = 0; first < count;) {
        const std::int64_t x = xOf(first);
        const std::uint64_t next = xOf.NextColumnStart(first, x, count);
        const SampleExtremes extremes = summary.Extremes(view.viewStart + first, view.viewStart + next - 1);
        columns.push_back({static_cast<int>(x), YOfSample(extremes.min, view.height), YOfSample(extremes.max, view.height)});
        first = next;
    }
    return columns;
}

}  // namespace harkwell
