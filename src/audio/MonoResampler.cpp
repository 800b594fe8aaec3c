#include "audio/MonoResampler.h"

#include <vector>

namespace harkwell {

MonoResampler::~MonoResampler() { Release(); }

void MonoResampler::Release()
{
    swr_free(&converter_);
    av_channel_layout_uninit(&inputLayout_);
    inputRate_ = 0;
    inputFormat_ = AV_SAMPLE_FMT_NONE;
}

bool MonoResampler::NeedsNewConverter(const AVFrame& frame) const
{
    return converter_ == nullptr || frame.sample_rate != inputRate_ || frame.format != inputFormat_ ||
           av_channel_layout_compare(&frame.ch_layout, &inputLayout_) != 0;
}

bool MonoResampler::StartConverter(const AVFrame& frame)
{
    Release();
    const int channels = frame.ch_layout.nb_channels;
    if (channels <= 0 || frame.sample_rate <= 0 || frame.format < 0) return false;
    // The library takes its layouts by pointers to non-const.
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    AVChannelLayout input{};
    if (av_channel_layout_copy(&input, &frame.ch_layout) < 0) return false;
    const int allocated = swr_alloc_set_opts2(&converter_, &mono, AV_SAMPLE_FMT_S16, outputRate_, &input,
                                              static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&input);
    if (allocated < 0) return false;
    // Every channel weighs the same, whatever its place: the mean of the channels.
    const std::vector<double> mean(static_cast<std::size_t>(channels), 1.0 / channels);
    // Mixed in float, so that full-scale 16-bit channels clip at the end
    // instead of wrapping round in the library's fixed-point mix.
    if (swr_set_matrix(converter_, mean.data(), channels) < 0 ||
        av_opt_set_sample_fmt(converter_, "internal_sample_fmt", AV_SAMPLE_FMT_FLTP, 0) < 0 ||
        swr_init(converter_) < 0 ||
        av_channel_layout_copy(&inputLayout_, &frame.ch_layout) < 0) {
        Release();
        return false;
    }
    inputRate_ = frame.sample_rate;
    inputFormat_ = frame.format;
    return true;
}

int MonoResampler::OutputBound(int inputFrames) const { return swr_get_out_samples(converter_, inputFrames); }

int MonoResampler::Convert(const AVFrame& frame, std::int16_t* out, int capacity)
{
    auto* bytes = reinterpret_cast<std::uint8_t*>(out);
    return swr_convert(converter_, &bytes, capacity, const_cast<const std::uint8_t**>(frame.extended_data),
                       frame.nb_samples);
}

int MonoResampler::Drain(std::int16_t* out, int capacity)
{
    if (converter_ == nullptr) return 0;
    auto* bytes = reinterpret_cast<std::uint8_t*>(out);
    return swr_convert(converter_, &bytes, capacity, nullptr, 0);
}

}  // namespace harkwell
