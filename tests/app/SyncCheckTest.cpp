#include "app/SyncCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace harkwell {
namespace {

// The clicks of the material, with a low tone under each beat starting
// `lateMs` after its click.
std::vector<std::int16_t> ClicksWithTones(double lateMs, double speed = 1.0)
{
    const SyncCheckMaterial material = MakeSyncCheckMaterial();
    std::vector<std::int16_t> recording(4410, 0);  // silence before, as a recording has
    recording.insert(recording.end(), material.clicks.begin(), material.clicks.end());
    recording.resize(recording.size() * 3, 0);
    const double rate = SyncCheckMaterial::kSampleRate;
    for (int beat = 0; beat < SyncCheckMaterial::kBeats; ++beat) {
        const auto first = static_cast<std::size_t>(4410 + beat * SyncCheckMaterial::kBeatFrames / speed +
                                                    lateMs * rate / 1000);
        for (std::size_t i = 0; i < 8820; ++i) {
            const double t = static_cast<double>(i) / rate;
            const double tone = 12000 * std::min(1.0, t / 0.002) * std::exp(-t * 4) *
                                std::sin(2 * std::numbers::pi * 130.8 * t);
            recording[first + i] = static_cast<std::int16_t>(std::lround(recording[first + i] + tone));
        }
    }
    return recording;
}

TEST(SyncCheckTest, MeasuresHowLateTheNotesAreHeardAgainstTheClicks)
{
    for (double late : {-20.0, 0.0, 7.0, 45.0}) {
        SCOPED_TRACE(late);
        const auto measured = MeasureSync(ClicksWithTones(late), SyncCheckMaterial::kSampleRate, 1.0);
        ASSERT_TRUE(measured.has_value());
        EXPECT_NEAR(measured->offsetMs, late, 1.0);
        ASSERT_EQ(measured->gridErrorsMs.size(), 4u);
        for (double e : measured->gridErrorsMs) EXPECT_NEAR(e, late, 1.0);
    }
    // At half speed the beats lie twice as far apart.
    const auto slow = MeasureSync(ClicksWithTones(3.0, 0.5), SyncCheckMaterial::kSampleRate, 0.5);
    ASSERT_TRUE(slow.has_value());
    for (double e : slow->gridErrorsMs) EXPECT_NEAR(e, 3.0, 1.0);
}

TEST(SyncCheckTest, ARecordingWithoutClicksOrNotesMeasuresNothing)
{
    const SyncCheckMaterial material = MakeSyncCheckMaterial();
    std::vector<std::int16_t> clicks(1000, 0);
    clicks.insert(clicks.end(), material.clicks.begin(), material.clicks.end());
    EXPECT_FALSE(MeasureSync(std::vector<std::int16_t>(44100, 0), SyncCheckMaterial::kSampleRate, 1.0));
    EXPECT_FALSE(MeasureSync(clicks, SyncCheckMaterial::kSampleRate, 1.0)) << "clicks alone";
    // Each click is heard within a few frames of its beat.
    const auto onsets = ClickOnsets(clicks, SyncCheckMaterial::kSampleRate);
    ASSERT_EQ(onsets.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(onsets[i], 1000.0 + 22050.0 * static_cast<double>(i), 4.0);
}

}  // namespace
}  // namespace harkwell
