#include "app/InstallLayout.h"

#include <filesystem>
#include <system_error>

namespace harkwell {

std::vector<std::string> DataFoldersFor(const std::string& programFolder)
{
    std::vector<std::string> folders;
    if (!programFolder.empty()) {
        const std::filesystem::path program(programFolder);
        folders.push_back(program.lexically_normal().string());
        folders.push_back((program / ".." / "share" / "harkwell").lexically_normal().string());
    }
    folders.emplace_back(kSystemDataFolder);
    return folders;
}

std::string RunningProgramFolder()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !executable.is_absolute()) return {};
    return executable.parent_path().string();
}

}  // namespace harkwell
