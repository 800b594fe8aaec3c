#pragma once

#include <string>
#include <vector>

namespace harkwell {

// The desktop: web pages, other programs, and where things are installed.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens an address in the user's browser; false when nothing could open it.
    [[nodiscard]] virtual bool OpenUrl(const std::string& url) = 0;
    // Starts a program on its own; false when it could not be started.
    [[nodiscard]] virtual bool StartProgram(const std::string& path) = 0;
    // The folder that add-on programs are installed under ("/opt"); empty when unknown.
    [[nodiscard]] virtual std::string ProgramsFolder() = 0;
    // The folders that may hold the files shipped with this program (its
    // manual), first choice first.
    [[nodiscard]] virtual std::vector<std::string> DataFolders() = 0;
};

}  // namespace harkwell
