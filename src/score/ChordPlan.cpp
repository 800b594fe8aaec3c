#include "score/ChordPlan.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace harkwell {

namespace {

// The middle lines of the staves, where a note's stem may point either way.
constexpr int kTrebleMiddle = 71;
constexpr int kBassMiddle = 50;
constexpr double kDotGap = 0.3;  // spacings between the heads and the first dot

double Centre(const StaffLayout& layout, int pitch)
{
    const HeadBox box = layout.Head(pitch);
    return (box.top + box.bottom) / 2;
}

// How far from its staff's middle line a head sits.
double FromMiddle(const StaffLayout& layout, int pitch)
{
    const int middle = pitch >= StaffLayout::kMiddleC ? kTrebleMiddle : kBassMiddle;
    return std::abs(Centre(layout, pitch) - Centre(layout, middle));
}

// The stem follows the note farthest from its middle line, as a single note's
// does; down when two are as far.
bool ChordStemDown(const StaffLayout& layout, const std::vector<int>& pitches)
{
    const int lowest = pitches.front();
    const int highest = pitches.back();
    if (StaffLayout::StemDown(lowest) == StaffLayout::StemDown(highest)) return StaffLayout::StemDown(lowest);
    constexpr double kRounding = 1e-9;
    return FromMiddle(layout, highest) >= FromMiddle(layout, lowest) - kRounding;
}

}  // namespace

ChordPlan PlanChord(const StaffLayout& layout, std::int32_t time, std::vector<int> pitches)
{
    ChordPlan plan;
    if (pitches.empty()) return plan;
    std::sort(pitches.begin(), pitches.end());
    const double s = layout.Spacing();

    // Upwards, so that the upper head of a second is the one that moves.
    ChordSpacing spacing;
    double widest = 0;
    for (int pitch : pitches) {
        const double shift = spacing.Shift(time, pitch, layout.Head(pitch), s);
        widest = std::max(widest, shift);
        plan.heads.push_back({pitch, shift, 0.0});
    }

    // A dot stands in its head's space, or a line's head has it in the space
    // above; from the top down, a dot whose space is taken goes to the space below.
    std::set<long> taken;  // spaces in half spacings from the top
    for (auto head = plan.heads.rbegin(); head != plan.heads.rend(); ++head) {
        const double centre = Centre(layout, head->pitch);
        double y = StaffLayout::IsLineRow(head->pitch) ? centre - 0.5 * s : centre;
        if (StaffLayout::IsLineRow(head->pitch) && taken.count(std::lround(2 * y / s)) != 0) y = centre + 0.5 * s;
        taken.insert(std::lround(2 * y / s));
        head->dotY = y;
    }

    plan.stemDown = ChordStemDown(layout, pitches);
    plan.stemFrom = plan.stemDown ? pitches.front() : pitches.back();
    plan.stemTo = plan.stemDown ? pitches.back() : pitches.front();
    plan.stemX = plan.stemDown && widest == 0 ? 0.0 : s;
    plan.dotX = s + widest + kDotGap * s;
    return plan;
}

}  // namespace harkwell
