#pragma once

#include "common/MessageSink.h"

#include <memory>
#include <string>

class QWidget;

namespace harkwell {

// Shows every message of the program in a QMessageBox with an OK button only.
// On the user-interface thread Show waits until the box is closed. A message
// raised on another thread is queued for the user-interface thread and Show
// returns OK at once: a worker never waits for the interface, which may be
// joining that worker. Queued messages are shown in the order they came, one
// box at a time, once the interface thread runs its event loop.
class CMessageBoxSink final : public MessageSink {
public:
    explicit CMessageBoxSink(QWidget* parent = nullptr);
    ~CMessageBoxSink() override;
    CMessageBoxSink(const CMessageBoxSink&) = delete;
    CMessageBoxSink& operator=(const CMessageBoxSink&) = delete;

    int Show(std::string_view text, MessageKind kind) override;

private:
    // Shared with the calls posted to the interface thread, which may run
    // after the sink is gone.
    struct Queue;

    std::shared_ptr<Queue> queue_;
};

}  // namespace harkwell
