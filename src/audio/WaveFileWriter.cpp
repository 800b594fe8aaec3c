#include "audio/WaveFileWriter.h"

#include "common/ErrorReport.h"
#include "common/LittleEndian.h"

#include <cerrno>

namespace harkwell {

namespace {

constexpr long kRiffSizeOffset = 4;
constexpr long kDataSizeOffset = 42;
constexpr std::uint32_t kFormatChunkSize = 18;
// The RIFF size counts "WAVE", both chunk headers, the format and the padded data.
constexpr std::uint64_t kRiffOverhead = 4 + 8 + kFormatChunkSize + 8;
constexpr std::uint64_t kMaxDataSize = 0xFFFFFFFFu - kRiffOverhead - 1;

int LastErrorCode() { return errno != 0 ? errno : EIO; }

bool WriteBytes(std::FILE* file, const void* bytes, std::size_t count)
{
    return std::fwrite(bytes, 1, count, file) == count;
}

bool WriteChunkHeader(std::FILE* file, const char* id, std::uint32_t size)
{
    std::uint8_t header[8] = {};
    for (int i = 0; i < 4; ++i) header[i] = static_cast<std::uint8_t>(id[i]);
    WriteLe32(header + 4, size);
    return WriteBytes(file, header, sizeof header);
}

bool WriteSizeAt(std::FILE* file, long offset, std::uint32_t size)
{
    std::uint8_t bytes[4];
    WriteLe32(bytes, size);
    return std::fseek(file, offset, SEEK_SET) == 0 && WriteBytes(file, bytes, sizeof bytes);
}

}  // namespace

WaveFileWriter::~WaveFileWriter()
{
    if (file_) Finish();
}

int WaveFileWriter::Fail(const char* message, int code)
{
    ShowPlainMessage(sink_, message);
    return code;
}

int WaveFileWriter::Open(const std::string& path, std::uint32_t sampleRate, std::uint16_t bitsPerSample,
                         std::uint16_t channels)
{
    if (file_) return Fail("ファイルはオープン済みです。", kAlreadyOpen);
    if (path.empty()) return Fail("ファイル名がありません。", kNoFileName);

    errno = 0;
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (!file_) return Fail("ファイルの作成に失敗しました。", LastErrorCode());
    dataSize_ = 0;
    std::FILE* file = file_.get();

    if (!WriteChunkHeader(file, "RIFF", 0) || !WriteBytes(file, "WAVE", 4))
        return Fail("リフチャンクの作成に失敗しました。", LastErrorCode());
    if (!WriteChunkHeader(file, "fmt ", kFormatChunkSize))
        return Fail("フォーマットチャンクの作成に失敗しました。", LastErrorCode());

    const std::uint32_t blockAlign = bitsPerSample / 8u * channels;
    std::uint8_t format[kFormatChunkSize] = {};
    WriteLe16(format, 1);
    WriteLe16(format + 2, channels);
    WriteLe32(format + 4, sampleRate);
    WriteLe32(format + 8, blockAlign * sampleRate);
    WriteLe16(format + 12, blockAlign);
    WriteLe16(format + 14, bitsPerSample);
    WriteLe16(format + 16, 0);
    if (!WriteBytes(file, format, sizeof format))
        return Fail("フォーマットチャンクの書き込みに失敗しました。", kFormatWrittenShort);

    if (!WriteChunkHeader(file, "data", 0))
        return Fail("データチャンクの作成に失敗しました。", LastErrorCode());
    return 0;
}

int WaveFileWriter::Write(const std::uint8_t* bytes, std::size_t count)
{
    // A data chunk past 4 GiB cannot state its size: refuse rather than wrap.
    const bool fits = file_ && dataSize_ + count <= kMaxDataSize;
    if (!fits || !WriteBytes(file_.get(), bytes, count)) {
        ShowPlainMessage(sink_, "データの書き込みに失敗しました。");
        return 0;
    }
    dataSize_ += count;
    return 1;
}

int WaveFileWriter::Close()
{
    if (!file_) return 0;
    const int code = Finish();
    if (code != 0) return Fail("ファイルのクローズに失敗しました。", code);
    return 0;
}

int WaveFileWriter::Finish()
{
    std::FILE* file = file_.get();
    const auto dataSize = static_cast<std::uint32_t>(dataSize_);
    const std::uint32_t padding = dataSize % 2;
    errno = 0;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    ok = ok && (padding == 0 || std::fputc(0, file) != EOF);
    ok = ok && WriteSizeAt(file, kRiffSizeOffset, static_cast<std::uint32_t>(kRiffOverhead) + dataSize + padding);
    ok = ok && WriteSizeAt(file, kDataSizeOffset, dataSize);
    ok = ok && std::fflush(file) == 0;
    int code = ok ? 0 : LastErrorCode();
    if (std::fclose(file_.release()) != 0 && code == 0) code = LastErrorCode();
    return code;
}

}  // namespace harkwell
