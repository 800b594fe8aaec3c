#include "platform/QuietSoundProbing.h"

#include <alsa/asoundlib.h>

#include <dlfcn.h>

#include <cstdlib>
#include <initializer_list>

namespace harkwell {

namespace {

void QuietAlsaReport(const char*, int, const char*, int, const char*, ...) {}
void QuietJackReport(const char*) {}
void QuietPortAudioReport(const char*) {}

using JackReportSetter = void (*)(void (*)(const char*));
using PortAudioPrintSetter = void (*)(void (*)(const char*));

// The library's setter when the library is loaded (the sound library links
// JACK where it was built with it); nothing to quiet otherwise.
template <typename Setter>
Setter LoadedFunction(const char* name)
{
    return reinterpret_cast<Setter>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

void QuietSoundProbing()
{
    snd_lib_error_set_handler(QuietAlsaReport);
    // Probing for a JACK server must neither start one nor wait for a device reservation.
    setenv("JACK_NO_START_SERVER", "1", 0);
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 0);
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (auto set = LoadedFunction<JackReportSetter>(name)) set(QuietJackReport);
    }
    if (auto set = LoadedFunction<PortAudioPrintSetter>("PaUtil_SetDebugPrintFunction")) set(QuietPortAudioReport);
}

}  // namespace harkwell
