#pragma once

#include "common/Shell.h"

namespace harkwell {

// Web pages open in the desktop's browser; programs start detached.
class CDesktopShell final : public Shell {
public:
    [[nodiscard]] bool OpenUrl(const std::string& url) override;
    [[nodiscard]] bool StartProgram(const std::string& path) override;
};

}  // namespace harkwell
