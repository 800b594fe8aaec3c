#pragma once

#include "common/MessageSink.h"
#include "score/MidiOutPort.h"

#include <cstdint>
#include <memory>

namespace harkwell {

// One open MIDI output device: channel messages go out as short messages,
// system-exclusive messages as long ones. A controller without a port sends
// nothing; IsOpen tells. The sends may run on the timer thread; opening and
// closing may not.
class MidiControler {
public:
    // Opens the device (-1: the built-in synth, falling back to device 0).
    MidiControler(MidiOutDevices& devices, MessageSink& sink, int device = MidiOutDevices::kBuiltInSynth);
    ~MidiControler();
    MidiControler(const MidiControler&) = delete;
    MidiControler& operator=(const MidiControler&) = delete;

    bool IsOpen() const { return port_ != nullptr; }
    // Silences and closes the port when one is open.
    void Close();

    [[nodiscard]] bool NoteOn(int note, int velocity, int channel);  // velocity above 127 goes out as 127
    [[nodiscard]] bool NoteOff(int note, int channel);
    [[nodiscard]] bool ProgramChange(int program, int channel);      // failure reports
    [[nodiscard]] bool SendShort(int data2, int data1, int status);  // each byte cut to its low 8 bits
    // The General MIDI System On message.
    [[nodiscard]] int ResetGM();
    // A system-exclusive message, either as stored in a track (F0, a length
    // byte, the body up to F7) or as it goes on the wire. 0 when sent.
    [[nodiscard]] int SendSysEx(int length, const std::uint8_t* bytes);

private:
    MessageSink& sink_;
    std::unique_ptr<MidiOutPort> port_;
};

}  // namespace harkwell
