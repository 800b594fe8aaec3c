#include "score/MidiControler.h"

#include "score/ScoreReports.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace harkwell {

namespace {

constexpr std::size_t kLongMessageSize = 256;
constexpr int kNoPort = -1;
constexpr int kInvalidMessage = -2;


}  // namespace

MidiControler::MidiControler(MidiOutDevices& devices, MessageSink& sink, int device) : sink_(sink)
{
    if (devices.Count() == 0) {
        if (devices.TakeMissingDeviceNotice()) ReportMidiDeviceError(sink_, MidiDeviceError::CannotOpen);
        return;
    }
    port_ = devices.Open(device);
    if (!port_ && device == MidiOutDevices::kBuiltInSynth) port_ = devices.Open(0);
    if (!port_) ReportMidiDeviceError(sink_, MidiDeviceError::CannotOpen);
}

MidiControler::~MidiControler() { Close(); }

void MidiControler::Close()
{
    if (!port_) return;
    if (!port_->Reset()) ReportMidiDeviceError(sink_, MidiDeviceError::CannotClose);
    if (!port_->Close()) ReportMidiDeviceError(sink_, MidiDeviceError::CannotClose);
    port_.reset();
}

bool MidiControler::NoteOn(int note, int velocity, int channel)
{
    return SendShort(std::min(velocity, 127), note, 0x90 + channel);
}

bool MidiControler::NoteOff(int note, int channel) { return SendShort(0, note, 0x80 + channel); }

bool MidiControler::ProgramChange(int program, int channel)
{
    if (port_ && port_->SendShort(PackShortMessage(0xC0 + channel, program, 0))) return true;
    ReportMidiDeviceError(sink_, MidiDeviceError::CannotChangeTone);
    return false;
}

bool MidiControler::SendShort(int data2, int data1, int status)
{
    return port_ && port_->SendShort(PackShortMessage(status, data1, data2));
}

int MidiControler::ResetGM()
{
    static constexpr std::uint8_t kGmSystemOn[7] = {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    return SendSysEx(7, kGmSystemOn);
}

int MidiControler::SendSysEx(int length, const std::uint8_t* bytes)
{
    if (!port_) return kNoPort;
    if (bytes == nullptr || length < 1) {
        ReportMidiDeviceError(sink_, MidiDeviceError::InvalidParameter);
        return kInvalidMessage;
    }
    std::array<std::uint8_t, kLongMessageSize> message{};
    std::size_t size = 0;
    const auto count = static_cast<std::size_t>(length);
    if (bytes[0] == 0xF0) {
        // The track form carries a length byte after F0; the wire form has none.
        if (count < 2 || count - 1 > kLongMessageSize) {
            ReportMidiDeviceError(sink_, MidiDeviceError::InvalidParameter);
            return kInvalidMessage;
        }
        message[0] = 0xF0;
        std::memcpy(message.data() + 1, bytes + 2, count - 2);
        size = count - 1;
    } else {
        if (count > kLongMessageSize) {
            ReportMidiDeviceError(sink_, MidiDeviceError::InvalidParameter);
            return kInvalidMessage;
        }
        std::memcpy(message.data(), bytes, count);
        size = count;
    }
    return port_->SendLong(message.data(), size);
}

}  // namespace harkwell
