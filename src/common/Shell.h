#pragma once

#include <string>

namespace harkwell {

// The desktop: web pages and other programs.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens an address in the user's browser; false when nothing could open it.
    [[nodiscard]] virtual bool OpenUrl(const std::string& url) = 0;
    // Starts a program on its own; false when it could not be started.
    [[nodiscard]] virtual bool StartProgram(const std::string& path) = 0;
};

}  // namespace harkwell
