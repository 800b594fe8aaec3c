#include "audio/WaveFileWriter.h"

#include "common/ErrorReport.h"
#include "common/LittleEndian.h"

#include <cerrno>
#include <cstring>

namespace harkwell {

namespace {

constexpr long kRiffSizeOffset = 4;
constexpr long kDataSizeOffset = 42;
constexpr std::uint32_t kFormatChunkSize = 18;
// The RIFF size counts "WAVE", both chunk headers, the format and the padded data.
constexpr std::uint64_t kRiffOverhead = 4 + 8 + kFormatChunkSize + 8;
constexpr std::uint64_t kMaxDataSize = 0xFFFFFFFFu - kRiffOverhead - 1;

WaveFileStatus LastError() { return static_cast<WaveFileStatus>(errno != 0 ? errno : EIO); }

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
    // A destructor has no one to tell; Close is the way to learn of a failure.
    if (file_) (void)Finish();
    // An unfinished replacement goes with its destructor; the old file stays.
}

WaveFileStatus WaveFileWriter::Fail(const char* message, WaveFileStatus status)
{
    ShowPlainMessage(sink_, message);
    return status;
}

WaveFileStatus WaveFileWriter::Open(const std::string& path, std::uint32_t sampleRate, std::uint16_t bitsPerSample,
                                    std::uint16_t channels, WaveWriteMode mode)
{
    if (IsOpen()) return Fail("ファイルはオープン済みです。", WaveFileStatus::AlreadyOpen);
    if (path.empty()) return Fail("ファイル名がありません。", WaveFileStatus::NoFileName);

    errno = 0;
    if (mode == WaveWriteMode::ReplaceOnClose) {
        const auto slash = path.find_last_of('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        replacement_ = std::make_unique<FileReplacement>(path, "." + name + ".harkwell-");
        if (!replacement_->File()) {
            const WaveFileStatus status = LastError();
            ShowPlainMessage(sink_, "ファイルの作成に失敗しました。 [" + replacement_->Failure() + "]");
            replacement_.reset();
            return status;
        }
    } else {
        file_.reset(std::fopen(path.c_str(), "wb"));
        if (!file_) return Fail("ファイルの作成に失敗しました。", LastError());
    }
    dataSize_ = 0;
    writeError_ = 0;
    path_ = path;
    std::FILE* file = Stream();

    if (!WriteChunkHeader(file, "RIFF", 0) || !WriteBytes(file, "WAVE", 4))
        return Fail("リフチャンクの作成に失敗しました。", LastError());
    if (!WriteChunkHeader(file, "fmt ", kFormatChunkSize))
        return Fail("フォーマットチャンクの作成に失敗しました。", LastError());

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
        return Fail("フォーマットチャンクの書き込みに失敗しました。", WaveFileStatus::FormatWrittenShort);

    if (!WriteChunkHeader(file, "data", 0))
        return Fail("データチャンクの作成に失敗しました。", LastError());
    return WaveFileStatus::Done;
}

WaveWriteResult WaveFileWriter::Write(const std::uint8_t* bytes, std::size_t count)
{
    // A data chunk past 4 GiB cannot state its size: refuse rather than wrap.
    const bool fits = IsOpen() && dataSize_ + count <= kMaxDataSize;
    errno = 0;
    if (!fits || !WriteBytes(Stream(), bytes, count)) {
        // A replacement with a gap must not take the old file's place.
        if (replacement_ && writeError_ == 0) writeError_ = errno != 0 ? errno : EIO;
        ShowPlainMessage(sink_, "データの書き込みに失敗しました。");
        return WaveWriteResult::Failed;
    }
    dataSize_ += count;
    return WaveWriteResult::Appended;
}

WaveFileStatus WaveFileWriter::Close()
{
    if (!IsOpen()) return WaveFileStatus::Done;
    const WaveFileStatus status = Finish();
    if (status == WaveFileStatus::Done) return WaveFileStatus::Done;
    if (!failure_.empty()) {
        ShowPlainMessage(sink_, "ファイルのクローズに失敗しました。 [" + failure_ + "]");
        return status;
    }
    return Fail("ファイルのクローズに失敗しました。", status);
}

WaveFileStatus WaveFileWriter::Finish()
{
    std::FILE* file = Stream();
    failure_.clear();
    const auto dataSize = static_cast<std::uint32_t>(dataSize_);
    const std::uint32_t padding = dataSize % 2;
    errno = 0;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    ok = ok && (padding == 0 || std::fputc(0, file) != EOF);
    ok = ok && WriteSizeAt(file, kRiffSizeOffset, static_cast<std::uint32_t>(kRiffOverhead) + dataSize + padding);
    ok = ok && WriteSizeAt(file, kDataSizeOffset, dataSize);
    ok = ok && std::fflush(file) == 0;
    WaveFileStatus status = ok ? WaveFileStatus::Done : LastError();
    if (replacement_ && status == WaveFileStatus::Done && writeError_ != 0) {
        status = static_cast<WaveFileStatus>(writeError_);
        failure_ = FileDetail(path_, std::strerror(writeError_));
    }
    if (replacement_) {
        // Only a complete file takes the old one's place.
        if (status == WaveFileStatus::Done && !replacement_->Commit()) {
            status = LastError();
            failure_ = replacement_->Failure();
        }
        replacement_.reset();
        return status;
    }
    if (std::fclose(file_.release()) != 0 && status == WaveFileStatus::Done) status = LastError();
    return status;
}

}  // namespace harkwell
