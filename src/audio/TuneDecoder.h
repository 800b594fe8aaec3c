#pragma once

#include "common/ByteBlock.h"
#include "common/MessageSink.h"

#include <cstdint>
#include <optional>
#include <string>

namespace harkwell {

// Where a tune's samples came from, as the file holds them.
struct TuneSource {
    std::string codec;  // the decoder's name; "pcm" for the WAV reader
    std::uint32_t channels = 0;
    std::uint32_t sampleRate = 0;
};

// A tune decoded to 16-bit signed mono samples at `sampleRate`.
struct DecodedTune {
    ByteBlock samples;
    std::uint32_t sampleRate = 0;
    TuneSource source;
};

// Turns a sound file of any format into a mono tune. Every refusal, and a
// file that ends early, is told through the sink.
class TuneDecoder {
public:
    virtual ~TuneDecoder() = default;
    [[nodiscard]] virtual std::optional<DecodedTune> DecodeMono(const std::string& path, MessageSink& sink) = 0;
};

// The rates at which playback, bars and analysis are right: 44100 and 48000
// stay; any other rate is taken to the nearer of the two.
std::uint32_t NearestTuneRate(std::uint32_t sourceRate);

}  // namespace harkwell
