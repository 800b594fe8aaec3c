#include "areas/AreaListing.h"

#include "areas/AreaColours.h"

#include <cstdio>

namespace harkwell {

std::string AreaListRow(const WaveformArea& area, int list, std::uint32_t sampleRate)
{
    std::string word = area.name;
    if (area.colour == kCurrentColour)
        word = list == kPanelAreaList ? "解析中" : "採譜中";
    else if (area.colour == kSelectionColour)
        word = "選択中";
    const std::uint32_t rate = sampleRate == 0 ? 44100 : sampleRate;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%03u - %03u [", area.start / rate, area.end / rate);
    return seconds + word + "] ";
}

std::size_t AreaColourChoiceOf(std::uint32_t colour)
{
    for (std::size_t i = 0; i < kAreaColourChoices.size(); ++i)
        if (kAreaColourChoices[i].colour == colour) return i;
    return kAreaColourChoices.size() - 1;
}

}  // namespace harkwell
