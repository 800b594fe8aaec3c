#pragma once

#include "audio/FfmpegHeaders.h"
#include "common/Files.h"

#include <string>

namespace harkwell {

// Why a file gave no audio stream to decode.
enum class InputRefusal {
    None,
    NotFound,     // gone, a folder, or not readable
    Empty,        // no bytes at all
    NotSound,     // no demuxer or no decoder takes it, or a playlist
    NoSound,      // a file without an audio stream
    CutOff,       // the file ends before its first sound
    OutOfMemory,
};

// The best audio stream of an untrusted file and its decoder. The file is
// read only through its own descriptor; nothing it names is ever opened:
// playlists and concatenating or file-pattern demuxers are refused before
// they read their header, and any other open is held to the file protocol.
class AudioStreamInput {
public:
    AudioStreamInput() = default;
    ~AudioStreamInput();
    AudioStreamInput(const AudioStreamInput&) = delete;
    AudioStreamInput& operator=(const AudioStreamInput&) = delete;

    [[nodiscard]] InputRefusal Open(const std::string& path);

    AVFormatContext* Format() { return format_; }
    AVCodecContext* Decoder() { return decoder_; }
    const AVStream& Stream() const { return *format_->streams[stream_]; }
    int StreamIndex() const { return stream_; }

    // True for Ogg files, whose cut-off end shows only in their last page.
    bool IsOgg() const;
    int Descriptor() const { return fd_; }

    // The stream's length as the file states it, in seconds; negative when
    // it states none or only guesses it from the bit rate.
    double StatedSeconds() const;

private:
    InputRefusal OpenFormat(const std::string& path);
    InputRefusal OpenDecoder();

    FilePtr file_;
    int fd_ = -1;
    AVIOContext* io_ = nullptr;
    AVFormatContext* format_ = nullptr;
    AVCodecContext* decoder_ = nullptr;
    int stream_ = -1;
};

// True for the demuxers that would open other files or addresses.
bool OpensOtherInputs(const AVInputFormat& format);

}  // namespace harkwell
