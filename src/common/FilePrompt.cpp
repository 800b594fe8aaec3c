#include "common/FilePrompt.h"

#include "common/Files.h"

namespace harkwell {

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string::size_type begin = 0;
    while (true) {
        const auto end = text.find(separator, begin);
        parts.push_back(text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        if (end == std::string::npos) return parts;
        begin = end + 1;
    }
}

}  // namespace

std::vector<FileFilter> ParseFileFilters(const std::string& filterText)
{
    // The text ends at the first empty field ("||").
    std::vector<std::string> fields = Split(filterText, '|');
    std::vector<FileFilter> filters;
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        if (fields[i].empty()) break;
        FileFilter filter{fields[i], {}};
        for (auto& pattern : Split(fields[i + 1], ';'))
            if (!pattern.empty()) filter.patterns.push_back(pattern);
        filters.push_back(std::move(filter));
    }
    return filters;
}

std::string DialogNameFilter(const FileFilter& filter)
{
    // A trailing "(...)" of the description is replaced: the dialogs read the
    // patterns from it and want them separated by blanks.
    std::string name = filter.description;
    const auto open = name.rfind('(');
    if (!name.empty() && name.back() == ')' && open != std::string::npos) name.erase(open);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    std::string patterns;
    for (const auto& pattern : filter.patterns) patterns.append(patterns.empty() ? "" : " ").append(pattern);
    return (name.empty() ? std::string() : name + " ") + "(" + patterns + ")";
}

bool PromptOpenFile(FilePrompt& prompt, const std::string& defaultExtension, const std::string& filterText,
                    std::string& path, const std::string* initialFileName, int* filterIndex,
                    const std::string* initialFolder)
{
    OpenFileRequest request;
    request.defaultExtension = defaultExtension;
    request.filters = ParseFileFilters(filterText);
    if (initialFileName != nullptr) {
        request.initialFileName = *initialFileName;
        if (initialFolder != nullptr && (initialFileName->empty() || !CanOpenFile(*initialFileName)))
            request.initialFolder = *initialFolder;
    }
    const std::optional<OpenFileChoice> choice = prompt.PromptOpen(request);
    if (!choice) return false;
    path = choice->path;
    if (filterIndex != nullptr) *filterIndex = choice->filterIndex;
    return true;
}

}  // namespace harkwell
