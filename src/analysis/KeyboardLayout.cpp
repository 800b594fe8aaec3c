#include "analysis/KeyboardLayout.h"

#include <algorithm>

namespace harkwell {

bool KeyboardLayout::IsBlack(int note)
{
    switch (((note % 12) + 12) % 12) {
    case 1:
    case 3:
    case 6:
    case 8:
    case 10: return true;
    default: return false;
    }
}

bool KeyboardLayout::Build(int lowest, int highest, int width, int height)
{
    built_ = false;
    keys_.clear();
    marked_.clear();
    whiteWidth_ = 0.0;
    const long count = long{highest} - lowest + 1;
    if (count < 0 || count > kMaxKeys || (count > 0 && (lowest < 0 || highest > kMaxKeys - 1))) return false;
    lowest_ = lowest;
    highest_ = highest;

    keys_.resize(static_cast<std::size_t>(count));
    double whiteUnits = 0.0;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        Key& key = keys_[i];
        key.note = lowest + static_cast<int>(i);
        key.kind = IsBlack(key.note) ? Kind::Black : Kind::White;
        key.colour = key.kind == Kind::White ? kWhite : kBlack;
        if (key.kind == Kind::White) {
            whiteUnits += 1.0;
        } else {
            if (i == 0) whiteUnits += 0.5;
            if (i + 1 == keys_.size()) whiteUnits += 0.5;
        }
    }
    whiteWidth_ = whiteUnits > 0.0 ? width / whiteUnits : 0.0;

    const double w = whiteWidth_;
    double x = 0.0;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        Key& key = keys_[i];
        key.top = 0;
        if (key.kind == Kind::White) {
            x += w;
            key.left = static_cast<int>(x - w);
            key.right = static_cast<int>(x);
            key.bottom = height;
        } else {
            // A black key is centred on the edge after the white key before
            // it; at the start of the range that edge is half a key in, at
            // the end the half key of room follows it.
            if (i == 0) x += w / 2;
            key.left = static_cast<int>(x - w / 2);
            key.right = static_cast<int>(x + w / 2);
            key.bottom = height / 2;
            if (i > 0 && i + 1 == keys_.size()) x += w / 2;
        }
    }
    built_ = true;
    return true;
}

int KeyboardLayout::KeyAt(int x, int y) const
{
    const auto on = [x, y](const Key& key) { return key.left <= x && x <= key.right && key.top <= y && y <= key.bottom; };
    for (Kind kind : {Kind::Black, Kind::White})
        for (std::size_t i = 0; i < keys_.size(); ++i)
            if (keys_[i].kind == kind && on(keys_[i])) return static_cast<int>(i);
    return -1;
}

void KeyboardLayout::SetKeyColour(int note, std::uint32_t colour)
{
    const long index = long{note} - lowest_;
    if (index >= 0 && index < KeyCount()) keys_[static_cast<std::size_t>(index)].colour = colour;
}

bool KeyboardLayout::MarkNote(int note)
{
    if (static_cast<int>(marked_.size()) >= kMaxMarks) return false;
    marked_.push_back(note);
    return true;
}

bool KeyboardLayout::IsMarked(int note) const
{
    return std::find(marked_.begin(), marked_.end(), note) != marked_.end();
}

}  // namespace harkwell
