#include "audio/WaveOutDevice.h"

#include "common/ErrorReport.h"

#include <string>

#include <algorithm>
#include <cstring>
#include <new>

namespace harkwell {

WaveBufferSet::WaveBufferSet(std::uint32_t bufferSize, std::uint32_t bufferCount, MessageSink& messages)
    : bufferSize_(bufferSize), bufferCount_(bufferCount)
{
    bool allocated = true;
    for (std::uint32_t i = 0; i < bufferCount; ++i) {
        headers_.emplace_back(new (std::nothrow) WaveBufferHeader);
        data_.emplace_back(new (std::nothrow) std::uint8_t[bufferSize]());
        allocated = allocated && headers_.back() && data_.back();
    }
    ready_ = allocated;
    if (!allocated) ShowPlainMessage(messages, "バッファの確保に失敗しました。");
}

int WaveBufferSet::IndexOf(const WaveBufferHeader* header) const
{
    for (std::size_t i = 0; i < headers_.size(); ++i)
        if (headers_[i].get() == header) return static_cast<int>(i);
    return -1;
}

void WaveBufferSet::Clear()
{
    if (!ready_) return;
    for (auto& data : data_) std::memset(data.get(), 0, bufferSize_);
}

WaveOutDevice::WaveOutDevice(WaveOutPort& port, MessageSink& messages, int deviceId, const WaveFormat& format,
                             std::uint32_t bufferSize, std::uint32_t bufferCount)
    : port_(port), messages_(messages), deviceId_(deviceId), format_(format), buffers_(bufferSize, bufferCount, messages)
{
}

WaveOutDevice::~WaveOutDevice()
{
    // The port must not keep buffers that are about to be freed.
    if (open_) {
        port_.Reset();
        (void)port_.Close();  // nobody is left to tell
    }
}

std::uint32_t WaveOutDevice::FramesPerBuffer() const
{
    return format_.blockAlign == 0 ? 0 : buffers_.BufferSize() / format_.blockAlign;
}

bool WaveOutDevice::QueryFormat()
{
    if (port_.Supports(deviceId_, format_)) return true;
    // Which device, which format and why, so the user knows what to change.
    std::string text = "オーディオデバイスがないか、サポートされていないフォーマットです。 [device ";
    text += std::to_string(deviceId_) + ", " + std::to_string(format_.samplesPerSec) + " Hz, " +
            std::to_string(format_.bitsPerSample) + " bits, " + std::to_string(format_.channels) + " channel(s)";
    if (const std::string cause = port_.RefusalCause(deviceId_, format_); !cause.empty()) text += ": " + cause;
    ShowPlainMessage(messages_, text + "]");
    return false;
}

bool WaveOutDevice::Open(WaveOutPort::BufferDone onDone)
{
    if (open_) {
        ShowPlainMessage(messages_, "再生デバイスはオープン済みです。");
        return false;
    }
    if (!port_.Open(deviceId_, format_, std::move(onDone))) {
        ShowPlainMessage(messages_, "再生デバイスのオープンに失敗しました。");
        return false;
    }
    open_ = true;
    return true;
}

bool WaveOutDevice::QueueAll()
{
    if (!buffers_.Ready() || !open_) return false;
    buffers_.Clear();
    port_.Pause();
    for (std::uint32_t i = 0; i < buffers_.BufferCount(); ++i) {
        WaveBufferHeader& header = buffers_.Header(i);
        header.data = buffers_.Data(i);
        header.length = buffers_.BufferSize();
        header.user = 0;
        header.loops = 0;
        header.flags = 0;
        if (!port_.Prepare(header)) {
            ShowPlainMessage(messages_, "バッファが再生用に準備できませんでした。");
            return false;
        }
        if (!port_.Write(header)) {
            ShowPlainMessage(messages_, "バッファを再生キューに登録できませんでした。");
            return false;
        }
    }
    return true;
}

void WaveOutDevice::Restart()
{
    if (open_) port_.Restart();
}

bool WaveOutDevice::Requeue(WaveBufferHeader* header)
{
    bool released = true;
    bool prepared = true;
    bool written = true;
    {
        std::lock_guard lock(control_);
        // A notice may outlive the ring it came from: only this ring's buffers count.
        if (!open_ || buffers_.IndexOf(header) < 0) return false;
        const std::uint32_t flags = header->flags;
        if ((flags & kBufferPrepared) == 0 || (flags & kBufferDone) == 0) return false;
        released = port_.Unprepare(*header);
        header->flags = 0;
        prepared = port_.Prepare(*header);
        written = port_.Write(*header);
    }
    // Shown after the lock is let go: a message box waits for the user, and
    // the worker's reset must not wait with it.
    if (!released) ShowPlainMessage(messages_, "再生用バッファの開放に失敗しました。");
    if (!prepared) ShowPlainMessage(messages_, "バッファを再生用に準備できませんでした。");
    if (!written) ShowPlainMessage(messages_, "バッファを再生キューに登録できませんでした。");
    return written;
}

void WaveOutDevice::Reset()
{
    std::lock_guard lock(control_);
    if (!buffers_.Ready() || !open_) return;
    port_.Reset();
    for (std::uint32_t i = 0; i < buffers_.BufferCount(); ++i) {
        WaveBufferHeader& header = buffers_.Header(i);
        const std::uint32_t flags = header.flags;
        // A release that fails here is not reported: the buffers go with the device.
        if ((flags & kBufferPrepared) != 0 && (flags & kBufferDone) != 0) (void)port_.Unprepare(header);
    }
}

bool WaveOutDevice::Close()
{
    {
        std::lock_guard lock(control_);
        if (!open_) return true;
        open_ = false;
    }
    if (!port_.Close()) {
        ShowPlainMessage(messages_, "再生デバイスのクローズに失敗しました。");
        return false;
    }
    return true;
}

void WaveOutDevice::WriteFrames(std::uint32_t index, std::uint32_t offset, const std::uint8_t* source,
                                std::uint32_t count)
{
    const std::uint32_t n = buffers_.BufferCount();
    const std::uint32_t f = FramesPerBuffer();
    if (!buffers_.Ready() || n == 0 || f == 0) return;
    const std::uint32_t frameBytes = format_.blockAlign;
    index = std::min(index, n - 1);
    offset = std::min(offset, f - 1);
    count = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, std::uint64_t{n} * f));

    const auto copy = [&](std::uint32_t buffer, std::uint32_t at, std::uint32_t frames) {
        std::memcpy(buffers_.Data(buffer) + std::size_t{at} * frameBytes, source, std::size_t{frames} * frameBytes);
        source += std::size_t{frames} * frameBytes;
    };
    if (count <= f - offset) {
        copy(index, offset, count);
        return;
    }
    copy(index, offset, f - offset);
    std::uint32_t rest = count - (f - offset);
    std::uint32_t next = (index + 1) % n;
    while (rest >= f) {
        copy(next, 0, f);
        next = (next + 1) % n;
        rest -= f;
    }
    if (rest > 0) copy(next, 0, rest);
}

void WaveOutDevice::MarkWritten(std::uint32_t endFrame)
{
    if (open_) port_.MarkWritten(endFrame);
}

std::uint32_t WaveOutDevice::PlayedFrames() const
{
    return open_ ? port_.PlayedFrames() : 0;
}

}  // namespace harkwell
