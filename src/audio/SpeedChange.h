#pragma once

// Speed change with the pitch kept, by splicing in the time domain: whole
// stretches from one splice point (a rising zero crossing) to the next are
// played twice to slow down or dropped to speed up, spread evenly over the
// tune by a quota that grows along it. One pass at most doubles each stretch
// or drops every other one, so passes repeat until the length reaches its
// target.

#include "audio/WaveFormat.h"
#include "common/ByteBlock.h"
#include "common/MessageSink.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace harkwell {

// The least distance in samples between two splice points:
// (samplesPerSec / 441) × spacingFactor, 800 at 44100 Hz with factor 8.
std::int64_t MinimumSpacing(std::uint32_t samplesPerSec, int spacingFactor);

// The most splice points a block of `samples` samples can have.
std::size_t MaxSplicePoints(std::size_t samples, std::int64_t minSpacing);

// Writes the splice points of `samples` into `points`, ascending, and returns
// their number. Sample i (from 1) is one when s[i-1] < 0 <= s[i] and it lies
// more than `minSpacing` samples after the previous one (the first counts from
// sample 0). `points` should hold MaxSplicePoints(samples.size(), minSpacing)
// entries; no more than it holds are written.
std::size_t MarkSplicePoints(std::span<const std::int16_t> samples, std::int64_t minSpacing,
                             std::span<std::uint32_t> points);

// One lengthening pass over `in` toward in.size() / ratio samples (ratio <= 1):
// at each splice point, while the samples inserted so far fall short of the
// quota there, the stretch up to the next splice point is written twice.
// Returns the number of samples written to `out`. An insertion that would not
// fit in `out` is left out; `out` must hold at least in.size() samples, else
// nothing is written and 0 is returned. `points` is scratch for the splice points.
std::size_t ExpandPass(std::span<std::int16_t> out, std::span<const std::int16_t> in, double ratio,
                       std::int64_t minSpacing, std::span<std::uint32_t> points);

// One shortening pass over `in` toward in.size() / ratio samples (ratio >= 1):
// at each splice point, while the samples removed so far fall short of the
// quota there, the stretch up to the next splice point is dropped; the splice
// point that ends a dropped stretch is always kept, so two neighbouring
// stretches are never both dropped. Returns the number of samples written to
// `out`, which must hold in.size() samples (else 0, nothing written).
std::size_t ShrinkPass(std::span<std::int16_t> out, std::span<const std::int16_t> in, double ratio,
                       std::int64_t minSpacing, std::span<std::uint32_t> points);

// Repeats ExpandPass over `work` (which holds `lengthBytes` bytes of samples)
// until the length reaches trunc(lengthBytes / speed) bytes or a pass changes
// nothing; the result is in `out` and its length in bytes is returned. Both
// blocks must hold 2 × trunc(lengthBytes / speed) bytes.
std::size_t LengthenSamples(std::span<std::int16_t> out, std::span<std::int16_t> work, std::size_t lengthBytes,
                            double speed, std::int64_t minSpacing, std::span<std::uint32_t> points);

// The same with ShrinkPass, down to trunc(lengthBytes / speed) bytes. Both
// blocks must hold `lengthBytes` bytes; `work` is overwritten.
std::size_t ShortenSamples(std::span<std::int16_t> out, std::span<std::int16_t> work, std::size_t lengthBytes,
                           double speed, std::int64_t minSpacing, std::span<std::uint32_t> points);

// Changes the speed of a block of 16-bit samples, mono or stereo, in `format`,
// and replaces `samples` with the result (stereo: both channels cut to the
// shorter one). A refusal is shown through the sink and leaves `samples` as it
// was: other sample widths or channel counts, a speed that is not a positive
// finite number, a negative spacing factor, a result too large for a tune, or
// too little memory. Returns false when it refused.
[[nodiscard]]
bool ChangeBlockSpeed(const WaveFormat& format, ByteBlock& samples, double speed, int spacingFactor,
                      MessageSink& sink);

}  // namespace harkwell
