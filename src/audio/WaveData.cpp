#include "audio/WaveData.h"

#include "audio/AudioFileDecoder.h"
#include "audio/SpeedChange.h"
#include "audio/TuneFileKind.h"
#include "common/ErrorReport.h"
#include "common/Files.h"
#include "common/LittleEndian.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace harkwell {

namespace {

constexpr ChunkId Id(const char (&text)[5]) { return {text[0], text[1], text[2], text[3]}; }

constexpr ChunkId kRiff = Id("RIFF");
constexpr ChunkId kWave = Id("WAVE");
constexpr ChunkId kFmt = Id("fmt ");
constexpr ChunkId kFact = Id("fact");
constexpr ChunkId kData = Id("data");
constexpr ChunkId kPad = Id("PAD ");
constexpr ChunkId kBext = Id("bext");
constexpr ChunkId kMinf = Id("minf");
constexpr ChunkId kElm1 = Id("elm1");
constexpr ChunkId kVphd = Id("vphd");

constexpr std::uint64_t kChunkHeaderSize = 8;
constexpr std::uint32_t kPcmRecordSize = 16;

// A chunk id as message text: unprintable bytes would garble the message box.
std::string IdText(const ChunkId& id)
{
    std::string text(id.begin(), id.end());
    for (char& c : text)
        if (c < 0x20 || c > 0x7E) c = '?';
    return text;
}

struct ChunkHeader {
    ChunkId id{};
    std::uint32_t size = 0;
};

// Positional reads of an open file that never reach past its last byte.
class FileImage {
public:
    FileImage(int fd, std::uint64_t size) : fd_(fd), size_(size) {}

    std::uint64_t Size() const { return size_; }

    bool Read(std::uint64_t offset, void* destination, std::uint64_t count) const
    {
        if (offset > size_ || count > size_ - offset) return false;
        auto* out = static_cast<unsigned char*>(destination);
        while (count > 0) {
            const ssize_t got = pread(fd_, out, std::min<std::uint64_t>(count, 1u << 30), static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            out += got;
            offset += static_cast<std::uint64_t>(got);
            count -= static_cast<std::uint64_t>(got);
        }
        return true;
    }

    std::optional<ChunkHeader> HeaderAt(std::uint64_t offset) const
    {
        unsigned char bytes[kChunkHeaderSize];
        if (!Read(offset, bytes, sizeof bytes)) return std::nullopt;
        ChunkHeader header;
        std::memcpy(header.id.data(), bytes, 4);
        header.size = ReadLe32(bytes + 4);
        return header;
    }

    // True when the chunk's body ends within the file.
    bool BodyFits(std::uint64_t offset, const ChunkHeader& header) const
    {
        return offset + kChunkHeaderSize + header.size <= size_;
    }

private:
    int fd_;
    std::uint64_t size_;
};

// The cause of a format that no later stage can play, draw or analyse; empty when usable.
std::string UnusableFormatCause(const WaveFormat& format)
{
    if (format.channels != 1 && format.channels != 2)
        return "channel count is not supported [" + std::to_string(format.channels) + "]";
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16)
        return "sample width is not supported [" + std::to_string(format.bitsPerSample) + " bits]";
    if (format.blockAlign != format.channels * format.bitsPerSample / 8)
        return "block size does not fit the format [" + std::to_string(format.blockAlign) + "]";
    if (format.samplesPerSec == 0) return "sample rate is zero [0 Hz]";
    return {};
}

// Mixes frames whose input and output do not overlap, so the compiler can vectorise.
void MixStereo16(const std::int16_t* __restrict in, std::int16_t* __restrict out, std::size_t frames)
{
    for (std::size_t i = 0; i < frames; ++i)
        out[i] = static_cast<std::int16_t>((in[2 * i] + in[2 * i + 1]) / 2);
}

void MixStereo8(const std::uint8_t* __restrict in, std::uint8_t* __restrict out, std::size_t frames)
{
    for (std::size_t i = 0; i < frames; ++i)
        out[i] = static_cast<std::uint8_t>(((in[2 * i] - 0x80) + (in[2 * i + 1] - 0x80)) / 2 + 0x80);
}

// Reads the stereo frames at `offset` block by block and mixes each into
// `mono`, which holds one sample per frame, as MixToMono would.
bool ReadMixedToMono(const FileImage& image, std::uint64_t offset, bool eightBit, ByteBlock& mono)
{
    constexpr std::size_t kBlockFrames = std::size_t{1} << 16;
    const std::size_t sampleBytes = eightBit ? 1 : 2;
    const std::size_t frames = mono.size() / sampleBytes;
    std::vector<std::uint8_t> block(kBlockFrames * 2 * sampleBytes);
    for (std::size_t done = 0; done < frames;) {
        const std::size_t run = std::min(kBlockFrames, frames - done);
        if (!image.Read(offset + done * 2 * sampleBytes, block.data(), run * 2 * sampleBytes)) return false;
        if (eightBit) {
            MixStereo8(block.data(), mono.data() + done, run);
        } else {
            // The block and the samples are aligned for 16-bit access by their allocators.
            MixStereo16(reinterpret_cast<const std::int16_t*>(block.data()),
                        reinterpret_cast<std::int16_t*>(mono.data()) + done, run);
        }
        done += run;
    }
    return true;
}

}  // namespace

void ReportFileError(MessageSink& sink, WaveFileError code)
{
    switch (code) {
    case WaveFileError::NotFound: ShowPlainMessage(sink, "file is not found"); break;
    case WaveFileError::DifferentFormat: ShowPlainMessage(sink, "file is different format"); break;
    case WaveFileError::CannotOpen: ShowPlainMessage(sink, "file can not open"); break;
    default: ShowPlainMessage(sink, ""); break;
    }
}

void ReportFormatError(MessageSink& sink, WaveFileError code, std::string_view detail)
{
    std::string text = code == WaveFileError::DifferentFormat ? "file is different format" : "";
    text.append(" [").append(detail).append("]");
    if (text.size() > 1023) text.resize(1023);
    ShowPlainMessage(sink, text);
}

std::optional<WaveData> WaveData::Load(const std::string& path, MessageSink& sink)
{
    return Read(path, sink, false);
}

std::optional<WaveData> WaveData::LoadMono(const std::string& path, MessageSink& sink)
{
    AudioFileDecoder decoder;
    return LoadMono(path, sink, decoder);
}

std::optional<WaveData> WaveData::LoadMono(const std::string& path, MessageSink& sink, TuneDecoder& decoder)
{
    if (ChooseTuneReader(path) == TuneReader::Wave) return Read(path, sink, true);
    std::optional<DecodedTune> decoded = decoder.DecodeMono(path, sink);
    if (!decoded) return std::nullopt;
    return FromDecoded(std::move(*decoded));
}

WaveData WaveData::FromDecoded(DecodedTune decoded)
{
    WaveData wave;
    const std::uint32_t rate = decoded.sampleRate;
    wave.format_ = {kWaveFormatPcm, 1, rate, rate * 2, 2, 16};
    wave.samples_ = std::move(decoded.samples);
    wave.source_ = std::move(decoded.source);
    const auto bytes = static_cast<std::uint32_t>(wave.samples_.size());
    wave.header_ = {kRiff, 36 + bytes, kWave, kFmt, kPcmRecordSize, kData, bytes};
    return wave;
}

std::optional<WaveData> WaveData::Read(const std::string& path, MessageSink& sink, bool mono)
{
    std::string cause;
    FilePtr file = OpenForReading(path, &cause);
    struct stat info {};
    // A FIFO or a device is named as such (a folder stays "not found"): the
    // user sees why the tune was refused without it ever being opened.
    if (!file && stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode)) {
        ShowPlainMessage(sink, "file can not open [" + FileDetail(path, cause) + "]");
        return std::nullopt;
    }
    if (!file || fstat(fileno(file.get()), &info) != 0) {
        ReportFileError(sink, WaveFileError::NotFound);
        return std::nullopt;
    }
    const FileImage image(fileno(file.get()), static_cast<std::uint64_t>(info.st_size));
    const auto refuse = [&sink](const ChunkId& id) {
        ReportFormatError(sink, WaveFileError::DifferentFormat, IdText(id));
        return std::nullopt;
    };

    WaveData wave;
    WaveHeader& header = wave.header_;
    unsigned char riff[12] = {};
    const bool haveRiff = image.Read(0, riff, 4);
    std::memcpy(header.riffId.data(), riff, 4);
    if (!haveRiff || header.riffId != kRiff) return refuse(kRiff);
    const bool haveWave = image.Read(4, riff + 4, 8);
    header.riffSize = ReadLe32(riff + 4);
    std::memcpy(header.waveId.data(), riff + 8, 4);
    if (!haveWave || header.waveId != kWave) return refuse(kWave);

    std::uint64_t offset = 12;
    // Optional chunks are stepped over only in the order given, each at most once.
    const auto skipOptional = [&](std::initializer_list<ChunkId> order) {
        for (const ChunkId& wanted : order) {
            const auto chunk = image.HeaderAt(offset);
            if (!chunk || chunk->id != wanted) continue;
            if (!image.BodyFits(offset, *chunk)) return false;
            offset += kChunkHeaderSize + chunk->size;
        }
        return true;
    };
    const auto failedChunk = [&]() { return image.HeaderAt(offset)->id; };

    if (!skipOptional({kPad, kBext, kMinf, kElm1})) return refuse(failedChunk());

    const auto fmt = image.HeaderAt(offset);
    if (!fmt || fmt->id != kFmt || fmt->size < kPcmRecordSize || !image.BodyFits(offset, *fmt)) return refuse(kFmt);
    unsigned char record[kPcmRecordSize];
    image.Read(offset + kChunkHeaderSize, record, sizeof record);
    header.fmtId = fmt->id;
    header.fmtSize = fmt->size;
    wave.format_ = {ReadLe16(record),      ReadLe16(record + 2),  ReadLe32(record + 4),
                    ReadLe32(record + 8),  ReadLe16(record + 12), ReadLe16(record + 14)};
    if (const std::string unusable = UnusableFormatCause(wave.format_); !unusable.empty()) {
        ShowPlainMessage(sink, unusable);
        return std::nullopt;
    }
    offset += kChunkHeaderSize + fmt->size;

    if (const auto fact = image.HeaderAt(offset); fact && fact->id == kFact) {
        if (fact->size != 4 || !image.BodyFits(offset, *fact)) return refuse(kFact);
        offset += kChunkHeaderSize + 4;
    }

    if (!skipOptional({kPad, kBext, kMinf, kElm1, kVphd})) return refuse(failedChunk());

    // Anything else before the data is shown and stepped over.
    std::optional<ChunkHeader> chunk;
    while ((chunk = image.HeaderAt(offset)) && chunk->id != kData) {
        ReportFormatError(sink, WaveFileError::DifferentFormat, IdText(chunk->id));
        if (!image.BodyFits(offset, *chunk)) return std::nullopt;
        offset += kChunkHeaderSize + chunk->size;
    }
    if (!chunk || !image.BodyFits(offset, *chunk)) return refuse(kData);

    header.dataId = chunk->id;
    header.dataSize = chunk->size;
    wave.source_ = {"pcm", wave.format_.channels, wave.format_.samplesPerSec};
    if (mono && wave.format_.channels == 2) {
        const std::uint32_t frameBytes = wave.format_.bitsPerSample == 8 ? 2 : 4;
        wave.samples_ = ByteBlock::Allocate(chunk->size / frameBytes * (frameBytes / 2));
        if (!wave.samples_) {
            ReportGeneralError(sink, GeneralError::NeedsMoreMemory);
            return std::nullopt;
        }
        if (!ReadMixedToMono(image, offset + kChunkHeaderSize, frameBytes == 2, wave.samples_)) {
            ReportFileError(sink, WaveFileError::CannotOpen);
            return std::nullopt;
        }
        wave.BecomeMono();
        return wave;
    }
    wave.samples_ = ByteBlock::Allocate(chunk->size);
    if (!wave.samples_) {
        ReportGeneralError(sink, GeneralError::NeedsMoreMemory);
        return std::nullopt;
    }
    if (!image.Read(offset + kChunkHeaderSize, wave.samples_.data(), chunk->size)) {
        ReportFileError(sink, WaveFileError::CannotOpen);
        return std::nullopt;
    }
    return wave;
}

WaveData::WaveData(const WaveFormat& format, const std::uint8_t* samples, std::uint32_t frames)
    : format_(format)
{
    const std::size_t length = std::size_t{format.bitsPerSample} / 8 * format.channels * frames;
    samples_ = ByteBlock::Allocate(length);
    if (samples_ && length > 0) std::memcpy(samples_.data(), samples, length);
}

std::uint32_t WaveData::Frames() const
{
    const std::uint32_t frameBytes = std::uint32_t{format_.bitsPerSample} / 8 * format_.channels;
    return frameBytes == 0 ? 0 : Length() / frameBytes;
}

void WaveData::MixToMono()
{
    if (format_.channels != 2) return;
    std::uint8_t* bytes = samples_.data();
    std::size_t frames = 0;
    if (format_.bitsPerSample == 8) {
        frames = samples_.size() / 2;
        for (std::size_t i = 0; i < frames; ++i) {
            const int left = bytes[2 * i] - 0x80;
            const int right = bytes[2 * i + 1] - 0x80;
            bytes[i] = static_cast<std::uint8_t>((left + right) / 2 + 0x80);
        }
        samples_.Shrink(frames);
    } else {
        // In place: frame i lands at byte 2i, after its own bytes 4i..4i+3 were
        // read. Past frame 0, runs of frames whose output does not reach their
        // input are mixed as one, doubling in size along the block.
        frames = samples_.size() / 4;
        auto* samples = reinterpret_cast<std::int16_t*>(bytes);
        if (frames > 0) samples[0] = static_cast<std::int16_t>((samples[0] + samples[1]) / 2);
        for (std::size_t done = 1; done < frames;) {
            const std::size_t run = std::min({frames - done, done, std::size_t{1} << 16});
            MixStereo16(samples + 2 * done, samples + done, run);
            done += run;
        }
        samples_.Shrink(frames * 2);
    }
    BecomeMono();
}

void WaveData::BecomeMono()
{
    format_.blockAlign = static_cast<std::uint16_t>(format_.blockAlign / 2);
    format_.avgBytesPerSec /= 2;
    format_.channels = 1;
}

bool WaveData::ChangeSpeed(double speed, int spacingFactor, MessageSink& sink)
{
    return ChangeBlockSpeed(format_, samples_, speed, spacingFactor, sink);
}

std::uint32_t WaveData::CopySamples(std::uint8_t* destination) const
{
    if (samples_.size() > 0) std::memcpy(destination, samples_.data(), samples_.size());
    return Length();
}

}  // namespace harkwell
