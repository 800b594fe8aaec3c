#pragma once

#include "common/ThreadChecker.h"
#include "score/MidiOutPort.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_audio_driver_t fluid_audio_driver_t;

namespace harkwell {

// The system's General MIDI SoundFont on Debian.
inline constexpr const char* kDefaultGmSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

// True when the file is a SoundFont the synth can load.
bool IsUsableSoundFont(const std::string& path);

// The built-in General MIDI synth as a MIDI output port: one FluidSynth synth
// with the SoundFont loaded, heard through the desktop sound server, or, made
// offline, rendered into memory by the caller.
//
// Sends may run on the timer thread: FluidSynth takes its own short lock.
// Reset, Close and the destructor run on the thread that opened the port.
class FluidSynthMidiPort final : public MidiOutPort {
public:
    static constexpr int kSampleRate = 44100;

    // With live sound: the synth plays through an audio driver when one can
    // be opened (HasSound tells). None when the synth or SoundFont fails.
    [[nodiscard]] static std::unique_ptr<FluidSynthMidiPort> OpenLive(const std::string& soundFont);
    // Without an audio driver; the caller pulls the sound with Render.
    [[nodiscard]] static std::unique_ptr<FluidSynthMidiPort> OpenOffline(const std::string& soundFont,
                                                                         int sampleRate = kSampleRate);

    ~FluidSynthMidiPort() override;
    FluidSynthMidiPort(const FluidSynthMidiPort&) = delete;
    FluidSynthMidiPort& operator=(const FluidSynthMidiPort&) = delete;

    [[nodiscard]] bool SendShort(std::uint32_t packed) override;
    [[nodiscard]] int SendLong(const std::uint8_t* bytes, std::size_t length) override;
    [[nodiscard]] bool Reset() override;
    [[nodiscard]] bool Close() override;

    // True when the synth is heard through an audio driver.
    bool HasSound() const { return driver_ != nullptr; }
    // Renders frames of stereo sound (offline ports only); false when closed.
    [[nodiscard]] bool Render(float* left, float* right, int frames);
    // How many voices of the synth sound now (a note may use more than one).
    int SoundingVoices() const;
    // The program a channel plays now, or -1.
    int ProgramOf(int channel) const;

private:
    FluidSynthMidiPort() = default;
    static std::unique_ptr<FluidSynthMidiPort> Make(const std::string& soundFont, bool live, int sampleRate);

    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_audio_driver_t* driver_ = nullptr;
    ThreadChecker opener_;  // the thread that opened the port
};

}  // namespace harkwell
