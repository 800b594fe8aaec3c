#include "analysis/ScoreGrid.h"

namespace harkwell {

void ScoreGrid::MakeSingle(int position, int entry)
{
    Position& slot = Slot(position);
    slot.entries = {};
    slot.entries[0] = entry;
    slot.count = 1;
}

bool ScoreGrid::Write(int entry, int length)
{
    if (cursor_ < 0 || cursor_ >= kPositions) return false;
    Position& first = Slot(cursor_);
    const bool startsChord = first.count > 0 && first.entries[0] >= 0;
    if (entry >= 0 && startsChord && first.count >= kMaxChord) return false;

    // A note over what was no note: what remains of the overwritten value becomes a rest.
    const bool noteOverNoNote = entry >= 0 && !startsChord;
    if (entry >= 0 && startsChord) {
        first.entries[static_cast<std::size_t>(first.count++)] = entry;
    } else {
        MakeSingle(cursor_, entry);
    }
    int p = cursor_ + 1;
    for (int step = 1; step < length; ++step, ++p) {
        if (p >= kPositions) return true;
        MakeSingle(p, kHeld);
    }
    if (noteOverNoNote && p < kPositions) {
        const Position& after = At(p);
        if (after.count == 1 && after.entries[0] == kHeld) MakeSingle(p, kRest);
    }
    return true;
}

int ScoreGrid::LengthAt(int position) const
{
    int length = 1;
    for (int p = position + 1; p < kPositions; ++p) {
        const Position& next = At(p);
        if (next.count != 1 || next.entries[0] != kHeld) break;
        ++length;
    }
    return length;
}

}  // namespace harkwell
