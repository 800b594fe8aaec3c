#include "audio/AudioStreamInput.h"

#include <array>
#include <cerrno>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace harkwell {

namespace {

constexpr int kIoBufferBytes = 1 << 16;

// Playlists (hls, once named applehttp), manifests, concatenation scripts,
// streaming descriptions, numbered picture sequences and subtitle indexes:
// each names further inputs that it would open itself.
constexpr std::array kOpeningDemuxers{"hls", "applehttp", "dash", "concat", "imf", "sdp", "rtp",
                                      "rtsp", "image2", "webm_dash_manifest", "vobsub"};

int ReadFile(void* opaque, std::uint8_t* buffer, int size)
{
    const int fd = *static_cast<int*>(opaque);
    for (;;) {
        const ssize_t got = read(fd, buffer, static_cast<std::size_t>(size));
        if (got > 0) return static_cast<int>(got);
        if (got == 0) return AVERROR_EOF;
        if (errno != EINTR) return AVERROR(errno);
    }
}

std::int64_t SeekFile(void* opaque, std::int64_t offset, int whence)
{
    const int fd = *static_cast<int*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat info {};
        return fstat(fd, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : AVERROR(errno);
    }
    const off_t at = lseek(fd, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : static_cast<std::int64_t>(at);
}

// FFmpeg's own log would print over the program's messages on stderr.
void SilenceLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace

bool OpensOtherInputs(const AVInputFormat& format)
{
    if (format.flags & AVFMT_NOFILE) return true;
    for (const char* name : kOpeningDemuxers)
        if (av_match_name(name, format.name)) return true;
    return false;
}

AudioStreamInput::~AudioStreamInput()
{
    avcodec_free_context(&decoder_);
    avformat_close_input(&format_);
    if (io_ != nullptr) av_freep(&io_->buffer);
    avio_context_free(&io_);
}

InputRefusal AudioStreamInput::Open(const std::string& path)
{
    SilenceLibraryLog();
    if (const InputRefusal refusal = OpenFormat(path); refusal != InputRefusal::None) return refusal;
    const AVCodec* codec = nullptr;
    stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream_ == AVERROR_STREAM_NOT_FOUND) return InputRefusal::NoSound;
    if (stream_ < 0 || codec == nullptr) return InputRefusal::NotSound;
    // The demuxer need not hand over packets that nobody decodes (a video's pictures).
    for (unsigned i = 0; i < format_->nb_streams; ++i)
        if (static_cast<int>(i) != stream_) format_->streams[i]->discard = AVDISCARD_ALL;
    decoder_ = avcodec_alloc_context3(codec);
    if (decoder_ == nullptr) return InputRefusal::OutOfMemory;
    return OpenDecoder();
}

InputRefusal AudioStreamInput::OpenFormat(const std::string& path)
{
    file_ = OpenForReading(path);
    struct stat info {};
    if (!file_ || fstat(fileno(file_.get()), &info) != 0) return InputRefusal::NotFound;
    if (info.st_size == 0) return InputRefusal::Empty;

    auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferBytes));
    if (buffer == nullptr) return InputRefusal::OutOfMemory;
    static_assert(sizeof(int) <= sizeof(void*));
    io_ = avio_alloc_context(buffer, kIoBufferBytes, 0, &fd_, ReadFile, nullptr, SeekFile);
    if (io_ == nullptr) {
        av_free(buffer);
        return InputRefusal::OutOfMemory;
    }
    fd_ = fileno(file_.get());

    // The demuxer is chosen first and checked before it may read its header,
    // where a playlist would open what it names.
    const AVInputFormat* demuxer = nullptr;
    if (av_probe_input_buffer2(io_, &demuxer, path.c_str(), nullptr, 0, 0) < 0 || demuxer == nullptr)
        return InputRefusal::NotSound;
    if (OpensOtherInputs(*demuxer)) return InputRefusal::NotSound;

    format_ = avformat_alloc_context();
    if (format_ == nullptr) return InputRefusal::OutOfMemory;
    format_->pb = io_;
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", demuxer->name, 0);
    const int opened = avformat_open_input(&format_, path.c_str(), demuxer, &options);
    av_dict_free(&options);
    // format_ is freed on failure.
    if (opened < 0) return opened == AVERROR_EOF ? InputRefusal::CutOff : InputRefusal::NotSound;
    if (const int found = avformat_find_stream_info(format_, nullptr); found < 0)
        return found == AVERROR_EOF ? InputRefusal::CutOff : InputRefusal::NotSound;
    return InputRefusal::None;
}

InputRefusal AudioStreamInput::OpenDecoder()
{
    if (avcodec_parameters_to_context(decoder_, format_->streams[stream_]->codecpar) < 0) return InputRefusal::NotSound;
    // One thread: the same frames on every load, whatever the machine.
    decoder_->thread_count = 1;
    decoder_->pkt_timebase = format_->streams[stream_]->time_base;
    if (avcodec_open2(decoder_, decoder_->codec, nullptr) < 0) return InputRefusal::NotSound;
    return InputRefusal::None;
}

bool AudioStreamInput::IsOgg() const { return av_match_name("ogg", format_->iformat->name) != 0; }

double AudioStreamInput::StatedSeconds() const
{
    if (format_->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) return -1;
    const AVStream& stream = Stream();
    if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0)
        return static_cast<double>(stream.duration) * av_q2d(stream.time_base);
    if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0)
        return static_cast<double>(format_->duration) / AV_TIME_BASE;
    return -1;
}

}  // namespace harkwell
