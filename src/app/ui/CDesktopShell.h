#pragma once

#include "common/Shell.h"

#include <string>
#include <utility>
#include <vector>

namespace harkwell {

// Web pages open in the desktop's browser; programs start detached. Add-on
// programs are looked for under `programsFolder`, the shipped files beside
// the running program and in its installed data folders.
class CDesktopShell final : public Shell {
public:
    explicit CDesktopShell(std::string programsFolder = "/opt") : programsFolder_(std::move(programsFolder)) {}

    [[nodiscard]] bool OpenUrl(const std::string& url) override;
    [[nodiscard]] bool StartProgram(const std::string& path) override;
    [[nodiscard]] std::string ProgramsFolder() override { return programsFolder_; }
    [[nodiscard]] std::vector<std::string> DataFolders() override;

private:
    std::string programsFolder_;
};

}  // namespace harkwell
