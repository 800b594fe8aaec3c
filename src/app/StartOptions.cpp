#include "app/StartOptions.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace harkwell {

StartOptions ParseStartOptions(const std::vector<std::string>& arguments)
{
    StartOptions options;
    for (const std::string& argument : arguments) {
        if (argument == "--data-home") {
            options.dataHome = true;
        } else if (argument == "--self-check") {
            options.selfCheck = true;
        } else if (argument == "--help" || argument == "-h") {
            options.usage = true;
        } else {
            options.error = "unknown option: " + argument;
            break;
        }
    }
    return options;
}

std::string DataHomeFolder(const char* xdgDataHome, const char* home)
{
    // A relative XDG_DATA_HOME is not valid and is ignored, as the base directory rules say.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') return (std::filesystem::path(xdgDataHome) / "harkwell").string();
    if (home != nullptr && home[0] == '/') return (std::filesystem::path(home) / ".local" / "share" / "harkwell").string();
    return {};
}

bool EnterWorkFolder(const std::string& folder, std::string& cause)
{
    if (folder.empty()) {
        cause = "neither XDG_DATA_HOME nor HOME names a folder";
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        cause = folder + ": " + error.message();
        return false;
    }
    if (chdir(folder.c_str()) != 0) {
        cause = folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace harkwell
