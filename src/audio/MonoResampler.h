#pragma once

#include "audio/FfmpegHeaders.h"

#include <cstdint>

namespace harkwell {

// Turns decoded frames of any sample format, rate and channel layout into
// 16-bit mono at one rate, each sample the mean of the frame's channels.
// A stream whose rate or layout changes midway gets a new converter for the
// frames after the change.
class MonoResampler {
public:
    explicit MonoResampler(int outputRate) : outputRate_(outputRate) {}
    ~MonoResampler();
    MonoResampler(const MonoResampler&) = delete;
    MonoResampler& operator=(const MonoResampler&) = delete;

    // True when `frame` cannot go through the present converter (or there is none).
    bool NeedsNewConverter(const AVFrame& frame) const;
    // Replaces the converter by one for frames like `frame`; Drain the old
    // one first. False for a format that cannot be converted.
    [[nodiscard]] bool StartConverter(const AVFrame& frame);

    // The most frames that converting `inputFrames` can give.
    int OutputBound(int inputFrames) const;
    // Converts the frame into `out`, which has room for `capacity` frames;
    // the number written, negative on failure.
    int Convert(const AVFrame& frame, std::int16_t* out, int capacity);
    // Frames the converter still holds, at most `capacity`; 0 when it is empty.
    int Drain(std::int16_t* out, int capacity);

    int OutputRate() const { return outputRate_; }

private:
    void Release();

    int outputRate_;
    SwrContext* converter_ = nullptr;
    int inputRate_ = 0;
    int inputFormat_ = AV_SAMPLE_FMT_NONE;
    AVChannelLayout inputLayout_{};
};

}  // namespace harkwell
