#include "platform/FluidSynthMidiPort.h"

#include <fluidsynth.h>

namespace harkwell {

namespace {

// The sound servers of a Linux desktop, in the order they are tried (PipeWire
// answers as PulseAudio too); plain ALSA last.
constexpr const char* kAudioDrivers[] = {"pulseaudio", "pipewire", "alsa"};
// Frames the live synth renders at a time, and so what the sound server holds
// of it: 512 (about 12 ms) keeps the notes on their times and still covers a
// busy core. The library's 64 (under 2 ms) breaks up as soon as one is busy.
// Two of them are plain ALSA's buffer, as long as its sixteen of 64 were.
constexpr int kLivePeriodFrames = 512;
constexpr int kLivePeriods = 2;

}  // namespace

bool IsUsableSoundFont(const std::string& path) { return fluid_is_soundfont(path.c_str()) != 0; }

std::unique_ptr<FluidSynthMidiPort> FluidSynthMidiPort::OpenLive(const std::string& soundFont)
{
    return Make(soundFont, true, kSampleRate);
}

std::unique_ptr<FluidSynthMidiPort> FluidSynthMidiPort::OpenOffline(const std::string& soundFont, int sampleRate)
{
    return Make(soundFont, false, sampleRate);
}

std::unique_ptr<FluidSynthMidiPort> FluidSynthMidiPort::Make(const std::string& soundFont, bool live, int sampleRate)
{
    if (!IsUsableSoundFont(soundFont)) return nullptr;
    std::unique_ptr<FluidSynthMidiPort> port(new FluidSynthMidiPort);
    port->settings_ = new_fluid_settings();
    if (port->settings_ == nullptr) return nullptr;
    fluid_settings_setnum(port->settings_, "synth.sample-rate", sampleRate);
    port->synth_ = new_fluid_synth(port->settings_);
    if (port->synth_ == nullptr) return nullptr;
    if (fluid_synth_sfload(port->synth_, soundFont.c_str(), 1) == FLUID_FAILED) return nullptr;
    if (live) {
        fluid_settings_setint(port->settings_, "audio.period-size", kLivePeriodFrames);
        fluid_settings_setint(port->settings_, "audio.periods", kLivePeriods);
        for (const char* driver : kAudioDrivers) {
            if (fluid_settings_setstr(port->settings_, "audio.driver", driver) != FLUID_OK) continue;
            port->driver_ = new_fluid_audio_driver(port->settings_, port->synth_);
            if (port->driver_ != nullptr) break;
        }
    }
    return port;
}

// A port going away has no one to tell that closing failed.
FluidSynthMidiPort::~FluidSynthMidiPort() { (void)Close(); }

bool FluidSynthMidiPort::SendShort(std::uint32_t packed)
{
    if (synth_ == nullptr || !IsShortMessageStatus(packed)) return false;
    const int status = static_cast<int>(packed & 0xFF);
    const int data1 = static_cast<int>((packed >> 8) & 0x7F);
    const int data2 = static_cast<int>((packed >> 16) & 0x7F);
    const int channel = status & 0x0F;
    switch (status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth_, channel, data1);  // a note already silent is no failure
        return true;
    case 0x90:
        if (data2 == 0) {
            fluid_synth_noteoff(synth_, channel, data1);
            return true;
        }
        return fluid_synth_noteon(synth_, channel, data1, data2) == FLUID_OK;
    case 0xA0:
        return fluid_synth_key_pressure(synth_, channel, data1, data2) == FLUID_OK;
    case 0xB0:
        return fluid_synth_cc(synth_, channel, data1, data2) == FLUID_OK;
    case 0xC0:
        return fluid_synth_program_change(synth_, channel, data1) == FLUID_OK;
    case 0xD0:
        return fluid_synth_channel_pressure(synth_, channel, data1) == FLUID_OK;
    case 0xE0:
        return fluid_synth_pitch_bend(synth_, channel, data1 | data2 << 7) == FLUID_OK;
    default:
        if (status == 0xFF) return fluid_synth_system_reset(synth_) == FLUID_OK;
        return true;  // other system messages mean nothing to the synth
    }
}

int FluidSynthMidiPort::SendLong(const std::uint8_t* bytes, std::size_t length)
{
    if (synth_ == nullptr) return FLUID_FAILED;
    if (!IsCompleteSysEx(bytes, length)) return FLUID_FAILED;
    // The synth takes the body without F0 and F7.
    const int result = fluid_synth_sysex(synth_, reinterpret_cast<const char*>(bytes + 1),
                                         static_cast<int>(length - 2), nullptr, nullptr, nullptr, 0);
    return result == FLUID_OK ? 0 : 1;
}

bool FluidSynthMidiPort::Reset()
{
    HARKWELL_ASSERT_ON_OWNER(opener_);
    if (synth_ == nullptr) return false;
    // All notes off only releases the notes: they ring on through their
    // release, and for as long as a sustain pedal is down. All sounds off
    // stops every voice at once.
    return fluid_synth_all_sounds_off(synth_, -1) == FLUID_OK;
}

bool FluidSynthMidiPort::Close()
{
    HARKWELL_ASSERT_ON_OWNER(opener_);
    // The driver pulls sound from the synth on its own thread: it goes first.
    if (driver_ != nullptr) delete_fluid_audio_driver(driver_);
    if (synth_ != nullptr) delete_fluid_synth(synth_);
    if (settings_ != nullptr) delete_fluid_settings(settings_);
    driver_ = nullptr;
    synth_ = nullptr;
    settings_ = nullptr;
    return true;
}

bool FluidSynthMidiPort::Render(float* left, float* right, int frames)
{
    if (synth_ == nullptr || driver_ != nullptr) return false;
    return fluid_synth_write_float(synth_, frames, left, 0, 1, right, 0, 1) == FLUID_OK;
}

int FluidSynthMidiPort::SoundingVoices() const
{
    if (synth_ == nullptr) return 0;
    return fluid_synth_get_active_voice_count(synth_);
}

int FluidSynthMidiPort::ProgramOf(int channel) const
{
    if (synth_ == nullptr) return -1;
    int soundFont = 0;
    int bank = 0;
    int program = 0;
    if (fluid_synth_get_program(synth_, channel, &soundFont, &bank, &program) != FLUID_OK) return -1;
    return program;
}

}  // namespace harkwell
