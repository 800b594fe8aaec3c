#pragma once

#include <string>
#include <string_view>

namespace harkwell {

// The main window's guidance line for the state of the work.
std::string GuidanceText(bool tuneLoaded, bool marked, bool playing);

// The main window's messages: 1 too narrow, 2 playing, 3 not marked, 4 a dialog is open.
std::string_view MainMessageText(int code);

inline constexpr int kMessageTooNarrow = 1;
inline constexpr int kMessageNowPlaying = 2;
inline constexpr int kMessageNotMarked = 3;
inline constexpr int kMessageDialogOpen = 4;

}  // namespace harkwell
