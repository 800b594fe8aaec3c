#pragma once

#include <QImage>

namespace harkwell {

// Bitmap resources by their number: 129 and 130 are the pressed and released
// button looks, 140 to 154 the note and rest symbols. A null image when the
// program has no bitmap of that number.
QImage LoadBitmapResource(int id);

}  // namespace harkwell
