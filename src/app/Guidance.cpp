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

std::string_view MainMessageText(MainMessage message)
{
    switch (message) {
    case MainMessage::TooNarrow: return "Area is too narrow.";
    case MainMessage::NowPlaying: return "Now playing.";
    case MainMessage::NotMarked: return "Area is not marked at all.";
    case MainMessage::DialogOpen: return "Other input dialog is open now.";
    }
    return "";
}

}  // namespace harkwell
