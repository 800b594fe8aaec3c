#pragma once

#include <string>
#include <vector>

namespace harkwell {

// Where the program's shipped files live when it is installed system-wide.
inline constexpr const char* kSystemDataFolder = "/usr/share/harkwell";

// The folders that may hold the program's shipped files, first choice first:
// the program's own folder (a build tree keeps them beside the program), the
// share folder of the prefix it is installed under (`<prefix>/bin/harkwell`
// finds `<prefix>/share/harkwell`), and the system's data folder. Without a
// program folder only the system's.
std::vector<std::string> DataFoldersFor(const std::string& programFolder);

// The folder of the running program's executable; empty when it cannot be told.
std::string RunningProgramFolder();

}  // namespace harkwell
