#pragma once

#include "widgets/PictureRect.h"

namespace harkwell {

// Where the three waveform pictures sit in their windows, in pixels.
inline constexpr PictureRect kTunePicturePlace{10, 70, 890, 150};
inline constexpr PictureRect kPanelPicturePlace{10, 40, 890, 120};
inline constexpr PictureRect kAnalyzePicturePlace{10, 50, 510, 130};
// The tune's picture is slot 0 of the picture system; the panels own slots 1 and 2.
inline constexpr int kTuneSlot = 0;

}  // namespace harkwell
