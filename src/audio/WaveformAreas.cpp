#include "audio/WaveformAreas.h"

#include "common/ShiftJis.h"

#include <algorithm>

namespace harkwell {

bool WaveformAreas::Add(std::uint32_t start, std::uint32_t end, std::uint32_t colour, std::string_view name)
{
    if (areas_.size() >= kMaxAreas) return false;
    areas_.push_back({start, end, colour, FitToShiftJisBytes(name, kMaxNameBytes)});
    return true;
}

bool WaveformAreas::Rename(std::size_t index, std::string_view name, std::uint32_t colour)
{
    if (index >= areas_.size()) return false;
    areas_[index].name = FitToShiftJisBytes(name, kMaxNameBytes);
    areas_[index].colour = colour;
    return true;
}

int WaveformAreas::Find(std::uint32_t start, std::uint32_t end) const
{
    const auto found = std::find_if(areas_.begin(), areas_.end(),
                                    [&](const WaveformArea& area) { return area.start == start && area.end == end; });
    return found == areas_.end() ? -1 : static_cast<int>(found - areas_.begin());
}

bool WaveformAreas::RemoveAt(std::size_t index)
{
    if (index >= areas_.size()) return false;
    areas_.erase(areas_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

void WaveformAreas::RemoveFirstOfColour(std::uint32_t colour)
{
    const auto found = std::find_if(areas_.begin(), areas_.end(),
                                    [&](const WaveformArea& area) { return area.colour == colour; });
    if (found != areas_.end()) areas_.erase(found);
}

void WaveformAreas::Recolour(std::uint32_t oldColour, std::uint32_t newColour)
{
    for (WaveformArea& area : areas_)
        if (area.colour == oldColour) area.colour = newColour;
}

}  // namespace harkwell
