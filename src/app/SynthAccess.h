#pragma once

#include "common/MessageSink.h"
#include "score/MidiOutPort.h"

#include <memory>

namespace harkwell {

// The built-in General MIDI synth as the windows reach it to sound a score or
// a key. Nothing is opened until the first Port(): the program starts the
// same with or without a synth. When the synth cannot be opened, the
// missing-device message is shown once per run (the device list keeps that
// notice, shared with every other user of the list) and Port stays null from
// then on without asking the devices again. A synth that opens but cannot be
// heard is the device list's to report.
//
// Threads: the thread that made it, never the timer thread. The port it
// hands out may be sent to from the timer thread while it is open.
class SynthAccess {
public:
    SynthAccess(MidiOutDevices& devices, MessageSink& messages) : devices_(devices), messages_(messages) {}
    // Silences and closes the synth when it was opened.
    ~SynthAccess();
    SynthAccess(const SynthAccess&) = delete;
    SynthAccess& operator=(const SynthAccess&) = delete;

    // The open synth, opened on the first call; null when there is none.
    MidiOutPort* Port();

private:
    MidiOutDevices& devices_;
    MessageSink& messages_;
    bool tried_ = false;
    std::unique_ptr<MidiOutPort> port_;
};

}  // namespace harkwell
