#pragma once

#include "audio/WaveformAreas.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace harkwell {

// The area lists the list dialog shows: 0 the copied-down stretches of the
// tune, 1 the pieces analysed in the area panel's stretch.
inline constexpr int kTuneAreaList = 0;
inline constexpr int kPanelAreaList = 1;

// A list row: "%03d - %03d [%s] " with the whole seconds of the area's start
// and end, and the area's name, or its state for the current area and a
// fresh selection.
std::string AreaListRow(const WaveformArea& area, int list, std::uint32_t sampleRate);

struct AreaColourChoice {
    std::string_view text;
    std::uint32_t colour;  // 0x00BBGGRR
};

// The colours an area may be given by hand, in the order the setting dialog lists them.
inline constexpr std::array<AreaColourChoice, 5> kAreaColourChoices{{
    {"赤", 0xBFBFFF},
    {"緑", 0x9FDF9F},
    {"青", 0xFFBFBF},
    {"黄", 0xBFFFFF},
    {"灰", 0x9F9F9F},
}};

// The entry of the colour, or grey's for a colour not in the list (the
// current area's and a selection's).
std::size_t AreaColourChoiceOf(std::uint32_t colour);

}  // namespace harkwell
