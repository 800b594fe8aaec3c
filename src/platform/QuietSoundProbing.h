#pragma once

namespace harkwell {

// The sound libraries report every backend and device they probe and cannot
// use on stderr: ALSA's unused plugins and PCMs, JACK's attempts to reach a
// server that does not run, PortAudio's failed expressions while it looks at
// the devices. None of it is the program's business, and the program says
// itself when no sound can be used. Called once at start, before the sound
// library is initialised; it keeps a JACK server from being started as well.
void QuietSoundProbing();

}  // namespace harkwell
