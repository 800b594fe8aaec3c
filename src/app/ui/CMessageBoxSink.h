#pragma once

#include "common/MessageSink.h"

class QWidget;

namespace harkwell {

// Shows every message of the program in a QMessageBox with an OK button only.
// Messages from other threads are carried to the user-interface thread, and
// the caller waits until the box is closed.
class CMessageBoxSink final : public MessageSink {
public:
    explicit CMessageBoxSink(QWidget* parent = nullptr) : parent_(parent) {}
    int Show(std::string_view text, MessageKind kind) override;

private:
    int ShowHere(const std::string& text, MessageKind kind);

    QWidget* parent_;
};

}  // namespace harkwell
