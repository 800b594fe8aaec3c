#pragma once

#include "common/MessageSink.h"

#include <functional>

namespace harkwell {

// Keeps two input dialogs of one kind from being open at once: the panels
// stay usable while a modal dialog of the main window is open.
class InputDialogGuard {
public:
    // Runs the dialog unless one is open already, in which case it shows
    // "Other input dialog is open now." and returns false.
    bool Run(MessageSink& messages, const std::function<void()>& dialog);
    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};

}  // namespace harkwell
