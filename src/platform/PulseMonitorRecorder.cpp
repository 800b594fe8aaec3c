#include "platform/PulseMonitorRecorder.h"

#include <pulse/error.h>
#include <pulse/simple.h>

namespace harkwell {

namespace {

constexpr std::size_t kChunkFrames = 441;  // 10 ms at 44.1 kHz

}  // namespace

PulseMonitorRecorder::~PulseMonitorRecorder() { (void)Stop(); }

bool PulseMonitorRecorder::Start()
{
    if (stream_ != nullptr) return false;
    const pa_sample_spec format{PA_SAMPLE_S16LE, sampleRate_, 1};
    // Small fragments: the recording keeps up with what is played.
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(kChunkFrames * 2);
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "Harkwell", PA_STREAM_RECORD, "@DEFAULT_MONITOR@",
                                      "monitor of the default output", &format, nullptr, &attributes, &error);
    if (stream == nullptr) {
        error_ = pa_strerror(error);
        return false;
    }
    stream_ = stream;
    recording_ = true;
    reader_ = std::thread([this] { Read(); });
    return true;
}

void PulseMonitorRecorder::Read()
{
    std::vector<std::int16_t> chunk(kChunkFrames);
    auto* stream = static_cast<pa_simple*>(stream_);
    while (recording_) {
        int error = 0;
        if (pa_simple_read(stream, chunk.data(), chunk.size() * 2, &error) < 0) break;
        const std::lock_guard lock(mutex_);
        samples_.insert(samples_.end(), chunk.begin(), chunk.end());
    }
}

std::size_t PulseMonitorRecorder::Frames() const
{
    const std::lock_guard lock(mutex_);
    return samples_.size();
}

std::vector<std::int16_t> PulseMonitorRecorder::Stop()
{
    recording_ = false;
    if (reader_.joinable()) reader_.join();
    if (stream_ != nullptr) pa_simple_free(static_cast<pa_simple*>(stream_));
    stream_ = nullptr;
    const std::lock_guard lock(mutex_);
    return std::move(samples_);
}

}  // namespace harkwell
