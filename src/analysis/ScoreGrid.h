#pragma once

#include <array>
#include <cstdint>

namespace harkwell {

// The note-value picker: 3 rows of 5 values in sixteenths (two rows of notes,
// one of rests), with the symbol shown in each cell.
inline constexpr int kPickerRows = 3;
inline constexpr int kPickerColumns = 5;
inline constexpr int kPickerRestRow = 2;
inline constexpr std::array<std::array<int, kPickerColumns>, kPickerRows> kPickerValues{{
    {16, 14, 12, 8, 7},
    {6, 4, 3, 2, 1},
    {16, 8, 4, 2, 1},
}};
inline constexpr std::array<std::array<int, kPickerColumns>, kPickerRows> kPickerSymbols{{
    {140, 143, 142, 141, 146},
    {145, 144, 148, 147, 149},
    {150, 151, 152, 153, 154},
}};

// One 4/4 bar as sixteen sixteenth-note positions. A position holds a chord of
// up to eight notes, a rest, or a hold that continues what starts earlier.
class ScoreGrid {
public:
    static constexpr int kPositions = 16;
    static constexpr int kMaxChord = 8;
    static constexpr int kRest = -1;
    static constexpr int kHeld = -2;
    // Ticks of one position at the score's division of 960.
    static constexpr std::int32_t kSixteenthTicks = 240;

    struct Position {
        std::array<int, kMaxChord> entries{};
        int count = 0;
    };

    // Writes a note (0..127) or a rest (kRest) of `length` sixteenths from the
    // cursor, cut at the bar's end. A note joins a chord that starts at the
    // cursor; a note written over a rest or a hold turns the remainder of what
    // it overwrote into a rest. Returns false, changing nothing, when the
    // cursor lies outside the bar or a ninth note would join a chord.
    [[nodiscard]] bool Write(int entry, int length);

    // The length in sixteenths of what starts at the position: 1 and the holds that follow.
    int LengthAt(int position) const;

    void Clear() { positions_ = {}; }
    void SetCursor(int cursor) { cursor_ = cursor; }
    int Cursor() const { return cursor_; }
    const Position& At(int position) const { return positions_[static_cast<std::size_t>(position)]; }

private:
    Position& Slot(int position) { return positions_[static_cast<std::size_t>(position)]; }
    void MakeSingle(int position, int entry);

    std::array<Position, kPositions> positions_{};
    int cursor_ = 0;
};

}  // namespace harkwell
