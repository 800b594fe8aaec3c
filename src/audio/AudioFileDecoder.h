#pragma once

#include "audio/TuneDecoder.h"

namespace harkwell {

// Decodes the best audio stream of any file that FFmpeg's libraries read
// (MP3, AAC, FLAC, Ogg, Opus, AIFF, the WAVs the WAV reader does not take,
// the sound of a video) block by block, mixing each block to mono as it
// comes. A rate other than 44100 or 48000 is resampled once, to the nearer.
// A file cut off midway gives what decodes, and says so once.
class AudioFileDecoder final : public TuneDecoder {
public:
    [[nodiscard]] std::optional<DecodedTune> DecodeMono(const std::string& path, MessageSink& sink) override;
};

}  // namespace harkwell
