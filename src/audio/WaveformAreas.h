#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace harkwell {

// A kept stretch of a waveform: a band of its colour from start to end.
struct WaveformArea {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    std::uint32_t colour = 0;  // 0x00BBGGRR
    std::string name;          // UTF-8 that fits kMaxNameBytes bytes of Shift-JIS

    friend bool operator==(const WaveformArea&, const WaveformArea&) = default;
};

// The areas of one waveform, in the order in which they were added (a later
// one is painted over an earlier one).
class WaveformAreas {
public:
    static constexpr std::size_t kMaxAreas = 100;
    static constexpr std::size_t kMaxNameBytes = 31;

    // Appends the area. Its name keeps the characters that fit the name field
    // of the area file (kMaxNameBytes bytes of Shift-JIS), so what is shown is
    // what is saved. False, and nothing added, when kMaxAreas are kept.
    [[nodiscard]] bool Add(std::uint32_t start, std::uint32_t end, std::uint32_t colour, std::string_view name);
    // Index of the first area with exactly this start and end, or -1.
    int Find(std::uint32_t start, std::uint32_t end) const;
    // Gives the area at `index` a new name (fitted as Add fits it) and colour;
    // false when there is none.
    bool Rename(std::size_t index, std::string_view name, std::uint32_t colour);
    // Removes the area at `index`, closing the gap; false when there is none.
    [[nodiscard]] bool RemoveAt(std::size_t index);
    // Removes the first area of this colour; nothing when none has it.
    void RemoveFirstOfColour(std::uint32_t colour);
    // Every area of the old colour takes the new one.
    void Recolour(std::uint32_t oldColour, std::uint32_t newColour);
    void Clear() { areas_.clear(); }

    std::size_t size() const { return areas_.size(); }
    const WaveformArea& operator[](std::size_t index) const { return areas_[index]; }
    auto begin() const { return areas_.begin(); }
    auto end() const { return areas_.end(); }

private:
    std::vector<WaveformArea> areas_;
};

}  // namespace harkwell
