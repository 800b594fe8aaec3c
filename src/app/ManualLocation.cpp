#include "app/ManualLocation.h"

#include <filesystem>
#include <system_error>

namespace harkwell {

std::optional<std::string> FindManual(const std::vector<std::string>& dataFolders)
{
    for (const std::string& folder : dataFolders) {
        const std::filesystem::path page = std::filesystem::path(folder) / kManualIndex;
        std::error_code error;
        if (std::filesystem::is_regular_file(page, error)) return page.string();
    }
    return std::nullopt;
}

std::string FileUrl(const std::string& absolutePath)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : absolutePath) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
                           byte == '-' || byte == '.' || byte == '_' || byte == '~' || byte == '/';
        if (plain) {
            url += c;
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0x0F];
        }
    }
    return url;
}

bool OpenManual(Shell& shell, std::ostream& errors)
{
    const std::vector<std::string> folders = shell.DataFolders();
    const std::optional<std::string> page = FindManual(folders);
    if (!page) {
        errors << "Help: no manual found; looked for " << kManualIndex << " in";
        for (const std::string& folder : folders) errors << ' ' << folder;
        errors << '\n';
        return false;
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(*page, error);
    const std::string url = FileUrl(error ? *page : absolute.lexically_normal().string());
    if (!shell.OpenUrl(url)) {
        errors << "Help: no browser could open " << url << '\n';
        return false;
    }
    return true;
}

}  // namespace harkwell
