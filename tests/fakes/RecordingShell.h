#pragma once

#include "common/Shell.h"

#include <string>
#include <vector>

namespace harkwell::testing {

// Keeps what would have been opened or started, and opens nothing.
class RecordingShell final : public Shell {
public:
    bool OpenUrl(const std::string& url) override
    {
        urls.push_back(url);
        return true;
    }
    bool StartProgram(const std::string& path) override
    {
        programs.push_back(path);
        return true;
    }

    std::vector<std::string> urls;
    std::vector<std::string> programs;
};

}  // namespace harkwell::testing
