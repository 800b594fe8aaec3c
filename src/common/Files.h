#pragma once

#include "common/MessageSink.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace harkwell {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for reading as raw bytes; null for anything else (a
// folder, a FIFO, a device) or a file that cannot be opened. Anything but a
// regular file is refused before it is opened, so a FIFO never blocks. On
// failure `cause`, when given, tells why ("a FIFO, not a regular file").
[[nodiscard]] FilePtr OpenForReading(const std::string& path, std::string* cause = nullptr);

// Why the path is refused although something is there: "a FIFO, not a
// regular file" and the like; empty for a regular file and for nothing at all.
std::string NotRegularFileCause(const std::string& path);

// "path: cause", the detail that failure messages add to their text.
std::string FileDetail(const std::string& path, std::string_view cause);

// A new version of a file, written beside it under a temporary name made from
// `prefix` and six random characters, and put in the target's place whole by
// Commit. Until then the target is untouched; a replacement that is not
// committed removes its own temporary file and nothing else. An existing
// target that is not a regular file is refused; a symbolic link has the file
// it names replaced.
class FileReplacement {
public:
    FileReplacement(const std::string& target, std::string_view prefix);
    ~FileReplacement() { Discard(); }
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // The temporary file, open for writing and reading; null when it could not be made.
    std::FILE* File() const { return file_.get(); }
    const std::string& TemporaryPath() const { return temporary_; }
    // Why the last step failed, as "path: cause".
    const std::string& Failure() const { return failure_; }

    // Flushes and syncs the file, renames it over the target and syncs the
    // folder, so the new version survives a crash. False after a failure,
    // which leaves the target as it was (unless only the folder sync failed).
    [[nodiscard]] bool Commit();
    // Closes and removes the temporary file, if any.
    void Discard();

private:
    bool Fail(const std::string& path, int error);

    std::string target_;
    std::string temporary_;
    FilePtr file_;
    std::string failure_;
};

// The temporary files `WriteWholeFile` leaves when killed before its rename:
// removes the regular files of ours named exactly ".harkwell-XXXXXX" in the
// folder of `target`, and nothing else.
void RemoveStaleWorkFileTemporaries(const std::string& target);

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
// renamed over the target, so a crash never leaves half a file; temporary
// files an earlier, killed write left there go first. False after a message
// that names the file and the cause.
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
