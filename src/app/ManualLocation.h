#pragma once

#include "common/Shell.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace harkwell {

// The manual's index page inside a data folder.
inline constexpr const char* kManualIndex = "manual/index.htm";

// The index page of the first data folder that holds one as a regular file.
std::optional<std::string> FindManual(const std::vector<std::string>& dataFolders);

// A file: address for an absolute path, with every byte outside the
// unreserved characters and "/" percent-encoded.
std::string FileUrl(const std::string& absolutePath);

// The Help command: opens the manual at its index page in the desktop's
// browser. Without a manual or a browser nothing opens, and `errors` is told why.
bool OpenManual(Shell& shell, std::ostream& errors);

}  // namespace harkwell
