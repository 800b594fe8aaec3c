#pragma once

#include "common/MessageSink.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace harkwell {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for reading as raw bytes; null for a folder or a file
// that cannot be opened.
[[nodiscard]] FilePtr OpenForReading(const std::string& path);

// The work buffers of the settings and area files have this size; a read that
// fills such a buffer means the file was too large for it.
inline constexpr std::size_t kWorkBufferSize = 0xF0000;

// Reads at most buffer.size() bytes. On failure shows the path in a plain box,
// reports "Cant open file!", sets count to 0 and returns false.
[[nodiscard]] bool ReadFileUpTo(MessageSink& sink, const std::string& path, std::span<std::uint8_t> buffer,
                                std::size_t& count);

// Reads exactly buffer.size() bytes; a short read reports "data size is too
// large!" and still succeeds. False when the file cannot be opened.
[[nodiscard]] bool ReadFileExact(MessageSink& sink, const std::string& path, std::span<std::uint8_t> buffer);

// Writes the file whole through a temporary file in the same folder that is
// renamed over the target, so a crash never leaves half a file. False after a message.
[[nodiscard]] bool WriteWholeFile(MessageSink& sink, const std::string& path, std::span<const std::uint8_t> data);

// True when the path names a file or a folder.
bool FileExists(const std::string& path);

// True when the path names a file that can be opened for reading.
bool CanOpenFile(const std::string& path);

// The folder that programs are installed under.
inline constexpr int kProgramFilesFolder = 38;

// The path of a well-known folder, created when missing; an empty text when
// the identifier is unknown or the folder cannot be had.
std::string GetSpecialFolder(int folderId);

}  // namespace harkwell
