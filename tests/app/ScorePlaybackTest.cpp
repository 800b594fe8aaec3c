// The written bar played as a song through the playback control, and the
// tempo it plays at.
#include "app/PlaybackControl.h"
#include "app/ScoreSong.h"

#include "fakes/FakeWaveOutPort.h"
#include "fakes/ManualInterfaceThread.h"
#include "fakes/ManualTimerService.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingMidiPort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace harkwell {
namespace {

using NoteRow = std::tuple<int, int, std::int64_t>;  // status, note, ms

TEST(ScoreTempoTest, TheSeparatorInForceAtTheSpeedOfPlay)
{
    SeparatorTable table;  // an eighth note of 22050 frames: 60 quarters a minute
    table.InsertSeparator(441000);
    table.ChangeBaseNote(1, 1);  // a quarter note of 44100 frames
    ASSERT_TRUE(table.SetBaseLength(1, 22050));
    struct Case {
        std::int32_t position;
        double speed;
        std::int32_t microseconds;
    };
    const Case cases[] = {
        {0, 1.0, 1000000}, {441000, 1.0, 500000}, {441000, 0.5, 1000000}, {900000, 2.0, 250000},
        {441000, 0.75, 666666},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScoreTempo(table, c.position, 44100, c.speed), c.microseconds) << c.position << " at " << c.speed;
}

// The control over recording MIDI devices and a manual clock; the test's
// own thread is the interface thread.
class ScorePlaybackTest : public ::testing::Test {
protected:
    ScorePlaybackTest()
    {
        devices_.clock = [this] { return timers_.Now(); };
        EXPECT_TRUE(grid_.Write(ScoreGrid::kRest, 16));
        EXPECT_TRUE(grid_.Write(60, 4));
        EXPECT_TRUE(grid_.Write(64, 4));
        grid_.SetCursor(8);
        EXPECT_TRUE(grid_.Write(67, 2));
    }

    // Note-ons and note-offs, in ms from the first note, in order of time (and of note within a time).
    std::vector<NoteRow> Notes() const
    {
        std::vector<NoteRow> notes;
        for (const auto& m : devices_.Messages())
            if (!m.isLong && (m.bytes[0] & 0xE0) == 0x80) notes.emplace_back(m.bytes[0], m.bytes[1], m.timeMs);
        if (notes.empty()) return notes;
        const std::int64_t first = std::get<2>(notes.front());
        for (auto& note : notes) std::get<2>(note) -= first;
        std::stable_sort(notes.begin(), notes.end(), [](const NoteRow& a, const NoteRow& b) {
            return std::tie(std::get<2>(a), std::get<1>(a)) < std::tie(std::get<2>(b), std::get<1>(b));
        });
        return notes;
    }

    testing::FakeWaveOutPort port_;
    testing::RecordingMidiDevices devices_;
    testing::ManualTimerService timers_;
    testing::RecordingMessageSink messages_;
    testing::ManualInterfaceThread ui_;
    std::vector<bool> changes_;
    ScoreGrid grid_;
    PlaybackControl control_{port_, devices_, timers_, messages_,
                             PlaybackControl::Hooks{[this](std::function<void()> task) { ui_.Post(std::move(task)); },
                                                    [](PlayMode, std::string_view) {}, [] {}, [](int) {},
                                                    [this](bool playing) { changes_.push_back(playing); }}};
};

TEST_F(ScorePlaybackTest, TheBarPlaysItsNotesOnTheTemposGridAndEndsByItself)
{
    control_.ToggleScore({&grid_, 500000, 5});
    EXPECT_TRUE(control_.IsScorePlaying());
    timers_.AdvanceBy(5000);
    ASSERT_TRUE(ui_.RunUntil([&] { return !control_.IsScorePlaying(); }));
    // A quarter is half a second at 120 quarters a minute; the eighth at the third beat.
    EXPECT_EQ(Notes(), (std::vector<NoteRow>{{0x90, 60, 0}, {0x90, 64, 0}, {0x80, 60, 500}, {0x80, 64, 500},
                                             {0x90, 67, 1000}, {0x80, 67, 1250}}));
    const auto shorts = devices_.Shorts();
    EXPECT_NE(std::find(shorts.begin(), shorts.end(), std::vector<std::uint8_t>{0xC0, 5, 0}), shorts.end())
        << "the instrument is chosen";
    EXPECT_EQ(changes_, (std::vector<bool>{true, false}));
    EXPECT_TRUE(devices_.SoundingNotes().empty());
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(ScorePlaybackTest, StoppedInTheMiddleNoNoteIsLeftSoundingAndItPlaysAgain)
{
    control_.ToggleScore({&grid_, 500000, 0});
    timers_.AdvanceBy(100);
    ASSERT_FALSE(devices_.SoundingNotes().empty());
    control_.ToggleScore({&grid_, 500000, 0});
    EXPECT_TRUE(devices_.SoundingNotes().empty());
    EXPECT_EQ(changes_, (std::vector<bool>{true, false}));
    ui_.RunPending();
    EXPECT_FALSE(control_.IsScorePlaying());

    devices_.ClearMessages();
    control_.ToggleScore({&grid_, 250000, 0});
    timers_.AdvanceBy(5000);
    ASSERT_TRUE(ui_.RunUntil([&] { return !control_.IsScorePlaying(); }));
    EXPECT_EQ(std::get<2>(Notes().back()), 625) << "twice as fast";
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(ScorePlaybackTest, APressWhileTheSongEndsOnItsOwnStopsNothingTwice)
{
    control_.ToggleScore({&grid_, 500000, 0});
    timers_.AdvanceBy(5000);
    // The song has ended; its end waits for the interface thread, which presses again first.
    control_.ToggleScore({&grid_, 500000, 0});
    ASSERT_TRUE(ui_.RunUntil([&] { return !control_.IsScorePlaying(); }));
    EXPECT_TRUE(messages_.messages.empty()) << "no stop failure for a song that had already ended";
    EXPECT_TRUE(devices_.SoundingNotes().empty());
}

}  // namespace
}  // namespace harkwell
