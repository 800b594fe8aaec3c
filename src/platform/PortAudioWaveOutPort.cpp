#include "platform/PortAudioWaveOutPort.h"

#include <alsa/asoundlib.h>
#include <portaudio.h>

#include <chrono>
#include <cstdlib>
#include <cstdarg>
#include <cstring>
#include <string_view>

namespace harkwell {

namespace {

// ALSA reports every probe of a missing device on stderr; the port says
// plainly what it cannot do, so those lines are only noise.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

PaDeviceIndex ChooseDevice(int deviceId)
{
    const PaDeviceIndex count = Pa_GetDeviceCount();
    if (deviceId >= 0) {
        if (deviceId >= count) return paNoDevice;
        const PaDeviceInfo* info = Pa_GetDeviceInfo(deviceId);
        return info != nullptr && info->maxOutputChannels > 0 ? deviceId : paNoDevice;
    }
    for (std::string_view preferred : {"pulse", "pipewire", "default"}) {
        for (PaDeviceIndex i = 0; i < count; ++i) {
            const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
            if (info != nullptr && info->maxOutputChannels > 0 && preferred == info->name) return i;
        }
    }
    return Pa_GetDefaultOutputDevice();
}

bool OutputParameters(int deviceId, const WaveFormat& format, PaStreamParameters& parameters)
{
    if (format.channels == 0 || (format.bitsPerSample != 8 && format.bitsPerSample != 16)) return false;
    const PaDeviceIndex device = ChooseDevice(deviceId);
    if (device == paNoDevice) return false;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    if (info == nullptr || info->maxOutputChannels < format.channels) return false;
    parameters = {};
    parameters.device = device;
    parameters.channelCount = format.channels;
    parameters.sampleFormat = format.bitsPerSample == 8 ? paUInt8 : paInt16;
    parameters.suggestedLatency = info->defaultLowOutputLatency;
    return true;
}

// Silence in the format: 8-bit samples rest at 0x80.
void FillSilence(std::uint8_t* output, std::size_t bytes, bool eightBit)
{
    std::memset(output, eightBit ? 0x80 : 0, bytes);
}

}  // namespace

PortAudioSession::PortAudioSession()
{
    snd_lib_error_set_handler(QuietAlsa);
    // Looking for a JACK server must not start one.
    setenv("JACK_NO_START_SERVER", "1", 0);
    ready_ = Pa_Initialize() == paNoError;
}

PortAudioSession::~PortAudioSession()
{
    if (ready_) Pa_Terminate();
}

bool PortAudioWaveOutPort::HeaderQueue::Push(WaveBufferHeader* header)
{
    if (count == kCapacity) return false;
    items[(first + count) % kCapacity] = header;
    ++count;
    return true;
}

void PortAudioWaveOutPort::HeaderQueue::Pop()
{
    if (count == 0) return;
    first = (first + 1) % kCapacity;
    --count;
}

PortAudioWaveOutPort::~PortAudioWaveOutPort()
{
    Close();
}

bool PortAudioWaveOutPort::Supports(int deviceId, const WaveFormat& format)
{
    PaStreamParameters parameters;
    if (!session_.Ready() || !OutputParameters(deviceId, format, parameters)) return false;
    return Pa_IsFormatSupported(nullptr, &parameters, format.samplesPerSec) == paFormatIsSupported;
}

bool PortAudioWaveOutPort::Open(int deviceId, const WaveFormat& format, BufferDone onDone)
{
    PaStreamParameters parameters;
    if (stream_ != nullptr || !session_.Ready() || !OutputParameters(deviceId, format, parameters)) return false;
    PaStream* stream = nullptr;
    const PaError error = Pa_OpenStream(&stream, nullptr, &parameters, format.samplesPerSec,
                                        paFramesPerBufferUnspecified, paNoFlag,
                                        reinterpret_cast<PaStreamCallback*>(&PortAudioWaveOutPort::OnSound), this);
    if (error != paNoError) return false;
    stream_ = stream;
    frameBytes_ = format.blockAlign;
    eightBit_ = format.bitsPerSample == 8;
    onDone_ = std::move(onDone);
    started_ = false;
    paused_ = false;
    playedFrames_ = 0;
    {
        std::lock_guard lock(mutex_);
        queue_ = {};
        done_ = {};
        offset_ = 0;
    }
    notifying_ = true;
    notifier_ = std::thread([this] { Notify(); });
    return true;
}

void PortAudioWaveOutPort::Pause()
{
    paused_ = true;
}

void PortAudioWaveOutPort::Restart()
{
    paused_ = false;
    if (stream_ != nullptr && !started_) started_ = Pa_StartStream(static_cast<PaStream*>(stream_)) == paNoError;
}

bool PortAudioWaveOutPort::Prepare(WaveBufferHeader& header)
{
    if (header.data == nullptr || header.length == 0) return false;
    header.flags |= kBufferPrepared;
    return true;
}

bool PortAudioWaveOutPort::Unprepare(WaveBufferHeader& header)
{
    if (header.flags & kBufferQueued) return false;
    header.flags &= ~kBufferPrepared;
    return true;
}

bool PortAudioWaveOutPort::Write(WaveBufferHeader& header)
{
    if (stream_ == nullptr || (header.flags & kBufferPrepared) == 0) return false;
    std::lock_guard lock(mutex_);
    header.flags = (header.flags & ~kBufferDone) | kBufferQueued;
    if (queue_.Push(&header)) return true;
    header.flags &= ~kBufferQueued;
    return false;
}

void PortAudioWaveOutPort::StopStream()
{
    // What is already on its way to the speakers still plays: the end of a
    // stretch is not cut off.
    if (stream_ != nullptr && started_) Pa_StopStream(static_cast<PaStream*>(stream_));
    started_ = false;
}

void PortAudioWaveOutPort::Reset()
{
    StopStream();
    std::lock_guard lock(mutex_);
    while (WaveBufferHeader* header = queue_.Front()) {
        header->flags = (header->flags & ~kBufferQueued) | kBufferDone;
        queue_.Pop();
    }
    done_ = {};
    offset_ = 0;
}

bool PortAudioWaveOutPort::Close()
{
    if (stream_ == nullptr) return true;
    Reset();
    const bool closed = Pa_CloseStream(static_cast<PaStream*>(stream_)) == paNoError;
    stream_ = nullptr;
    notifying_ = false;
    if (notifier_.joinable()) notifier_.join();
    return closed;
}

int PortAudioWaveOutPort::OnSound(const void*, void* output, unsigned long frames, const void*, unsigned long,
                                  void* self)
{
    return static_cast<PortAudioWaveOutPort*>(self)->Fill(static_cast<std::uint8_t*>(output), frames);
}

int PortAudioWaveOutPort::Fill(std::uint8_t* output, unsigned long frames)
{
    const std::size_t wanted = std::size_t{frames} * frameBytes_;
    // Paused, or the other side holds the queue this moment: silence, and the
    // played position stays where it is.
    if (paused_ || !mutex_.try_lock()) {
        FillSilence(output, wanted, eightBit_);
        return paContinue;
    }
    std::size_t filled = 0;
    while (filled < wanted) {
        WaveBufferHeader* header = queue_.Front();
        if (header == nullptr) break;
        const std::size_t take = std::min<std::size_t>(wanted - filled, header->length - offset_);
        std::memcpy(output + filled, header->data + offset_, take);
        filled += take;
        offset_ += static_cast<std::uint32_t>(take);
        if (offset_ >= header->length) {
            header->flags = (header->flags & ~kBufferQueued) | kBufferDone;
            queue_.Pop();
            done_.Push(header);
            offset_ = 0;
        }
    }
    mutex_.unlock();
    if (filled < wanted) FillSilence(output + filled, wanted - filled, eightBit_);
    playedFrames_.fetch_add(static_cast<std::uint32_t>(filled / frameBytes_), std::memory_order_relaxed);
    return paContinue;
}

void PortAudioWaveOutPort::Notify()
{
    // Played buffers are handed on from here, never from the sound thread.
    while (notifying_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::array<WaveBufferHeader*, kCapacity> played{};
        std::size_t count = 0;
        {
            std::lock_guard lock(mutex_);
            while (WaveBufferHeader* header = done_.Front()) {
                played[count++] = header;
                done_.Pop();
            }
        }
        for (std::size_t i = 0; i < count; ++i)
            if (onDone_) onDone_(played[i]);
    }
}

}  // namespace harkwell
