#pragma once

#include <string_view>

namespace harkwell {

// How a message box blocks: system-modal boxes come from the module error
// reporters, plain ones from dialogs and pictures. Both have an OK button only.
enum class MessageKind { SystemModal, Plain };

// The button that closed a message box.
inline constexpr int kMessageOk = 1;

// Every message box of the system goes through one of these.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual int Show(std::string_view text, MessageKind kind) = 0;
};

}  // namespace harkwell
