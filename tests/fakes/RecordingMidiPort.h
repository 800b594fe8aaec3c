#pragma once

#include "common/ThreadChecker.h"
#include "score/MidiOutPort.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace harkwell::testing {

// A MIDI device list whose ports record every message, with the time the
// clock gave when it arrived. Which devices exist and open is set by the test.
// The ports refuse what a real port refuses (a short message without a
// status byte, a system-exclusive message that is not complete, anything
// once closed) and keep which notes sound, as a synth would: a note sounds
// from note-on to note-off, on while the channel's sustain pedal is down,
// and Reset or all sound off stops it at once. All ports share one sound.
class RecordingMidiDevices final : public MidiOutDevices {
public:
    struct Message {
        std::vector<std::uint8_t> bytes;
        bool isLong = false;
        std::int64_t timeMs = 0;
    };

    int Count() override { return deviceCount; }

    std::unique_ptr<MidiOutPort> Open(int device) override
    {
        {
            std::lock_guard lock(mutex_);
            openAttempts.push_back(device);
            if (failingDevices.count(device) != 0) return nullptr;
        }
        return std::make_unique<Port>(*this);
    }

    std::vector<Message> Messages() const
    {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    // The short messages only, as their bytes.
    std::vector<std::vector<std::uint8_t>> Shorts() const
    {
        std::vector<std::vector<std::uint8_t>> shorts;
        for (const auto& message : Messages())
            if (!message.isLong) shorts.push_back(message.bytes);
        return shorts;
    }
    void ClearMessages()
    {
        std::lock_guard lock(mutex_);
        messages_.clear();
    }
    // The notes that sound now, held by the pedal or not, as (channel, note).
    std::set<std::pair<int, int>> SoundingNotes() const
    {
        std::lock_guard lock(mutex_);
        std::set<std::pair<int, int>> notes = held_;
        notes.insert(sustained_.begin(), sustained_.end());
        return notes;
    }

    int deviceCount = 1;
    std::set<int> failingDevices;
    bool failShortMessages = false;
    std::function<std::int64_t()> clock = [] { return std::int64_t{0}; };
    std::vector<int> openAttempts;
    int resets = 0;
    int closes = 0;
    int openPorts = 0;

private:
    class Port final : public MidiOutPort {
    public:
        explicit Port(RecordingMidiDevices& owner) : owner_(owner)
        {
            std::lock_guard lock(owner_.mutex_);
            ++owner_.openPorts;
        }
        ~Port() override
        {
            std::lock_guard lock(owner_.mutex_);
            --owner_.openPorts;
        }
        bool SendShort(std::uint32_t packed) override
        {
            if (owner_.failShortMessages || closed_ || !IsShortMessageStatus(packed)) return false;
            const std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(packed),
                                                  static_cast<std::uint8_t>(packed >> 8),
                                                  static_cast<std::uint8_t>(packed >> 16)};
            owner_.Sound(bytes[0], bytes[1] & 0x7F, bytes[2] & 0x7F);
            Record(bytes, false);
            return true;
        }
        int SendLong(const std::uint8_t* bytes, std::size_t length) override
        {
            if (closed_ || !IsCompleteSysEx(bytes, length)) return 1;
            Record(std::vector<std::uint8_t>(bytes, bytes + length), true);
            return 0;
        }
        bool Reset() override
        {
            HARKWELL_ASSERT_ON_OWNER(opener_);
            if (closed_) return false;
            std::lock_guard lock(owner_.mutex_);
            ++owner_.resets;
            owner_.held_.clear();
            owner_.sustained_.clear();
            return true;
        }
        bool Close() override
        {
            HARKWELL_ASSERT_ON_OWNER(opener_);
            closed_ = true;
            std::lock_guard lock(owner_.mutex_);
            ++owner_.closes;
            return true;
        }

    private:
        void Record(std::vector<std::uint8_t> bytes, bool isLong)
        {
            const std::int64_t now = owner_.clock();
            std::lock_guard lock(owner_.mutex_);
            owner_.messages_.push_back({std::move(bytes), isLong, now});
        }

        RecordingMidiDevices& owner_;
        bool closed_ = false;
        ThreadChecker opener_;  // Reset and Close belong to the thread that opened the port
    };

    // What a channel message does to the sounding notes.
    void Sound(int status, int data1, int data2)
    {
        std::lock_guard lock(mutex_);
        const int channel = status & 0x0F;
        const auto ofChannel = [channel](const auto& n) { return n.first == channel; };
        switch (status & 0xF0) {
        case 0x90:
            if (data2 != 0) {
                held_.insert({channel, data1});
                break;
            }
            [[fallthrough]];
        case 0x80:
            if (held_.erase({channel, data1}) != 0 && pedalDown_.count(channel) != 0)
                sustained_.insert({channel, data1});
            break;
        case 0xB0:
            if (data1 == 64 && data2 >= 64) pedalDown_.insert(channel);
            if (data1 == 64 && data2 < 64) {
                pedalDown_.erase(channel);
                std::erase_if(sustained_, ofChannel);
            }
            if (data1 == 120) {  // all sound off
                std::erase_if(held_, ofChannel);
                std::erase_if(sustained_, ofChannel);
            }
            if (data1 == 123) {  // all notes off: the pedal still holds them
                for (const auto& n : held_)
                    if (n.first == channel && pedalDown_.count(channel) != 0) sustained_.insert(n);
                std::erase_if(held_, ofChannel);
            }
            break;
        default:
            break;
        }
    }

    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    std::set<std::pair<int, int>> held_;       // keys down
    std::set<std::pair<int, int>> sustained_;  // keys up, held by the pedal
    std::set<int> pedalDown_;
};

}  // namespace harkwell::testing
