#pragma once

#include <optional>
#include <string>
#include <vector>

namespace harkwell {

// One line of a file filter: what the user reads and the name patterns it admits.
struct FileFilter {
    std::string description;            // "WAV Files (*.wav)"
    std::vector<std::string> patterns;  // {"*.wav"}
};

// Splits "WAV Files (*.wav)|*.wav|All Files (*.*)|*.*||" into its filters.
// Patterns are separated by ';' within a filter.
std::vector<FileFilter> ParseFileFilters(const std::string& filterText);

// A filter as desktop file dialogs write it: "WAV Files (*.wav *.wave)".
std::string DialogNameFilter(const FileFilter& filter);

struct OpenFileRequest {
    std::string defaultExtension;
    std::vector<FileFilter> filters;
    std::string initialFileName;  // empty: none
    std::string initialFolder;    // empty: the prompt's own choice
};

struct OpenFileChoice {
    std::string path;
    int filterIndex = 1;  // 1-based, as the user left it
};

struct SaveFileRequest {
    std::string defaultExtension;
    std::vector<FileFilter> filters;
};

// The open- and save-file prompts; the program shows file dialogs, tests answer from a script.
class FilePrompt {
public:
    virtual ~FilePrompt() = default;
    // The chosen file, or nothing when the user cancelled.
    [[nodiscard]] virtual std::optional<OpenFileChoice> PromptOpen(const OpenFileRequest& request) = 0;
    // The file to write, after the user agreed to replace one that exists
    // (read-only files are not offered); nothing when the user cancelled.
    [[nodiscard]] virtual std::optional<std::string> PromptSave(const SaveFileRequest& request) = 0;
};

// Asks the user for a file to open. The initial folder is used only when an
// initial file name is given and it is empty or names a file that cannot be
// opened. True with the path (and the filter index when asked), false on cancel.
[[nodiscard]] bool PromptOpenFile(FilePrompt& prompt, const std::string& defaultExtension,
                                  const std::string& filterText, std::string& path,
                                  const std::string* initialFileName = nullptr, int* filterIndex = nullptr,
                                  const std::string* initialFolder = nullptr);

}  // namespace harkwell
