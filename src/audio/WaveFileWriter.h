#pragma once

#include "common/Files.h"
#include "common/MessageSink.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace harkwell {

// What Open and Close end with: done, one of the writer's own refusals, or
// any other value, the errno of what the file layer refused.
enum class [[nodiscard]] WaveFileStatus : int {
    Done = 0,
    NoFileName = 0x101,
    AlreadyOpen = 0x103,
    FormatWrittenShort = 0x106,
};

// What Write ends with.
enum class [[nodiscard]] WaveWriteResult : int {
    Failed = 0,
    Appended = 1,
};

// How Open treats the file at the path.
enum class WaveWriteMode {
    // The file is created or truncated and filled as the data comes.
    InPlace,
    // The data goes to a temporary file beside the path, which Close renames
    // over it once complete; until then the old file stays as it was. A
    // failed Close, or a writer destroyed before Close, removes only the
    // temporary file.
    ReplaceOnClose,
};

// Writes a PCM WAV file as it comes: Open writes the headers, Write appends
// sample bytes, Close writes the chunk sizes. Failures are shown through the
// sink and returned.
class WaveFileWriter {
public:
    explicit WaveFileWriter(MessageSink& sink) : sink_(sink) {}
    // A writer still open in place is closed, sizes written, without a
    // message; one replacing a file drops its unfinished temporary file.
    ~WaveFileWriter();
    WaveFileWriter(const WaveFileWriter&) = delete;
    WaveFileWriter& operator=(const WaveFileWriter&) = delete;

    // Done when the headers are written.
    [[nodiscard]] WaveFileStatus Open(const std::string& path, std::uint32_t sampleRate, std::uint16_t bitsPerSample,
                                      std::uint16_t channels, WaveWriteMode mode = WaveWriteMode::InPlace);
    // Appended when all bytes were appended; the file stays open either way.
    // After a failed Write a replacement is incomplete: Close then drops it.
    [[nodiscard]] WaveWriteResult Write(const std::uint8_t* bytes, std::size_t count);
    // Done on success or when nothing is open.
    [[nodiscard]] WaveFileStatus Close();

    bool IsOpen() const { return Stream() != nullptr; }

private:
    WaveFileStatus Fail(const char* message, WaveFileStatus status);
    WaveFileStatus Finish();
    std::FILE* Stream() const { return replacement_ ? replacement_->File() : file_.get(); }

    MessageSink& sink_;
    FilePtr file_;
    std::unique_ptr<FileReplacement> replacement_;
    // The file and the cause of the last failed replacement.
    std::string failure_;
    std::string path_;
    // The first failed Write of a replacement, which then is never committed.
    int writeError_ = 0;
    std::uint64_t dataSize_ = 0;
};

}  // namespace harkwell
