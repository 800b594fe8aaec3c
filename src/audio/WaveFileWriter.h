#pragma once

#include "common/Files.h"
#include "common/MessageSink.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace harkwell {

// Writes a PCM WAV file as it comes: Open writes the headers, Write appends
// sample bytes, Close writes the chunk sizes. Failures are shown through the
// sink and returned.
class WaveFileWriter {
public:
    static constexpr int kNoFileName = 0x101;
    static constexpr int kAlreadyOpen = 0x103;
    static constexpr int kFormatWrittenShort = 0x106;

    explicit WaveFileWriter(MessageSink& sink) : sink_(sink) {}
    // A writer still open is closed, sizes written, without a message.
    ~WaveFileWriter();
    WaveFileWriter(const WaveFileWriter&) = delete;
    WaveFileWriter& operator=(const WaveFileWriter&) = delete;

    // 0 on success, else an error code (errno for what the file layer refused).
    int Open(const std::string& path, std::uint32_t sampleRate, std::uint16_t bitsPerSample, std::uint16_t channels);
    // 1 when all bytes were appended, else 0; the file stays open either way.
    int Write(const std::uint8_t* bytes, std::size_t count);
    // 0 on success or when nothing is open, else an error code.
    int Close();

    bool IsOpen() const { return file_ != nullptr; }

private:
    int Fail(const char* message, int code);
    int Finish();

    MessageSink& sink_;
    FilePtr file_;
    std::uint64_t dataSize_ = 0;
};

}  // namespace harkwell
