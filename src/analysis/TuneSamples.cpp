#include "analysis/TuneSamples.h"

namespace harkwell {

std::int64_t TuneSamples::FrameCount() const
{
    const std::int64_t bytesPerSample = bitsPerSample / 8;
    if (data == nullptr || channels <= 0 || bytesPerSample <= 0) return 0;
    return static_cast<std::int64_t>(bytes) / channels / bytesPerSample;
}

bool TuneSamples::Readable() const
{
    return (bitsPerSample == 16 && (channels == 1 || channels == 2)) || (bitsPerSample == 8 && channels == 1);
}

bool ReadFirstChannel(const TuneSamples& tune, std::int64_t startFrame, std::span<std::int16_t> out)
{
    if (!tune.Readable() || startFrame < 0 ||
        startFrame + static_cast<std::int64_t>(out.size()) > tune.FrameCount())
        return false;
    const auto start = static_cast<std::size_t>(startFrame);
    if (tune.bitsPerSample == 16) {
        const std::size_t stride = 2 * static_cast<std::size_t>(tune.channels);
        const std::uint8_t* frame = tune.data + start * stride;
        for (std::int16_t& sample : out) {
            sample = static_cast<std::int16_t>(static_cast<std::uint16_t>(frame[0] | (frame[1] << 8)));
            frame += stride;
        }
        return true;
    }
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::int16_t>((static_cast<int>(tune.data[start + i]) - 128) * 256);
    return true;
}

}  // namespace harkwell
