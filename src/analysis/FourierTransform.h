#pragma once

#include "analysis/SineTransform.h"
#include "analysis/TuneSamples.h"
#include "common/MessageSink.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace harkwell {

// The transform's errors, shown system-modal; any other code shows the undefined-error text.
enum class FourierError : int {
    NotPowerOfTwo = 0,  // the block size is no power of two
    RangeWrong = 1,     // the block does not end before the last frame
};

// Turns blocks of a tune into the magnitudes of their sine transform, one per
// frequency. One object serves every block of one size in a run; its tables
// are built once. The name is the one its messages carry.
class CFourierTransform {
public:
    // An n that is not a power of two of at least 2 reports NotPowerOfTwo and leaves
    // the object unusable: every block is then refused without a message.
    CFourierTransform(MessageSink& messages, std::int64_t n, const TuneSamples& tune);

    static bool IsPowerOfTwo(std::int64_t n);
    static void ReportError(MessageSink& messages, FourierError code);

    bool Usable() const { return usable_; }
    int Size() const { return size_; }
    std::int64_t FrameCount() const { return frameCount_; }

    // Transforms frames startFrame .. startFrame + n - 1. Refuses, with a
    // message, a block that does not end before the last frame (RangeWrong) or
    // a format it cannot read ("未対応"); a refused block leaves every
    // magnitude 0 and returns false, so that nothing of it is counted.
    [[nodiscard]] bool TransformBlock(std::int64_t startFrame);

    // Entry k: the frequency in Hz that coefficient k measures, rate * k / 2n
    // truncated, for k < n/2.
    std::span<const std::int32_t> BinFrequency() const { return binFrequency_; }
    // Entry k: |trunc(coefficient k / 256)| of the last block, k < n/2.
    std::span<const double> Magnitude() const { return magnitude_; }
    // The last block as read: the first channel of 16-bit frames, 8-bit samples unsigned.
    std::span<const std::int16_t> Samples() const { return samples_; }

private:
    MessageSink& messages_;
    bool usable_ = false;
    int size_ = 0;
    TuneSamples tune_;
    std::int64_t frameCount_ = 0;
    std::vector<std::int32_t> binFrequency_;
    std::vector<std::int16_t> samples_;
    std::vector<double> magnitude_;
    std::vector<double> work_;
    std::vector<SineTransform> transform_;  // one, once the object is usable
};

}  // namespace harkwell
