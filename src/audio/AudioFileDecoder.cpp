#include "audio/AudioFileDecoder.h"

#include "audio/AudioStreamInput.h"
#include "audio/MonoResampler.h"
#include "audio/MonoSampleStore.h"
#include "audio/OggEnding.h"
#include "common/ErrorReport.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

namespace harkwell {

namespace {

// The tune's length is counted in 32-bit bytes.
constexpr std::size_t kMaxFrames = std::numeric_limits<std::uint32_t>::max() / 2;
// Lossy codecs' priming and padding may make the decoded stream this much
// shorter than the file states; more than that and the file was cut off.
constexpr double kLengthTolerance = 0.1;
// A first block for a tune whose length is stated; the store grows past it.
constexpr double kExpectedMargin = 1.02;
// A file may state any length: the first block is never larger than this
// (four hours at 48000 Hz); a longer tune grows into its room as it decodes.
// Room not yet written holds no memory, and one block that holds the whole
// tune keeps it on huge pages: a grown block is remapped off their bounds.
constexpr double kLargestFirstBlock = 4 * 3600 * 48000.0;

struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};

std::string Detailed(std::string_view cause, const std::string& path)
{
    return std::string(cause) + " [" + path + "]";
}

void ReportRefusal(MessageSink& sink, InputRefusal refusal, const std::string& path)
{
    switch (refusal) {
    case InputRefusal::NotFound: ShowPlainMessage(sink, Detailed("file is not found", path)); break;
    case InputRefusal::Empty: ShowPlainMessage(sink, Detailed("the file is empty", path)); break;
    case InputRefusal::NoSound: ShowPlainMessage(sink, Detailed("no sound in this file", path)); break;
    case InputRefusal::CutOff: ShowPlainMessage(sink, Detailed("the file ends before any sound", path)); break;
    case InputRefusal::OutOfMemory: ReportGeneralError(sink, GeneralError::NeedsMoreMemory); break;
    case InputRefusal::NotSound:
    case InputRefusal::None: ShowPlainMessage(sink, Detailed("not a sound file this program can read", path)); break;
    }
}

// One decode of one file: packets in, mono samples out into the store.
class DecodeRun {
public:
    explicit DecodeRun(AudioStreamInput& input) : input_(input) {}

    enum class Outcome { Done, NotSound, OutOfMemory, TooLong };

    Outcome Run()
    {
        std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
        frame_.reset(av_frame_alloc());
        if (!packet || !frame_) return Outcome::OutOfMemory;
        for (;;) {
            const int read = av_read_frame(input_.Format(), packet.get());
            if (read == AVERROR_EOF) break;
            if (read < 0) {
                readFailed_ = true;
                break;
            }
            if (packet->stream_index == input_.StreamIndex()) {
                // A damaged packet is left out, as a player would; the rest still plays.
                if (avcodec_send_packet(input_.Decoder(), packet.get()) >= 0 && !ReceiveFrames()) return failure_;
            }
            av_packet_unref(packet.get());
        }
        if (avcodec_send_packet(input_.Decoder(), nullptr) >= 0 && !ReceiveFrames()) return failure_;
        if (!DrainConverter()) return failure_;
        return Outcome::Done;
    }

    bool EndedEarly() const
    {
        const double stated = input_.StatedSeconds();
        return readFailed_ || (stated > 0 && decodedSeconds_ < stated - kLengthTolerance) ||
               (input_.IsOgg() && !OggEndsWithClosingPage(input_.Descriptor()));
    }
    MonoSampleStore* Store() { return store_.get(); }
    int OutputRate() const { return resampler_ ? resampler_->OutputRate() : 0; }

private:
    bool ReceiveFrames()
    {
        for (;;) {
            const int received = avcodec_receive_frame(input_.Decoder(), frame_.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
            if (received < 0) return true;  // a frame that does not decode is left out
            const bool kept = Keep(*frame_);
            av_frame_unref(frame_.get());
            if (!kept) return false;
        }
    }

    bool Keep(const AVFrame& frame)
    {
        if (frame.nb_samples <= 0) return true;
        if (!resampler_) {
            if (frame.sample_rate <= 0) return Fail(Outcome::NotSound);
            resampler_ = std::make_unique<MonoResampler>(
                static_cast<int>(NearestTuneRate(static_cast<std::uint32_t>(frame.sample_rate))));
            const double stated = input_.StatedSeconds();
            const double expected = stated > 0 ? stated * resampler_->OutputRate() * kExpectedMargin : 0;
            store_ = std::make_unique<MonoSampleStore>(
                static_cast<std::size_t>(std::min(expected, kLargestFirstBlock)), kMaxFrames);
        }
        // A chained stream may change its rate or channels: what the old
        // converter holds goes out before the new one starts.
        if (resampler_->NeedsNewConverter(frame)) {
            if (!DrainConverter()) return false;
            if (!resampler_->StartConverter(frame)) return Fail(Outcome::NotSound);
        }
        decodedSeconds_ += static_cast<double>(frame.nb_samples) / frame.sample_rate;
        const int bound = resampler_->OutputBound(frame.nb_samples);
        if (bound < 0) return Fail(Outcome::NotSound);
        if (!Reserve(static_cast<std::size_t>(bound))) return false;
        const int converted = resampler_->Convert(frame, store_->Tail(), bound);
        if (converted < 0) return Fail(Outcome::NotSound);
        store_->Commit(static_cast<std::size_t>(converted));
        return true;
    }

    bool DrainConverter()
    {
        if (!resampler_) return true;
        constexpr int kDrainBlock = 4096;
        for (;;) {
            if (!Reserve(kDrainBlock)) return false;
            const int drained = resampler_->Drain(store_->Tail(), kDrainBlock);
            if (drained < 0) return Fail(Outcome::NotSound);
            if (drained == 0) return true;
            store_->Commit(static_cast<std::size_t>(drained));
        }
    }

    bool Reserve(std::size_t frames)
    {
        if (store_->Reserve(frames)) return true;
        return Fail(store_->TooLong() ? Outcome::TooLong : Outcome::OutOfMemory);
    }

    bool Fail(Outcome outcome)
    {
        failure_ = outcome;
        return false;
    }

    AudioStreamInput& input_;
    std::unique_ptr<AVFrame, FrameFree> frame_;
    std::unique_ptr<MonoResampler> resampler_;
    std::unique_ptr<MonoSampleStore> store_;
    double decodedSeconds_ = 0;
    bool readFailed_ = false;
    Outcome failure_ = Outcome::Done;
};

}  // namespace

std::uint32_t NearestTuneRate(std::uint32_t sourceRate)
{
    constexpr std::uint32_t kLow = 44100;
    constexpr std::uint32_t kHigh = 48000;
    const auto distance = [sourceRate](std::uint32_t rate) {
        return sourceRate > rate ? sourceRate - rate : rate - sourceRate;
    };
    return distance(kHigh) < distance(kLow) ? kHigh : kLow;
}

std::optional<DecodedTune> AudioFileDecoder::DecodeMono(const std::string& path, MessageSink& sink)
{
    AudioStreamInput input;
    if (const InputRefusal refusal = input.Open(path); refusal != InputRefusal::None) {
        ReportRefusal(sink, refusal, path);
        return std::nullopt;
    }
    DecodeRun run(input);
    switch (run.Run()) {
    case DecodeRun::Outcome::Done: break;
    case DecodeRun::Outcome::NotSound: ReportRefusal(sink, InputRefusal::NotSound, path); return std::nullopt;
    case DecodeRun::Outcome::OutOfMemory: ReportRefusal(sink, InputRefusal::OutOfMemory, path); return std::nullopt;
    case DecodeRun::Outcome::TooLong:
        ReportGeneralError(sink, GeneralError::DataSizeTooLarge, path);
        return std::nullopt;
    }
    if (run.Store() == nullptr || run.Store()->Frames() == 0) {
        ReportRefusal(sink, InputRefusal::NoSound, path);
        return std::nullopt;
    }
    if (run.EndedEarly()) ShowPlainMessage(sink, Detailed("the file ends early; the sound up to there is loaded", path));

    const AVCodecParameters& source = *input.Stream().codecpar;
    DecodedTune tune;
    tune.sampleRate = static_cast<std::uint32_t>(run.OutputRate());
    tune.samples = run.Store()->Take();
    tune.source = {input.Decoder()->codec->name, static_cast<std::uint32_t>(std::max(source.ch_layout.nb_channels, 0)),
                   static_cast<std::uint32_t>(std::max(source.sample_rate, 0))};
    return tune;
}

}  // namespace harkwell
