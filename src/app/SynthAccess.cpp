#include "app/SynthAccess.h"

#include "score/ScoreReports.h"

namespace harkwell {

SynthAccess::~SynthAccess()
{
    if (!port_) return;
    const bool silenced = port_->Reset();
    const bool closed = port_->Close();
    if (!silenced || !closed) ReportMidiDeviceError(messages_, MidiDeviceError::CannotClose);
}

MidiOutPort* SynthAccess::Port()
{
    if (!tried_) {
        tried_ = true;
        port_ = devices_.Open(MidiOutDevices::kBuiltInSynth);
        if (!port_ && devices_.TakeMissingDeviceNotice()) ReportMidiDeviceError(messages_, MidiDeviceError::CannotOpen);
    }
    return port_.get();
}

}  // namespace harkwell
