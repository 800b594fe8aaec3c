#pragma once

#include "common/MessageSink.h"
#include "score/MidiOutPort.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace harkwell {

// The built-in General MIDI synth as the windows reach it to sound a score or
// a key. Nothing is opened until it is asked for: the program starts the
// same with or without a synth. Opening it takes a while (its SoundFont is
// read, its sound stream started), so a window that will soon need it asks
// OpenAhead, which opens it on a thread of its own and returns at once; the
// first key then sounds as soon as the later ones. When the synth cannot be
// opened, the missing-device message is shown once per run (the device list
// keeps that notice, shared with every other user of the list) and Port stays
// null from then on without asking the devices again. A synth that opens but
// cannot be heard is the device list's to report.
//
// Threads: OpenAhead and Port on the thread that made it, never the timer
// thread. The synth is opened, silenced and closed on the opening thread,
// which lives until the access is gone. The port it hands out may be sent to
// from the timer thread while it is open.
class SynthAccess {
public:
    SynthAccess(MidiOutDevices& devices, MessageSink& messages) : devices_(devices), messages_(messages) {}
    // Silences and closes the synth when it was opened.
    ~SynthAccess();
    SynthAccess(const SynthAccess&) = delete;
    SynthAccess& operator=(const SynthAccess&) = delete;

    // Starts opening the synth, unless that began already; does not wait.
    void OpenAhead();
    // The open synth, waiting for an opening under way or opening it now;
    // null when there is none.
    MidiOutPort* Port();

private:
    // The opening thread: opens the synth, holds it, and at the end silences and closes it.
    void Keep();

    MidiOutDevices& devices_;
    MessageSink& messages_;
    std::thread opener_;
    bool reported_ = false;  // the missing synth was told
    // Shared with the opening thread.
    std::mutex mutex_;
    std::condition_variable changed_;
    bool opened_ = false;
    bool ending_ = false;
    bool closeFailed_ = false;
    std::unique_ptr<MidiOutPort> port_;
};

}  // namespace harkwell
