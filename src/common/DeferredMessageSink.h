#pragma once

#include "common/MessageSink.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace harkwell {

// Holds back the messages raised on a thread that must never wait for a
// message box (a timer thread, a sound worker), and shows them later from a
// thread that may. While not deferring it passes every message straight on.
//
// Threads: Show and SetDeferring on any thread; Flush on a thread that may
// wait for the target.
class DeferredMessageSink final : public MessageSink {
public:
    explicit DeferredMessageSink(MessageSink& target) : target_(target) {}

    // While deferring, a message is kept and Show returns OK at once.
    int Show(std::string_view text, MessageKind kind) override;
    void SetDeferring(bool deferring) { deferring_.store(deferring); }
    // Shows the kept messages in the order they came.
    void Flush();

private:
    struct Held {
        std::string text;
        MessageKind kind;
    };

    MessageSink& target_;
    std::atomic<bool> deferring_{false};
    std::mutex mutex_;
    std::vector<Held> held_;
};

}  // namespace harkwell
