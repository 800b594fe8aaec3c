#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace harkwell {

// A head's box on the staff, in pixels of the staff's area.
struct HeadBox {
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;
};

// The geometry of a grand staff (treble and bass) over a range of pitches:
// rows of lines, their spacing, where each pitch's head sits, which way its
// stem points and which ledger lines it needs, and where in the bar a time
// falls. Black keys are written as sharps of the white key below.
class StaffLayout {
public:
    // The range always holds the two staves, 42..84, whatever is asked.
    static constexpr int kLowestShown = 42;
    static constexpr int kHighestShown = 84;
    // The pitches whose rows carry the five lines of each staff.
    static constexpr std::array<int, 10> kStaffLinePitches{43, 47, 50, 53, 57, 64, 67, 71, 74, 77};
    static constexpr int kMiddleC = 60;

    StaffLayout(int width, int height, int lowest, int highest);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Lowest() const { return lowest_; }
    int Highest() const { return highest_; }
    bool InRange(int pitch) const { return pitch >= lowest_ && pitch <= highest_; }

    // The pitches of the line rows from the top (row 1) down.
    const std::vector<int>& RowPitches() const { return rowPitches_; }
    // Row i (1..) lies at i × spacing.
    double Spacing() const { return spacing_; }
    double RowY(int row) const { return row * spacing_; }
    // The rows drawn as staff lines (1-based, top first).
    std::vector<int> StaffLineRows() const;

    // The head box of a pitch at the start of the note area; an empty box
    // outside the range.
    HeadBox Head(int pitch) const;
    // The top of a pitch's head, or 0 outside the range.
    double NoteY(int pitch) const;

    // Left edge of the note area.
    int XOrigin() const { return width_ / 4; }
    // How far right of the note area's start a time of the bar falls.
    int XOffset(std::int32_t time, std::int32_t span) const;

    // Stems point down for the notes on and above the middle line of each staff.
    static bool StemDown(int pitch) { return pitch >= 70 || (pitch >= 49 && pitch <= 59); }
    static bool IsBlackKey(int pitch);
    // The pitches of the ledger lines a note needs: the line rows between
    // the staves and the note, its own row included; middle C's own line for
    // the notes next to it.
    std::vector<int> LedgerPitches(int pitch) const;
    static bool IsLineRow(int pitch);

private:
    int width_;
    int height_;
    int lowest_;
    int highest_;
    double spacing_;
    std::vector<int> rowPitches_;
    std::vector<double> headTops_;  // by pitch - lowest_
};

// The sign a note is written with.
enum class StaffSign { None, Sharp, Natural };

// The signs in force through one bar, by pitch class: a black key takes a
// sharp unless one is in force, a white key under a sharp in force takes a
// natural; a sign drawn cancels the other one of its pair.
class SignsInForce {
public:
    // The sign to draw before the note, and what is in force afterwards.
    StaffSign Next(int pitch);

private:
    std::array<StaffSign, 12> inForce_{};
};

// The type codes the staff is given, by the value they draw.
namespace staff_type {
inline constexpr int kSixteenth = 0;
inline constexpr int kEighth = 1;
inline constexpr int kDottedEighth = 2;
inline constexpr int kQuarter = 5;
inline constexpr int kDottedQuarter = 6;
inline constexpr int kHalf = 7;
inline constexpr int kDoubleDottedQuarter = 8;
inline constexpr int kDottedHalf = 9;
inline constexpr int kDoubleDottedHalf = 10;
inline constexpr int kWhole = 11;
}  // namespace staff_type

// The look of a note or rest of a number of sixteenths.
enum class HeadKind { Filled, Open, Whole };
struct NoteLook {
    int type;        // the type code the staff is given
    HeadKind head;
    int flags;       // 0, 1 or 2; -1 for no stem at all
    int dots;        // 0, 1 or 2
};

// The type code of a note of this many sixteenths: the value of that length,
// or of the longest value below it.
int StaffNoteType(int sixteenths);
// How a type code is drawn.
NoteLook LookOfType(int type);

// Moves the heads of a chord apart: a head that would sit on the one drawn
// just before it at the same time goes one spacing right, but never two in a
// row.
class ChordSpacing {
public:
    // How far right the head goes, 0 or one spacing.
    double Shift(std::int32_t time, int pitch, const HeadBox& head, double spacing);

private:
    bool first_ = true;
    std::int32_t time_ = 0;
    int pitch_ = 0;
    HeadBox previous_;
    bool previousMoved_ = false;
};

}  // namespace harkwell
