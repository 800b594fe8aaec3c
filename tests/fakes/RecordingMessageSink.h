#pragma once

#include "common/MessageSink.h"

#include <string>
#include <vector>

namespace harkwell::testing {

// Keeps every message shown, in order, with its kind.
class RecordingMessageSink final : public MessageSink {
public:
    struct Message {
        std::string text;
        MessageKind kind;
    };

    int Show(std::string_view text, MessageKind kind) override
    {
        messages.push_back({std::string(text), kind});
        return kMessageOk;
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& message : messages) texts.push_back(message.text);
        return texts;
    }

    std::vector<Message> messages;
};

}  // namespace harkwell::testing
