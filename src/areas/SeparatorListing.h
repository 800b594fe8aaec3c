#pragma once

#include "areas/SeparatorTable.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace harkwell {

// The bar dialog's row of separator i: "開始位置 %03d 秒  %d bpm", its start
// in whole seconds and its tempo.
std::string SeparatorRow(const SeparatorTable& table, int index, std::uint32_t sampleRate);

// Milliseconds typed into the separator's length box: the whole number the
// text begins with (after blanks, with an optional sign), 0 when it begins
// with none, clamped to the range of an int.
int LeadingMilliseconds(std::string_view text);

}  // namespace harkwell
