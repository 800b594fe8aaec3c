#pragma once

#include "audio/TuneDecoder.h"
#include "audio/WaveFormat.h"
#include "common/ByteBlock.h"
#include "common/MessageSink.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace harkwell {

using ChunkId = std::array<char, 4>;

// The header fields of the WAV file a tune came from, as they stood there.
struct WaveHeader {
    ChunkId riffId{};
    std::uint32_t riffSize = 0;
    ChunkId waveId{};
    ChunkId fmtId{};
    std::uint32_t fmtSize = 0;
    ChunkId dataId{};
    std::uint32_t dataSize = 0;
};

// One tune in memory: its header, its format and its owned PCM bytes (8-bit
// unsigned or 16-bit signed, channels interleaved).
class WaveData {
public:
    // Reads a WAV file. Every refusal is shown through the sink; nothing is
    // returned then.
    [[nodiscard]] static std::optional<WaveData> Load(const std::string& path, MessageSink& sink);
    // Load followed by MixToMono, the same samples and header, but a stereo
    // tune is mixed as it is read: it never needs more memory than its mono
    // samples. Any other sound file (MP3, FLAC, a 24-bit WAV, a video...) goes
    // to the decoder, which gives 16-bit mono; its header is then that of a
    // plain PCM WAV of those samples.
    [[nodiscard]] static std::optional<WaveData> LoadMono(const std::string& path, MessageSink& sink);
    [[nodiscard]] static std::optional<WaveData> LoadMono(const std::string& path, MessageSink& sink,
                                                          TuneDecoder& decoder);

    // Copies `frames` frames of samples in the given format. The header stays unset.
    WaveData(const WaveFormat& format, const std::uint8_t* samples, std::uint32_t frames);

    // Stereo to mono, each frame the mean of its two samples truncated toward
    // zero. Leaves any other channel count alone.
    void MixToMono();

    // Copies all sample bytes into `destination` (at least Length() bytes) and
    // returns their number.
    std::uint32_t CopySamples(std::uint8_t* destination) const;

    // Makes a 16-bit tune shorter (speed above 1) or longer (below 1) with its
    // pitch kept; splice points lie (samplesPerSec / 441) × spacingFactor
    // samples apart at least. A refusal is shown through the sink and leaves
    // the tune unchanged; false then.
    [[nodiscard]] bool ChangeSpeed(double speed, int spacingFactor, MessageSink& sink);

    const WaveHeader& Header() const { return header_; }
    // The file's own codec, channels and rate; empty for a tune made in memory.
    const TuneSource& Source() const { return source_; }
    const WaveFormat& Format() const { return format_; }
    std::span<const std::uint8_t> Samples() const { return {samples_.data(), samples_.size()}; }
    std::uint32_t Length() const { return static_cast<std::uint32_t>(samples_.size()); }
    std::uint32_t Frames() const;

private:
    WaveData() = default;
    static std::optional<WaveData> Read(const std::string& path, MessageSink& sink, bool mono);
    static WaveData FromDecoded(DecodedTune decoded);
    // The format of the tune once its two channels are one.
    void BecomeMono();

    WaveHeader header_;
    WaveFormat format_;
    ByteBlock samples_;
    TuneSource source_;
};

// The reader's messages, also used by the speed change.
enum class WaveFileError : int {
    NotFound = 0,         // "file is not found"
    DifferentFormat = 1,  // "file is different format"
    CannotOpen = 2,       // "file can not open"
};
// Any other code shows an empty text.
void ReportFileError(MessageSink& sink, WaveFileError code);
// "file is different format [detail]" for DifferentFormat, " [detail]" for any other code.
void ReportFormatError(MessageSink& sink, WaveFileError code, std::string_view detail);

}  // namespace harkwell
