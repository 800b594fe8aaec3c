#include "audio/OggEnding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace harkwell {

namespace {

constexpr std::size_t kPageHeaderBytes = 27;
constexpr std::size_t kLargestPage = kPageHeaderBytes + 255 + 255 * 255;
constexpr std::uint8_t kEndOfStream = 0x04;

// The length of the page at `at` when it lies whole within `tail`; 0 when it does not.
std::size_t WholePageAt(const std::vector<std::uint8_t>& tail, std::size_t at)
{
    if (tail.size() - at < kPageHeaderBytes || std::memcmp(tail.data() + at, "OggS", 4) != 0 || tail[at + 4] != 0)
        return 0;
    const std::size_t segments = tail[at + 26];
    if (tail.size() - at < kPageHeaderBytes + segments) return 0;
    std::size_t length = kPageHeaderBytes + segments;
    for (std::size_t i = 0; i < segments; ++i) length += tail[at + kPageHeaderBytes + i];
    return length <= tail.size() - at ? length : 0;
}

}  // namespace

bool OggEndsWithClosingPage(int fd)
{
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_size <= 0) return false;
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size < kPageHeaderBytes) return false;
    std::vector<std::uint8_t> tail(std::min(size, kLargestPage));
    const off_t start = static_cast<off_t>(size - tail.size());
    if (pread(fd, tail.data(), tail.size(), start) != static_cast<ssize_t>(tail.size())) return false;
    // The last page that ends at the file's end, searched from the back.
    for (std::size_t at = tail.size() - kPageHeaderBytes + 1; at-- > 0;) {
        const std::size_t length = WholePageAt(tail, at);
        if (length != 0 && at + length == tail.size()) return (tail[at + 5] & kEndOfStream) != 0;
    }
    return false;
}

}  // namespace harkwell
