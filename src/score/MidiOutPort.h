#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace harkwell {

// True when the low byte of a packed short message is a status byte that
// starts a message of its own: not a data byte, not the start or end of a
// system-exclusive message.
// A short message packed as a port sends it: status | data1 << 8 | data2 << 16.
constexpr std::uint32_t PackShortMessage(int status, int data1, int data2)
{
    return (static_cast<std::uint32_t>(status) & 0xFFu) | (static_cast<std::uint32_t>(data1) & 0xFFu) << 8 |
           (static_cast<std::uint32_t>(data2) & 0xFFu) << 16;
}

inline bool IsShortMessageStatus(std::uint32_t packed)
{
    const std::uint32_t status = packed & 0xFFu;
    return status >= 0x80u && status != 0xF0u && status != 0xF7u;
}

// True for a complete system-exclusive message: F0, one or more data bytes
// (each below 80 hex), F7.
inline bool IsCompleteSysEx(const std::uint8_t* bytes, std::size_t length)
{
    if (bytes == nullptr || length < 3 || bytes[0] != 0xF0 || bytes[length - 1] != 0xF7) return false;
    for (std::size_t i = 1; i + 1 < length; ++i)
        if (bytes[i] >= 0x80) return false;
    return true;
}

// One open MIDI output port.
//
// Threads: SendShort and SendLong may run on the timer thread; they hold no
// lock for long and do not allocate. Reset and Close run on the thread that
// opened the port, never on the timer thread. One thread at a time uses a port.
class MidiOutPort {
public:
    virtual ~MidiOutPort() = default;

    // A packed short message: status | data1 << 8 | data2 << 16. False on
    // failure, and for a status that IsShortMessageStatus refuses.
    [[nodiscard]] virtual bool SendShort(std::uint32_t packed) = 0;
    // A complete system-exclusive message, F0 ... F7. 0 on success, else the
    // port's error code, which a message IsCompleteSysEx refuses always gets.
    [[nodiscard]] virtual int SendLong(const std::uint8_t* bytes, std::size_t length) = 0;
    // Silences every sounding note. False on failure.
    [[nodiscard]] virtual bool Reset() = 0;
    // Closes the port; further sends fail. False on failure.
    [[nodiscard]] virtual bool Close() = 0;
};

// The MIDI output devices of the machine. Device -1 is the built-in General
// MIDI synth; devices 0 .. are external ports. Runs on the user-interface and
// play threads and on the thread that opens the synth ahead, never on the
// timer thread; Open may run on two of them at once.
class MidiOutDevices {
public:
    static constexpr int kBuiltInSynth = -1;

    virtual ~MidiOutDevices() = default;

    // How many devices there are; 0 when nothing can sound.
    virtual int Count() = 0;
    // Opens a device; none when it cannot be opened.
    [[nodiscard]] virtual std::unique_ptr<MidiOutPort> Open(int device) = 0;

    // True the first time only: the message for a missing device is shown
    // once per run of the program that owns this list.
    bool TakeMissingDeviceNotice()
    {
        const bool first = missingDeviceNoticeDue_;
        missingDeviceNoticeDue_ = false;
        return first;
    }

private:
    bool missingDeviceNoticeDue_ = true;
};

}  // namespace harkwell
