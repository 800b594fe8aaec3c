#pragma once

#include "areas/AreaColours.h"

namespace harkwell {

class CWavePicture;

// Marking a stretch on a picture slot with the mouse: a press shows a line
// where the stretch starts, the release shows the stretch as the one
// selection area of the slot. Without a tune only the drag state changes.
void PressSelection(CWavePicture& pictures, int slot, StretchSelection& selection, bool tuneLoaded,
                    std::uint32_t frame);
void ReleaseSelection(CWavePicture& pictures, int slot, StretchSelection& selection, bool tuneLoaded,
                      std::uint32_t frame);

}  // namespace harkwell
