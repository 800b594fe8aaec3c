#pragma once

#include "audio/WaveOutPort.h"
#include "cd/ScsiTransport.h"
#include "common/FilePrompt.h"
#include "common/MessageSink.h"
#include "common/Shell.h"
#include "score/MidiOutPort.h"
#include "score/MidiRenderer.h"
#include "score/TimerService.h"

namespace harkwell {

// The services of the desktop that the program's windows use, made once in
// main() on the real backends and handed to the windows. The MIDI devices
// open nothing until a window asks for a port.
struct AppServices {
    MessageSink& messages;
    FilePrompt& filePrompt;
    Shell& shell;
    WaveOutPort& waveOut;
    MidiOutDevices& midiOut;
    MidiRenderer& renderer;  // renders the bar that Sync Play mixes into the wave
    TimerService& timers;
    ScsiTransport& cdDrives;
};

}  // namespace harkwell
