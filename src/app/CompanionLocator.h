#pragma once

#include "common/Shell.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace harkwell {

// The companion score editor's folder under the programs folder, and its program.
inline constexpr const char* kCompanionFolder = "Orvane/Staffwright";
inline constexpr const char* kCompanionProgram = "Staffwright";

// A version folder's name read as numbers: "10.2" is {10, 2}. None for a
// name that is not digits separated by single dots ("readme", "2.0-beta", "1..2").
std::optional<std::vector<std::uint64_t>> ParseVersion(std::string_view name);

// Orders versions part by part as numbers: 10.2 > 9.13 > 9.2, and 2 == 2.0.
int CompareVersions(const std::vector<std::uint64_t>& a, const std::vector<std::uint64_t>& b);

// The companion program of the newest version folder above 0 that holds it
// as an executable regular file; none when no version does.
std::optional<std::string> FindCompanion(const std::string& programsFolder);

// The Input Score command: starts the newest companion program on its own.
// Nothing is shown when there is none; `errors` hears why nothing started.
bool StartCompanion(Shell& shell, std::ostream& errors);

}  // namespace harkwell
