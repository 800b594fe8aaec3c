#include "platform/PortAudioWaveOutPort.h"

#include <alsa/asoundlib.h>
#include <portaudio.h>

#include <chrono>
#include <cstdlib>
#include <cstdarg>
#include <cstring>
#include <string>
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
    // The latency for playing files: the low one (under 10 ms) breaks up as
    // soon as a core is busy. The player's lead covers it several times over.
    parameters.suggestedLatency = info->defaultHighOutputLatency;
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

PortAudioWaveOutPort::PortAudioWaveOutPort(PortAudioSession& session) : session_(session)
{
    sem_init(&wake_, 0, 0);
}

PortAudioWaveOutPort::~PortAudioWaveOutPort()
{
    (void)Close();  // a port going away has nobody to tell
    sem_destroy(&wake_);
}

bool PortAudioWaveOutPort::Supports(int deviceId, const WaveFormat& format)
{
    PaStreamParameters parameters;
    if (!session_.Ready() || !OutputParameters(deviceId, format, parameters)) return false;
    return Pa_IsFormatSupported(nullptr, &parameters, format.samplesPerSec) == paFormatIsSupported;
}

std::string PortAudioWaveOutPort::RefusalCause(int deviceId, const WaveFormat& format)
{
    if (!session_.Ready()) return "the sound system could not be started";
    if (format.channels == 0 || (format.bitsPerSample != 8 && format.bitsPerSample != 16))
        return "only 8- and 16-bit samples play";
    const PaDeviceIndex device = ChooseDevice(deviceId);
    if (device == paNoDevice) return "no output device";
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    if (info == nullptr) return "no output device";
    if (info->maxOutputChannels < format.channels)
        return std::string(info->name) + " plays " + std::to_string(info->maxOutputChannels) + " channels at most";
    PaStreamParameters parameters;
    if (!OutputParameters(deviceId, format, parameters)) return "no output device";
    const PaError error = Pa_IsFormatSupported(nullptr, &parameters, format.samplesPerSec);
    if (error == paFormatIsSupported) return {};
    return std::string(info->name) + ": " + Pa_GetErrorText(error);
}

bool PortAudioWaveOutPort::Open(int deviceId, const WaveFormat& format, BufferDone onDone)
{
    std::lock_guard lock(control_);
    PaStreamParameters parameters;
    if (stream_ != nullptr || !session_.Ready() || !OutputParameters(deviceId, format, parameters)) return false;
    PaStream* stream = nullptr;
    const PaError error = Pa_OpenStream(&stream, nullptr, &parameters, format.samplesPerSec,
                                        paFramesPerBufferUnspecified, paNoFlag,
                                        reinterpret_cast<PaStreamCallback*>(&PortAudioWaveOutPort::OnSound), this);
    if (error != paNoError) return false;
    // The stream is not running yet: the sound thread's state may be set here.
    stream_ = stream;
    frameBytes_ = format.blockAlign;
    eightBit_ = format.bitsPerSample == 8;
    onDone_ = std::move(onDone);
    started_ = false;
    paused_ = false;
    playedFrames_ = 0;
    writtenEnd_ = 0;
    while (queue_.TryPop()) {}
    offset_ = 0;
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
    std::lock_guard lock(control_);
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
    std::lock_guard lock(control_);
    if (stream_ == nullptr || (header.flags & kBufferPrepared) == 0) return false;
    header.flags = (header.flags & ~kBufferDone) | kBufferQueued;
    if (queue_.TryPush(&header)) return true;
    header.flags &= ~kBufferQueued;
    return false;
}

void PortAudioWaveOutPort::MarkWritten(std::uint32_t endFrame)
{
    // Release: the frames written before this call are seen by the sound thread.
    writtenEnd_.store(endFrame, std::memory_order_release);
}

void PortAudioWaveOutPort::StopStream()
{
    // What is already on its way to the speakers still plays: the end of a
    // stretch is not cut off. Once it returns, the callback runs no more.
    if (stream_ != nullptr && started_) Pa_StopStream(static_cast<PaStream*>(stream_));
    started_ = false;
}

void PortAudioWaveOutPort::Reset()
{
    std::lock_guard lock(control_);
    StopStream();
    // With the sound thread stopped, this side may take its part of the ring.
    while (const auto header = queue_.TryPop())
        (*header)->flags = ((*header)->flags & ~kBufferQueued) | kBufferDone;
    offset_ = 0;
}

bool PortAudioWaveOutPort::Close()
{
    Reset();
    std::lock_guard lock(control_);
    if (stream_ == nullptr) return true;
    const bool closed = Pa_CloseStream(static_cast<PaStream*>(stream_)) == paNoError;
    stream_ = nullptr;
    notifying_ = false;
    sem_post(&wake_);
    if (notifier_.joinable()) notifier_.join();
    return closed;
}

int PortAudioWaveOutPort::OnSound(const void*, void* output, unsigned long frames, const void*, unsigned long,
                                  void* self)
{
    static_cast<PortAudioWaveOutPort*>(self)->Fill(static_cast<std::uint8_t*>(output), frames);
    return paContinue;
}

void PortAudioWaveOutPort::Fill(std::uint8_t* output, unsigned long frames)
{
    const std::size_t wanted = std::size_t{frames} * frameBytes_;
    // Paused: silence, and the played position stays where it is.
    if (paused_.load(std::memory_order_relaxed) || frameBytes_ == 0) {
        FillSilence(output, wanted, eightBit_);
        return;
    }
    std::uint32_t position = playedFrames_.load(std::memory_order_relaxed);
    // Acquire: every frame below the mark has been written and may be read.
    const std::uint32_t writtenEnd = writtenEnd_.load(std::memory_order_acquire);
    std::size_t filled = 0;
    bool woke = false;
    while (filled < wanted) {
        const auto front = queue_.Front();
        if (!front) break;  // starved: the rest is silence and the position stays
        WaveBufferHeader* header = *front;
        const std::size_t take = std::min<std::size_t>(wanted - filled, header->length - offset_);
        // Frames the writer has not reached yet are played as silence, not read.
        const std::uint32_t ready = static_cast<std::int32_t>(writtenEnd - position) > 0 ? writtenEnd - position : 0;
        const std::size_t readable = std::min<std::size_t>(take, std::size_t{ready} * frameBytes_);
        std::memcpy(output + filled, header->data + offset_, readable);
        FillSilence(output + filled + readable, take - readable, eightBit_);
        filled += take;
        offset_ += static_cast<std::uint32_t>(take);
        position += static_cast<std::uint32_t>(take / frameBytes_);
        if (offset_ >= header->length) {
            header->flags = (header->flags & ~kBufferQueued) | kBufferDone;
            queue_.Pop();
            // The ring holds more buffers than a port has, so it has room.
            (void)done_.TryPush(header);
            woke = true;
            offset_ = 0;
        }
    }
    if (filled < wanted) FillSilence(output + filled, wanted - filled, eightBit_);
    playedFrames_.store(position, std::memory_order_release);
    if (woke) sem_post(&wake_);
}

void PortAudioWaveOutPort::Notify()
{
    // Played buffers are handed on from here, never from the sound thread.
    while (true) {
        while (sem_wait(&wake_) != 0) {}  // only a signal interrupts it
        while (const auto header = done_.TryPop())
            if (onDone_) onDone_(*header);
        if (!notifying_) return;
    }
}

}  // namespace harkwell
