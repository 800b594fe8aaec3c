#pragma once

#include "audio/WaveformSummary.h"

#include <cstdint>
#include <vector>

namespace harkwell {

// How a slot lays its samples out: V = frames / zoom frames from viewStart
// across width pixels, the sample range -32768 .. 32767 down height pixels.
struct WaveformView {
    std::uint32_t frames = 0;
    std::uint32_t zoom = 1;  // at least 1
    std::uint32_t viewStart = 0;
    int width = 0;
    int height = 0;

    // V, the frames across the width; 0 when the zoom exceeds the frames, and
    // then nothing of the samples is shown.
    std::uint32_t VisibleFrames() const { return frames / (zoom == 0 ? 1 : zoom); }
};

// The pixel column of a frame position: (position - viewStart) × width / V in
// exact 64-bit arithmetic, truncated toward zero. Far outside the image for
// positions outside the view; V must not be 0.
std::int64_t XOfFrame(const WaveformView& view, std::uint32_t position);

// The frame under pixel column x (taken inside 0 .. width - 1): trunc(V × x /
// width) + viewStart, kept inside the samples (frames - 1 when at or past the
// end; 0 when there are no samples).
std::uint32_t FrameAtX(const WaveformView& view, int x);

// The row of a sample: trunc((s + 32768) × height / 65536), so -32768 lies on
// the top row and 32767 on the bottom one.
int YOfSample(std::int16_t sample, int height);

// One vertical line of the waveform, top and bottom rows both drawn.
struct WaveformColumn {
    int x = 0;
    int top = 0;
    int bottom = 0;

    friend bool operator==(const WaveformColumn&, const WaveformColumn&) = default;
};

// The waveform's lines. Sample i of the view (0 .. V - 1) lies at x =
// trunc(width / V × i) in double precision; the samples that share an x form
// one column, drawn from its smallest to its largest row. Only samples that
// exist are drawn, even where the view runs past the end. The summary's
// samples are the slot's; each column costs a few reads of the summary.
std::vector<WaveformColumn> ComputeWaveformColumns(const WaveformView& view, const WaveformSummary& summary);

}  // namespace harkwell
