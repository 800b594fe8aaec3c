#pragma once

#include "fakes/RecordingMidiPort.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace harkwell::testing {

// A device list that opens through a recording one and tells on which
// threads its ports were opened, silenced and closed. While held, an Open
// waits until the test lets it go, as a synth does while it reads its
// SoundFont.
class GatedMidiDevices final : public MidiOutDevices {
public:
    explicit GatedMidiDevices(RecordingMidiDevices& devices) : devices_(devices) {}

    int Count() override { return devices_.Count(); }
    std::unique_ptr<MidiOutPort> Open(int device) override
    {
        {
            std::unique_lock lock(mutex_);
            openThreads_.push_back(std::this_thread::get_id());
            opening_.notify_all();
            released_.wait(lock, [this] { return !held_; });
        }
        std::unique_ptr<MidiOutPort> port = devices_.Open(device);
        if (!port) return nullptr;
        return std::make_unique<Port>(*this, std::move(port));
    }

    void Hold()
    {
        std::lock_guard lock(mutex_);
        held_ = true;
    }
    void Release()
    {
        {
            std::lock_guard lock(mutex_);
            held_ = false;
        }
        released_.notify_all();
    }
    // Waits until an Open has begun; false when none began for a long while,
    // so that a test of something that never opens ends.
    bool WaitForOpening()
    {
        std::unique_lock lock(mutex_);
        return opening_.wait_for(lock, std::chrono::seconds(10), [this] { return !openThreads_.empty(); });
    }
    std::vector<std::thread::id> OpenThreads() const
    {
        std::lock_guard lock(mutex_);
        return openThreads_;
    }
    // The threads of every Reset and Close, in order.
    std::vector<std::thread::id> EndThreads() const
    {
        std::lock_guard lock(mutex_);
        return endThreads_;
    }

private:
    class Port final : public MidiOutPort {
    public:
        Port(GatedMidiDevices& owner, std::unique_ptr<MidiOutPort> inner) : owner_(owner), inner_(std::move(inner)) {}
        bool SendShort(std::uint32_t packed) override { return inner_->SendShort(packed); }
        int SendLong(const std::uint8_t* bytes, std::size_t length) override { return inner_->SendLong(bytes, length); }
        bool Reset() override
        {
            owner_.NoteEnd();
            return inner_->Reset();
        }
        bool Close() override
        {
            owner_.NoteEnd();
            return inner_->Close();
        }

    private:
        GatedMidiDevices& owner_;
        std::unique_ptr<MidiOutPort> inner_;
    };

    void NoteEnd()
    {
        std::lock_guard lock(mutex_);
        endThreads_.push_back(std::this_thread::get_id());
    }

    RecordingMidiDevices& devices_;
    mutable std::mutex mutex_;
    std::condition_variable opening_;
    std::condition_variable released_;
    bool held_ = false;
    std::vector<std::thread::id> openThreads_;
    std::vector<std::thread::id> endThreads_;
};

}  // namespace harkwell::testing
