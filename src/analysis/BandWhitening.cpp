#include "analysis/BandWhitening.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

namespace harkwell {

namespace {

constexpr int kBands = 34;
// A band far quieter than the loudest is raised no more than one at this part of its level.
constexpr double kQuietestLevel = 0.01;
// Band centres: 229 (10^((b + 1) / 21.4) - 1) Hz, with one more at each end for the triangles' feet.
std::array<double, kBands + 2> BandEdges()
{
    std::array<double, kBands + 2> centre{};
    for (int b = 0; b < kBands + 2; ++b) centre[static_cast<std::size_t>(b)] = 229.0 * (std::pow(10.0, b / 21.4) - 1.0);
    return centre;
}

}  // namespace

void WhitenBands(std::span<double> magnitude, double binHz, double compression)
{
    if (magnitude.empty() || !(binHz > 0.0)) return;
    static const std::array<double, kBands + 2> edge = BandEdges();
    // Centre b + 1 of `edge` is band b's; its feet are centres b and b + 2.
    std::array<double, kBands> level{};
    std::array<double, kBands> scale{};
    const auto last = static_cast<double>(magnitude.size() - 1);
    for (int b = 0; b < kBands; ++b) {
        const double low = edge[static_cast<std::size_t>(b)] / binHz;
        const double centre = edge[static_cast<std::size_t>(b) + 1] / binHz;
        const double high = edge[static_cast<std::size_t>(b) + 2] / binHz;
        double power = 0.0, weight = 0.0;
        const auto from = static_cast<std::size_t>(std::ceil(low));
        const auto to = static_cast<std::size_t>(std::min(std::floor(high), last));
        for (std::size_t k = from; k <= to && k < magnitude.size(); ++k) {
            const double x = double(k);
            const double h = x <= centre ? (x - low) / std::max(centre - low, 1e-9) : (high - x) / std::max(high - centre, 1e-9);
            if (h <= 0.0) continue;
            power += h * magnitude[k] * magnitude[k];
            weight += h;
        }
        level[static_cast<std::size_t>(b)] = weight > 0.0 ? std::sqrt(power / weight) : 0.0;
    }
    const double loudest = *std::max_element(level.begin(), level.end());
    if (!(loudest > 0.0)) return;
    for (int b = 0; b < kBands; ++b) {
        const double l = level[static_cast<std::size_t>(b)];
        // A band the spectrum does not reach stays as it is; its scale is only a placeholder.
        scale[static_cast<std::size_t>(b)] = l > 0.0 ? std::pow(std::max(l, kQuietestLevel * loudest), compression - 1.0) : 0.0;
    }
    // A band the spectrum does not reach, or a silent one, takes its neighbour's scale.
    for (int b = 1; b < kBands; ++b)
        if (scale[static_cast<std::size_t>(b)] == 0.0) scale[static_cast<std::size_t>(b)] = scale[static_cast<std::size_t>(b) - 1];
    for (int b = kBands - 2; b >= 0; --b)
        if (scale[static_cast<std::size_t>(b)] == 0.0) scale[static_cast<std::size_t>(b)] = scale[static_cast<std::size_t>(b) + 1];

    int b = 0;  // the band whose centre lies at or below f, as f rises
    for (std::size_t k = 0; k < magnitude.size(); ++k) {
        const double f = double(k) * binHz;
        double gain = scale[0];
        if (f >= edge[kBands]) {
            gain = scale[kBands - 1];
        } else if (f > edge[1]) {
            while (b + 1 < kBands && edge[static_cast<std::size_t>(b) + 2] < f) ++b;
            const double c0 = edge[static_cast<std::size_t>(b) + 1];
            const double c1 = edge[static_cast<std::size_t>(b) + 2];
            const double t = (f - c0) / (c1 - c0);
            gain = scale[static_cast<std::size_t>(b)] * (1.0 - t) + scale[static_cast<std::size_t>(b) + 1] * t;
        }
        magnitude[k] *= gain;
    }
}

}  // namespace harkwell
