#pragma once

#include "areas/AreaColours.h"

#include <cstdint>
#include <utility>

namespace harkwell {

// The stretch a panel shows, in frames of the tune, and the piece the user
// has selected in it, in the panel's own frames.
struct PanelStretch {
    std::uint32_t dataStart = 0;
    std::uint32_t dataLength = 0;
    std::uint32_t sampleRate = 44100;
    StretchSelection selection;
};

// The frames of the tune that a panel's Play button plays: the selected
// piece, or from the selection's start to the end of the stretch when
// nothing is selected (a click without a drag).
inline std::pair<std::uint32_t, std::uint32_t> PlayedStretch(const PanelStretch& panel)
{
    const std::uint32_t start = panel.dataStart + panel.selection.start;
    const std::uint32_t end = panel.selection.start == panel.selection.end ? panel.dataStart + panel.dataLength
                                                                           : panel.dataStart + panel.selection.end;
    return {start, end};
}

}  // namespace harkwell
