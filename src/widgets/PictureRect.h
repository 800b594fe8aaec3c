#pragma once

namespace harkwell {

// A rectangle in a parent window's client pixels; right and bottom are exclusive.
struct PictureRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

}  // namespace harkwell
