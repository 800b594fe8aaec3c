#pragma once

#include "audio/TuneDecoder.h"

#include <cstring>
#include <string>
#include <vector>

namespace harkwell::testing {

// Records the files it is asked for and gives each a tune of `frames`
// silent frames at 48000 Hz from a codec named "fake".
class RecordingTuneDecoder final : public TuneDecoder {
public:
    std::optional<DecodedTune> DecodeMono(const std::string& path, MessageSink&) override
    {
        paths.push_back(path);
        DecodedTune tune;
        tune.samples = ByteBlock::Allocate(frames * 2);
        if (frames > 0) std::memset(tune.samples.data(), 0, frames * 2);
        tune.sampleRate = 48000;
        tune.source = {"fake", 6, 96000};
        return tune;
    }

    std::size_t frames = 3;
    std::vector<std::string> paths;
};

}  // namespace harkwell::testing
