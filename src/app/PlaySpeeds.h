#pragma once

#include <array>
#include <string_view>

namespace harkwell {

struct PlaySpeed {
    std::string_view text;
    double factor;  // above 1 plays faster and shorter, below 1 slower
};

// The speeds a stretch can be heard at, in the order the list shows them.
inline constexpr std::array<PlaySpeed, 5> kPlaySpeeds{{
    {"1/2 Slow", 0.5},
    {"3/4 Slow", 0.75},
    {"Standard", 1.0},
    {"1.5 Fast", 1.5},
    {"2 Fast", 2.0},
}};

// The entry whose factor is exactly this one, or -1.
constexpr int PlaySpeedIndex(double factor)
{
    for (std::size_t i = 0; i < kPlaySpeeds.size(); ++i)
        if (kPlaySpeeds[i].factor == factor) return static_cast<int>(i);
    return -1;
}

}  // namespace harkwell
