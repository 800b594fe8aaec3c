#include "app/InputDialogGuard.h"

#include "app/Guidance.h"
#include "common/ErrorReport.h"

namespace harkwell {

bool InputDialogGuard::Run(MessageSink& messages, const std::function<void()>& dialog)
{
    if (open_) {
        ShowPlainMessage(messages, MainMessageText(MainMessage::DialogOpen));
        return false;
    }
    open_ = true;
    // Cleared however the dialog ends.
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{open_};
    dialog();
    return true;
}

}  // namespace harkwell
