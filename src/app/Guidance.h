#pragma once

#include <string>
#include <string_view>

namespace harkwell {

// The main window's guidance line for the state of the work.
std::string GuidanceText(bool tuneLoaded, bool marked, bool playing);

// The main window's messages, by their numbers.
enum class MainMessage { TooNarrow = 1, NowPlaying = 2, NotMarked = 3, DialogOpen = 4 };

// A message's text; an empty one for a number that names none.
std::string_view MainMessageText(MainMessage message);

}  // namespace harkwell
