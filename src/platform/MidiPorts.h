#pragma once

#include "common/MessageSink.h"
#include "platform/FluidSynthMidiPort.h"
#include "score/MidiOutPort.h"

#include <atomic>
#include <memory>
#include <string>

namespace harkwell {

// The machine's MIDI output devices as the program sees them: device -1 is
// the built-in General MIDI synth (FluidSynth with the system's GM SoundFont,
// heard through the desktop sound server); devices 0, 1, ... are the ALSA
// sequencer's output ports, for external synths. The count is 1 when the
// synth can start, plus the ports. The program owns one of these for its
// whole run, so the notices it keeps are shown once per run.
class SystemMidiDevices final : public MidiOutDevices {
public:
    explicit SystemMidiDevices(MessageSink& sink, std::string soundFont = kDefaultGmSoundFont);

    int Count() override;
    [[nodiscard]] std::unique_ptr<MidiOutPort> Open(int device) override;

    static constexpr const char* kNoSoundNotice =
        "The MIDI synth could not reach the sound output: notes play without sound.";

private:
    MessageSink& sink_;
    std::string soundFont_;
    std::atomic<bool> noSoundNoticeDue_{true};  // the synth may open on two threads at once
};

}  // namespace harkwell
