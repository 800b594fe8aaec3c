#pragma once

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace harkwell::testing {

// Compares a picture with the reference kept at `path` (a file under the
// test sources), allowing a few pixels of rounding; with
// HARKWELL_WRITE_REFERENCES set it writes the reference anew first, after
// the artwork changed on purpose.
inline void ExpectLikeReference(const QImage& picture, const QString& path)
{
    if (std::getenv("HARKWELL_WRITE_REFERENCES") != nullptr) {
        ASSERT_TRUE(picture.save(path));
    }
    const QImage reference(path);
    ASSERT_FALSE(reference.isNull()) << "no reference picture at " << path.toStdString();
    ASSERT_EQ(reference.size(), picture.size());
    int differing = 0;
    for (int y = 0; y < reference.height(); ++y)
        for (int x = 0; x < reference.width(); ++x) {
            const QColor a = reference.pixelColor(x, y), b = picture.pixelColor(x, y);
            if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) > 48)
                ++differing;
        }
    EXPECT_LE(differing, reference.width() * reference.height() / 500) << "pixels unlike the reference";
}

}  // namespace harkwell::testing
