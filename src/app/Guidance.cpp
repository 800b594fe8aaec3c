#include "app/Guidance.h"

namespace harkwell {

std::string GuidanceText(bool tuneLoaded, bool marked, bool playing)
{
    std::string text;
    if (!tuneLoaded) {
        text = "Load a tune for copying down.\n\rLoad WAV file or CD Track.";
    } else if (!marked) {
        text = "Mark area for copying down.\n\rDevide several bars and work with one at one time.";
    } else {
        if (!playing) text = "Click Play button to play area.";
        text += "\n\rStart copying down after mark is set.";
    }
    if (playing) text += "\n\rPlaying a tune now.";
    return text;
}

std::string_view MainMessageText(int code)
{
    switch (code) {
    case kMessageTooNarrow: return "Area is too narrow.";
    case kMessageNowPlaying: return "Now playing.";
    case kMessageNotMarked: return "Area is not marked at all.";
    case kMessageDialogOpen: return "Other input dialog is open now.";
    default: return "";
    }
}

}  // namespace harkwell
