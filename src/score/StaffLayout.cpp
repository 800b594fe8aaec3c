#include "score/StaffLayout.h"

#include <algorithm>

namespace harkwell {

namespace {

// Every other white key over two octaves carries a line row: D F A C E G B.
constexpr std::array<int, 7> kLineRowClasses{2, 5, 9, 12, 16, 19, 23};

}  // namespace

bool StaffLayout::IsBlackKey(int pitch)
{
    const int pc = ((pitch % 12) + 12) % 12;
    return pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10;
}

bool StaffLayout::IsLineRow(int pitch)
{
    const int c = ((pitch % 24) + 24) % 24;
    return std::find(kLineRowClasses.begin(), kLineRowClasses.end(), c) != kLineRowClasses.end();
}

StaffLayout::StaffLayout(int width, int height, int lowest, int highest)
    : width_(width), height_(height), lowest_(std::min(lowest, kLowestShown)),
      highest_(std::max(highest, kHighestShown))
{
    for (int p = highest_; p >= lowest_; --p)
        if (IsLineRow(p)) rowPitches_.push_back(p);
    spacing_ = height_ / static_cast<double>(rowPitches_.size() + 1);

    // From the lowest pitch up, every white key climbs half a spacing; a black
    // key keeps the place of the white key below it. The lowest pitch's box
    // sits one spacing above the bottom, or half a spacing higher for a line.
    double top = height_ - spacing_;
    for (int p = lowest_; p <= highest_; ++p) {
        if (!IsBlackKey(p) && !(p == lowest_ && !IsLineRow(p))) top -= 0.5 * spacing_;
        headTops_.push_back(top);
    }
}

std::vector<int> StaffLayout::StaffLineRows() const
{
    std::vector<int> rows;
    for (std::size_t i = 0; i < rowPitches_.size(); ++i)
        if (std::find(kStaffLinePitches.begin(), kStaffLinePitches.end(), rowPitches_[i]) != kStaffLinePitches.end())
            rows.push_back(static_cast<int>(i) + 1);
    return rows;
}

HeadBox StaffLayout::Head(int pitch) const
{
    if (!InRange(pitch)) return {};
    const double top = headTops_[static_cast<std::size_t>(pitch - lowest_)];
    const double x = XOrigin();
    return {x - 0.5 * spacing_, x + 0.5 * spacing_, top, top + spacing_};
}

double StaffLayout::NoteY(int pitch) const
{
    return InRange(pitch) ? Head(pitch).top : 0.0;
}

int StaffLayout::XOffset(std::int32_t time, std::int32_t span) const
{
    if (span <= 0) return 0;
    return static_cast<int>(std::int64_t{width_ - XOrigin()} * time / span);
}

std::vector<int> StaffLayout::LedgerPitches(int pitch) const
{
    std::vector<int> pitches;
    const int top = kStaffLinePitches.back();
    const int bottom = kStaffLinePitches.front();
    for (int p : rowPitches_) {
        const bool above = p > top && p <= pitch;
        const bool below = p < bottom && p >= pitch;
        if (above || below) pitches.push_back(p);
    }
    if (pitch >= kMiddleC - 2 && pitch <= kMiddleC + 1) pitches.push_back(kMiddleC);
    return pitches;
}

StaffSign SignsInForce::Next(int pitch)
{
    const auto pc = static_cast<std::size_t>(((pitch % 12) + 12) % 12);
    if (StaffLayout::IsBlackKey(pitch)) {
        if (inForce_[pc] == StaffSign::Sharp) return StaffSign::None;
        inForce_[pc] = StaffSign::Sharp;
        const std::size_t below = (pc + 11) % 12;
        if (inForce_[below] == StaffSign::Natural) inForce_[below] = StaffSign::None;
        return StaffSign::Sharp;
    }
    const std::size_t above = (pc + 1) % 12;
    if (!StaffLayout::IsBlackKey(static_cast<int>(above)) || inForce_[above] != StaffSign::Sharp ||
        inForce_[pc] == StaffSign::Natural)
        return StaffSign::None;
    inForce_[above] = StaffSign::None;
    inForce_[pc] = StaffSign::Natural;
    return StaffSign::Natural;
}

int StaffNoteType(int sixteenths)
{
    using namespace staff_type;
    if (sixteenths <= 1) return kSixteenth;
    if (sixteenths == 2) return kEighth;
    if (sixteenths == 3) return kDottedEighth;
    if (sixteenths <= 5) return kQuarter;
    if (sixteenths == 6) return kDottedQuarter;
    if (sixteenths == 7) return kDoubleDottedQuarter;
    if (sixteenths <= 11) return kHalf;
    if (sixteenths <= 13) return kDottedHalf;
    if (sixteenths <= 15) return kDoubleDottedHalf;
    if (sixteenths == 16) return kWhole;
    return kEighth;
}

NoteLook LookOfType(int type)
{
    using namespace staff_type;
    switch (type) {
    case kSixteenth: return {type, HeadKind::Filled, 2, 0};
    case kEighth: return {type, HeadKind::Filled, 1, 0};
    case kDottedEighth: return {type, HeadKind::Filled, 1, 1};
    case kQuarter: return {type, HeadKind::Filled, 0, 0};
    case kDottedQuarter: return {type, HeadKind::Filled, 0, 1};
    case kHalf: return {type, HeadKind::Open, 0, 0};
    case kDoubleDottedQuarter: return {type, HeadKind::Filled, 0, 2};
    case kDottedHalf: return {type, HeadKind::Open, 0, 1};
    case kDoubleDottedHalf: return {type, HeadKind::Open, 0, 2};
    case kWhole: return {type, HeadKind::Whole, -1, 0};
    default: return {type, HeadKind::Filled, 0, 0};
    }
}

double ChordSpacing::Shift(std::int32_t time, int pitch, const HeadBox& head, double spacing)
{
    bool moved = false;
    if (!first_ && time == time_ && !previousMoved_) {
        const bool samePitch = pitch == pitch_;
        // With room for rounding: a third's head only touches the one below.
        constexpr double kTouch = 1e-6;
        const bool overlaps = head.bottom > previous_.top + kTouch && head.bottom <= previous_.bottom + kTouch;
        moved = samePitch || overlaps;
    }
    first_ = false;
    time_ = time;
    pitch_ = pitch;
    previous_ = head;
    previousMoved_ = moved;
    return moved ? spacing : 0.0;
}

}  // namespace harkwell
