#pragma once

#include "common/Shell.h"

#include <string>
#include <vector>

namespace harkwell::testing {

// Keeps what would have been opened or started, and opens nothing. The
// folders it tells are the test's own; by default there are none to find.
class RecordingShell final : public Shell {
public:
    bool OpenUrl(const std::string& url) override
    {
        urls.push_back(url);
        return opens;
    }
    bool StartProgram(const std::string& path) override
    {
        programs.push_back(path);
        return starts;
    }
    std::string ProgramsFolder() override { return programsFolder; }
    std::vector<std::string> DataFolders() override { return dataFolders; }

    std::vector<std::string> urls;
    std::vector<std::string> programs;
    bool opens = true;   // false: as if there were no browser
    bool starts = true;  // false: as if the program would not start
    std::string programsFolder;
    std::vector<std::string> dataFolders;
};

}  // namespace harkwell::testing
