#pragma once

#include "audio/WaveformColumns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace harkwell::testing {

// The waveform's columns by the plain rule, one sample at a time: sample i of
// the view at x = trunc(width / V × i) and y = trunc((s + 32768) × height /
// 65536), both in double; samples sharing an x make one column from its
// smallest to its largest y. Stops at the last sample that exists.
inline std::vector<WaveformColumn> PerSampleColumns(const WaveformView& view, const std::vector<std::int16_t>& samples)
{
    std::vector<WaveformColumn> columns;
    const std::uint64_t visible = view.frames / view.zoom;
    if (visible == 0 || view.width <= 0) return columns;
    for (std::uint64_t i = 0; i < visible && view.viewStart + i < samples.size(); ++i) {
        const double s = samples[view.viewStart + i];
        const int x = static_cast<int>(std::trunc(double(view.width) / double(visible) * double(i)));
        const int y = static_cast<int>(std::trunc((s + 32768) * view.height / 65536));
        if (columns.empty() || columns.back().x != x) {
            columns.push_back({x, y, y});
        } else {
            columns.back().top = std::min(columns.back().top, y);
            columns.back().bottom = std::max(columns.back().bottom, y);
        }
    }
    return columns;
}

// Equal column lists, or the first column that differs (whole lists of
// hundreds of columns make unreadable failures).
inline ::testing::AssertionResult SameColumns(const std::vector<WaveformColumn>& actual,
                                              const std::vector<WaveformColumn>& expected)
{
    const auto describe = [](const std::vector<WaveformColumn>& columns, std::size_t at) {
        if (at >= columns.size()) return std::string("none");
        const WaveformColumn& c = columns[at];
        return "x " + std::to_string(c.x) + " rows " + std::to_string(c.top) + ".." + std::to_string(c.bottom);
    };
    const auto mismatch = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    if (mismatch.first == actual.end() && mismatch.second == expected.end()) return ::testing::AssertionSuccess();
    const auto at = static_cast<std::size_t>(mismatch.first - actual.begin());
    return ::testing::AssertionFailure() << "column " << at << " of " << actual.size() << "/" << expected.size()
                                         << ": " << describe(actual, at) << ", expected " << describe(expected, at);
}

}  // namespace harkwell::testing
