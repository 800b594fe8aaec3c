#pragma once

#include "score/StaffLayout.h"

#include <cstdint>
#include <vector>

namespace harkwell {

// One head of a chord as it is drawn.
struct ChordHead {
    int pitch;
    double shift;  // right of the chord's column: 0, or one spacing for the upper head of a second
    double dotY;   // the middle of its dots, in a space
};

// Where the parts of a chord go: the notes that start at one time with one
// value share one stem, so its flags are drawn once, at the stem's end, and
// its dots stand in one column right of every head. A single note is a
// chord of one.
struct ChordPlan {
    std::vector<ChordHead> heads;  // lowest first
    bool stemDown = false;
    // The stem runs down the heads' middles from `stemFrom` (the head at the
    // flags' end) to `stemTo` (the farthest head).
    int stemFrom = 0;
    int stemTo = 0;
    // Where the stem stands right of the column's left edge: the heads'
    // right for an up stem, their left for a down one, and between the two
    // columns when a second puts heads on both sides.
    double stemX = 0;
    // The left of the first dot, right of the column's left edge.
    double dotX = 0;
};

// The plan of a chord of the pitches (in range, any order) at a time of the bar.
ChordPlan PlanChord(const StaffLayout& layout, std::int32_t time, std::vector<int> pitches);

}  // namespace harkwell
