#pragma once

#include "audio/WaveOutPort.h"
#include "common/FilePrompt.h"
#include "common/MessageSink.h"
#include "common/Shell.h"

namespace harkwell {

// The services of the desktop that the program's windows use, made once in
// main() on the real backends and handed to the windows.
struct AppServices {
    MessageSink& messages;
    FilePrompt& filePrompt;
    Shell& shell;
    WaveOutPort& waveOut;
};

}  // namespace harkwell
