#include "analysis/BlockAverage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace harkwell {

namespace {

constexpr double kBlockSeconds = 0.17;

void FillHann(std::vector<double>& window, std::size_t length)
{
    window.resize(length);
    for (std::size_t j = 0; j < length; ++j)
        window[j] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (double(j) + 0.5) / double(length));
}

}  // namespace

std::size_t BlockAverage::BlockSizeAt(std::int32_t sampleRate)
{
    // Rates beyond 192 kHz get the block of 192 kHz: they are no tune's.
    std::size_t block = 256;
    while (static_cast<double>(block) < kBlockSeconds * std::clamp(sampleRate, 1, 192000)) block *= 2;
    return block;
}

BlockAverage::BlockAverage(std::int32_t sampleRate, int padding)
    : block_(BlockSizeAt(sampleRate)), padding_(padding >= 4 ? 4 : padding >= 2 ? 2 : 1),
      binHz_(double(std::clamp(sampleRate, 1, 192000)) / double(block_ * static_cast<std::size_t>(padding_))),
      transform_(block_ * static_cast<std::size_t>(padding_)),
      samples_(block_), input_(transform_.Size(), 0.0), spectrum_(BinCount()), power_(BinCount())
{
    FillHann(window_, block_);
}

void BlockAverage::AddBlock(std::size_t length)
{
    const std::vector<double>& window = length == block_ ? window_ : shortWindow_;
    for (std::size_t j = 0; j < length; ++j) input_[j] = window[j] * samples_[j];
    std::fill(input_.begin() + static_cast<std::ptrdiff_t>(length), input_.end(), 0.0);
    transform_.Transform(input_.data(), spectrum_.data());
    for (std::size_t k = 0; k < power_.size(); ++k) power_[k] += std::norm(spectrum_[k]);
}

bool BlockAverage::Measure(const TuneSamples& tune, std::int64_t first, std::int64_t frames,
                           std::vector<double>& magnitude)
{
    magnitude.clear();
    if (frames < static_cast<std::int64_t>(ShortestStretch()) || !tune.Readable()) return false;
    std::fill(power_.begin(), power_.end(), 0.0);
    const auto block = static_cast<std::int64_t>(block_);
    std::int64_t count = 0;
    if (frames < block) {
        std::size_t length = block_;
        while (static_cast<std::int64_t>(length) > frames) length /= 2;
        FillHann(shortWindow_, length);
        if (!ReadFirstChannel(tune, first, std::span(samples_).first(length))) return false;
        AddBlock(length);
        count = 1;
    } else {
        // Half-overlapping blocks, the last one ending on the stretch's last frame.
        const std::int64_t hop = block / 2;
        const std::int64_t blocks = (frames - block) / hop + 1;
        for (std::int64_t b = 0; b < blocks; ++b) {
            const std::int64_t start = b + 1 == blocks ? first + frames - block : first + b * hop;
            if (!ReadFirstChannel(tune, start, samples_)) return false;
            AddBlock(block_);
        }
        count = blocks;
    }
    magnitude.resize(power_.size());
    const double scale = 1.0 / double(count);
    for (std::size_t k = 0; k < power_.size(); ++k) magnitude[k] = std::sqrt(power_[k] * scale);
    return true;
}

}  // namespace harkwell
