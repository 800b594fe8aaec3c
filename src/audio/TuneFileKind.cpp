#include "audio/TuneFileKind.h"

#include "audio/WaveFormat.h"
#include "common/Files.h"
#include "common/LittleEndian.h"

#include <cstring>

namespace harkwell {

namespace {

constexpr std::size_t kRiffHeaderBytes = 12;
constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kFormatFields = 16;
// The WAV reader allows only a few small chunks before the format.
constexpr int kChunksLookedAt = 16;

bool ReadAt(std::FILE* file, long offset, void* destination, std::size_t count)
{
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fread(destination, 1, count, file) == count;
}

bool WaveReaderHolds(const unsigned char* format)
{
    const std::uint16_t tag = ReadLe16(format);
    const std::uint16_t channels = ReadLe16(format + 2);
    const std::uint16_t bits = ReadLe16(format + 14);
    return tag == kWaveFormatPcm && (channels == 1 || channels == 2) && (bits == 8 || bits == 16);
}

}  // namespace

TuneReader ChooseTuneReader(const std::string& path)
{
    FilePtr file = OpenForReading(path);
    // Not there, a folder, a FIFO: the WAV reader says so as it always has.
    if (!file) return TuneReader::Wave;
    unsigned char riff[kRiffHeaderBytes] = {};
    const std::size_t got = std::fread(riff, 1, sizeof riff, file.get());
    if (got < 4 || std::memcmp(riff, "RIFF", 4) != 0) return TuneReader::Decoder;
    if (got < kRiffHeaderBytes) return TuneReader::Wave;
    // RIFF of another kind (AVI, for one) may still hold sound.
    if (std::memcmp(riff + 8, "WAVE", 4) != 0) return TuneReader::Decoder;

    long offset = kRiffHeaderBytes;
    for (int i = 0; i < kChunksLookedAt; ++i) {
        unsigned char header[kChunkHeaderBytes];
        if (!ReadAt(file.get(), offset, header, sizeof header)) break;
        const std::uint32_t size = ReadLe32(header + 4);
        if (std::memcmp(header, "fmt ", 4) == 0) {
            unsigned char format[kFormatFields];
            if (size < kFormatFields || !ReadAt(file.get(), offset + static_cast<long>(kChunkHeaderBytes), format, sizeof format))
                break;
            return WaveReaderHolds(format) ? TuneReader::Wave : TuneReader::Decoder;
        }
        if (std::memcmp(header, "data", 4) == 0) break;
        offset += static_cast<long>(kChunkHeaderBytes + size);
    }
    return TuneReader::Wave;
}

}  // namespace harkwell
