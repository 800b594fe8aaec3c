#include "common/StderrMessageSink.h"

namespace harkwell {

int StderrMessageSink::Show(std::string_view text, MessageKind)
{
    std::fprintf(out_, "message: %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(out_);
    return kMessageOk;
}

}  // namespace harkwell
