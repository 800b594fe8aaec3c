#include "app/CompanionLocator.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>
#include <utility>

#include <unistd.h>

namespace harkwell {

namespace {

bool IsExecutableFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
}

bool IsAboveZero(const std::vector<std::uint64_t>& version)
{
    return std::any_of(version.begin(), version.end(), [](std::uint64_t part) { return part != 0; });
}

}  // namespace

std::optional<std::vector<std::uint64_t>> ParseVersion(std::string_view name)
{
    std::vector<std::uint64_t> parts;
    std::uint64_t part = 0;
    bool digits = false;
    for (const char c : name) {
        if (c == '.') {
            if (!digits) return std::nullopt;
            parts.push_back(part);
            part = 0;
            digits = false;
        } else if (c >= '0' && c <= '9') {
            const auto digit = static_cast<std::uint64_t>(c - '0');
            if (part > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
            part = part * 10 + digit;
            digits = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    parts.push_back(part);
    return parts;
}

int CompareVersions(const std::vector<std::uint64_t>& a, const std::vector<std::uint64_t>& b)
{
    const std::size_t count = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t left = i < a.size() ? a[i] : 0;
        const std::uint64_t right = i < b.size() ? b[i] : 0;
        if (left != right) return left < right ? -1 : 1;
    }
    return 0;
}

std::optional<std::string> FindCompanion(const std::string& programsFolder)
{
    if (programsFolder.empty()) return std::nullopt;
    const std::filesystem::path folder = std::filesystem::path(programsFolder) / kCompanionFolder;
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) return std::nullopt;

    std::vector<std::pair<std::vector<std::uint64_t>, std::string>> versions;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_directory(typeError)) continue;
        const std::string name = it->path().filename().string();
        auto version = ParseVersion(name);
        if (version && IsAboveZero(*version)) versions.emplace_back(std::move(*version), name);
    }
    // Newest first; equal versions ("2" and "2.0") by name, so the choice never depends on the folder's order.
    std::sort(versions.begin(), versions.end(), [](const auto& a, const auto& b) {
        const int order = CompareVersions(a.first, b.first);
        return order != 0 ? order > 0 : a.second < b.second;
    });
    for (const auto& [version, name] : versions) {
        const std::filesystem::path program = folder / name / kCompanionProgram;
        if (IsExecutableFile(program)) return program.string();
    }
    return std::nullopt;
}

bool StartCompanion(Shell& shell, std::ostream& errors)
{
    const std::string programs = shell.ProgramsFolder();
    const std::optional<std::string> program = FindCompanion(programs);
    if (!program) {
        errors << "Input Score: " << kCompanionProgram << " is not installed under " << programs << '/'
               << kCompanionFolder << '\n';
        return false;
    }
    if (!shell.StartProgram(*program)) {
        errors << "Input Score: " << *program << " could not be started\n";
        return false;
    }
    return true;
}

}  // namespace harkwell
