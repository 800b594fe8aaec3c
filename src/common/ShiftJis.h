#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace harkwell {

// Area names are Shift-JIS (the Japanese Windows code page) in line.dat and
// UTF-8 everywhere else. A character that the other side cannot hold becomes '?'.
std::string Utf8ToShiftJis(std::string_view utf8);
std::string ShiftJisToUtf8(std::string_view shiftJis);

// The longest start of a Shift-JIS text of at most maxBytes bytes that does not
// end in the first byte of a two-byte character.
std::string_view CutShiftJis(std::string_view shiftJis, std::size_t maxBytes);

// The longest start of a UTF-8 text whose Shift-JIS form fits maxBytes bytes.
std::string FitToShiftJisBytes(std::string_view utf8, std::size_t maxBytes);

}  // namespace harkwell
