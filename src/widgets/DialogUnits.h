#pragma once

namespace harkwell {

// The windows were laid out in dialog units; one is about 1.75 pixels here.
constexpr int Units(int units) { return units * 7 / 4; }

}  // namespace harkwell
