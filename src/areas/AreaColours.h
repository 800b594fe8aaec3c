#pragma once

#include <cstdint>
#include <string_view>

namespace harkwell {

// Colours with a meaning for the work, 0x00BBGGRR.
inline constexpr std::uint32_t kSelectionColour = 0xC8FFC8;  // just marked with the mouse
inline constexpr std::uint32_t kCurrentColour = 0x7F7FFF;    // being copied down or analysed
inline constexpr std::uint32_t kDoneColour = 0x9F9F9F;       // was current before

// The name of an area nobody has named yet.
inline constexpr std::string_view kUndefinedAreaName = "Undefined Name";

// Stretches narrower than this cannot be copied down or analysed.
inline constexpr std::uint32_t kMinStretchFrames = 2756;

// A stretch marked on a picture, in the picture's own frames.
struct StretchSelection {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    bool dragging = false;
};

}  // namespace harkwell
