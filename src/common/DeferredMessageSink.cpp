#include "common/DeferredMessageSink.h"

namespace harkwell {

int DeferredMessageSink::Show(std::string_view text, MessageKind kind)
{
    if (!deferring_.load()) return target_.Show(text, kind);
    std::lock_guard lock(mutex_);
    held_.push_back({std::string(text), kind});
    return kMessageOk;
}

void DeferredMessageSink::Flush()
{
    std::vector<Held> held;
    {
        std::lock_guard lock(mutex_);
        held.swap(held_);
    }
    for (const auto& message : held) target_.Show(message.text, message.kind);
}

}  // namespace harkwell
