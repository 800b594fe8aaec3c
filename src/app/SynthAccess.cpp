#include "app/SynthAccess.h"

#include "score/ScoreReports.h"

namespace harkwell {

SynthAccess::~SynthAccess()
{
    if (!opener_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    opener_.join();
    if (closeFailed_) ReportMidiDeviceError(messages_, MidiDeviceError::CannotClose);
}

void SynthAccess::OpenAhead()
{
    if (!opener_.joinable()) opener_ = std::thread([this] { Keep(); });
}

MidiOutPort* SynthAccess::Port()
{
    OpenAhead();
    MidiOutPort* port = nullptr;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return opened_; });
        port = port_.get();
    }
    // The message box belongs to this thread, never to the opening one.
    if (port == nullptr && !reported_) {
        reported_ = true;
        if (devices_.TakeMissingDeviceNotice()) ReportMidiDeviceError(messages_, MidiDeviceError::CannotOpen);
    }
    return port;
}

void SynthAccess::Keep()
{
    std::unique_ptr<MidiOutPort> port = devices_.Open(MidiOutDevices::kBuiltInSynth);
    std::unique_lock lock(mutex_);
    port_ = std::move(port);
    opened_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return ending_; });
    if (!port_) return;
    const bool silenced = port_->Reset();
    const bool closed = port_->Close();
    closeFailed_ = !silenced || !closed;
    port_.reset();
}

}  // namespace harkwell
