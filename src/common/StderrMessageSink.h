#pragma once

#include "common/MessageSink.h"

#include <cstdio>

namespace harkwell {

// Messages of the command-line tools: one line "message: TEXT" each.
class StderrMessageSink final : public MessageSink {
public:
    explicit StderrMessageSink(std::FILE* out = stderr) : out_(out) {}
    int Show(std::string_view text, MessageKind kind) override;

private:
    std::FILE* out_;
};

}  // namespace harkwell
