#pragma once

#include "common/ThreadChecker.h"
#include "score/MidiOutPort.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace harkwell::testing {

// A MIDI device list whose ports record every message, with the time the
// clock gave when it arrived. Which devices exist and open is set by the test.
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
            if (owner_.failShortMessages || closed_) return false;
            Record({static_cast<std::uint8_t>(packed), static_cast<std::uint8_t>(packed >> 8),
                    static_cast<std::uint8_t>(packed >> 16)},
                   false);
            return true;
        }
        int SendLong(const std::uint8_t* bytes, std::size_t length) override
        {
            if (closed_) return 1;
            Record(std::vector<std::uint8_t>(bytes, bytes + length), true);
            return 0;
        }
        bool Reset() override
        {
            HARKWELL_ASSERT_ON_OWNER(opener_);
            std::lock_guard lock(owner_.mutex_);
            ++owner_.resets;
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

    mutable std::mutex mutex_;
    std::vector<Message> messages_;
};

}  // namespace harkwell::testing
