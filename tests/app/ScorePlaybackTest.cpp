// The written bar played as a song through the playback control, and the
// tempo it plays at.
#include "app/PlaybackControl.h"
#include "app/ScoreSong.h"

#include "fakes/FakeMidiRenderer.h"
#include "fakes/FakeWaveOutPort.h"
#include "fakes/ManualInterfaceThread.h"
#include "fakes/ManualTimerService.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingMidiPort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <tuple>
#include <vector>

namespace harkwell {
namespace {

using NoteRow = std::tuple<int, int, std::int64_t>;  // status, note, ms
using namespace std::chrono_literals;

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

    // The frames at which the played sound rises from silence to a pulse.
    std::vector<std::uint32_t> PulseFrames() const
    {
        std::vector<std::int16_t> samples(port_.played.size() / 2);
        std::memcpy(samples.data(), port_.played.data(), samples.size() * 2);
        std::vector<std::uint32_t> starts;
        for (std::size_t i = 0; i < samples.size(); ++i)
            if (samples[i] > 8000 && (i == 0 || samples[i - 1] <= 8000)) starts.push_back(static_cast<std::uint32_t>(i));
        return starts;
    }

    PlaySource Silence() const
    {
        return {kMono16, {reinterpret_cast<const std::uint8_t*>(silence_.data()), silence_.size() * 2}};
    }

    bool RunUntilIdle()
    {
        return ui_.RunUntil([&] { return !control_.IsPlaying() && !control_.IsScorePlaying(); });
    }

    static constexpr WaveFormat kMono16{1, 1, 44100, 88200, 2, 16};
    std::vector<std::int16_t> silence_ = std::vector<std::int16_t>(100'000);
    testing::FakeWaveOutPort port_;
    testing::RecordingMidiDevices devices_;
    testing::ManualTimerService timers_;
    testing::FakeMidiRenderer renderer_;
    testing::RecordingMessageSink messages_;
    testing::ManualInterfaceThread ui_;
    std::vector<bool> changes_;
    ScoreGrid grid_;
    // The fake output's clock runs 44.1 frames for every millisecond the
    // wave's worker waits.
    PlaybackControl control_{port_, devices_, timers_, renderer_, messages_,
                             PlaybackControl::Hooks{[this](std::function<void()> task) { ui_.Post(std::move(task)); },
                                                    [](PlayMode, std::string_view) {}, [] {},
                                                    [this](int ms) {
                                                        std::this_thread::sleep_for(1ms);
                                                        port_.Advance(static_cast<std::uint32_t>(ms * 441 / 10));
                                                    },
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

TEST(ScheduleBarTest, TheNotesFallOnTheTemposGridInFramesFromTheFirstSixteenth)
{
    ScoreGrid grid;
    ASSERT_TRUE(grid.Write(60, 4));
    ASSERT_TRUE(grid.Write(64, 4));
    grid.SetCursor(4);
    ASSERT_TRUE(grid.Write(64, 2));  // the same key again where the chord ends
    const auto messages = ScheduleBar({&grid, 500000, 5}, 44100, 2048);
    // A quarter of 500 000 µs is 22 050 frames; at one frame an end comes before a start.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected{
        {2048, 0x0005C0},         {2048, 0x7F3C90},         {2048, 0x7F4090},         {24098, 0x003C80},
        {24098, 0x004080},        {24098, 0x7F4090},        {35123, 0x004080},
    };
    std::vector<std::pair<std::uint32_t, std::uint32_t>> got;
    for (const auto& m : messages) got.emplace_back(m.frame, m.packed);
    EXPECT_EQ(got, expected);
    // A slow tempo at another rate, rounded to the nearest frame.
    EXPECT_EQ(FrameOfTick({&grid, 1000001, 0}, 48000, 0, 240), 12000u);
}

TEST_F(ScorePlaybackTest, SyncPlayMixesTheBarIntoTheWaveOnTheStretchsFirstFrameAtEverySpeed)
{
    grid_ = ScoreGrid();
    for (int beat = 0; beat < 4; ++beat) {
        grid_.SetCursor(beat * 4);
        ASSERT_TRUE(grid_.Write(60, 4));
    }
    for (double speed : {1.0, 0.5, 2.0}) {
        SCOPED_TRACE(speed);
        port_.played.clear();
        changes_.clear();
        control_.SyncPlay(Silence(), 1000, 45'100, speed, {&grid_, 250000, 0});
        EXPECT_TRUE(control_.IsPlaying());
        EXPECT_TRUE(control_.IsScorePlaying());
        ASSERT_TRUE(RunUntilIdle());
        EXPECT_EQ(control_.FirstStretchFrame(), 2048u);
        // A quarter of 250 000 µs is 11 025 frames; every note of the bar sounds, the last one too.
        EXPECT_EQ(PulseFrames(), (std::vector<std::uint32_t>{2048, 13073, 24098, 35123}));
        EXPECT_EQ(changes_, (std::vector<bool>{true, false}));
    }
    EXPECT_TRUE(devices_.Messages().empty()) << "the synced bar does not play through the MIDI output";
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(ScorePlaybackTest, ABarLongerThanTheStretchIsHeardToItsEnd)
{
    control_.SyncPlay(Silence(), 0, 4410, 1.0, {&grid_, 500000, 0});
    ASSERT_TRUE(RunUntilIdle());
    // The eighth at the third beat lies 44 100 frames after the stretch's first frame.
    EXPECT_EQ(PulseFrames(), (std::vector<std::uint32_t>{2048, 2048 + 44'100}));
    EXPECT_GE(control_.PlayFrames(), 2048u + 55'125u);
}

TEST_F(ScorePlaybackTest, PlayScoreFadesTheSyncedBarOutWhileTheWavePlaysOn)
{
    grid_ = ScoreGrid();
    for (int beat = 0; beat < 4; ++beat) {
        grid_.SetCursor(beat * 4);
        ASSERT_TRUE(grid_.Write(60, 4));
    }
    control_.SyncPlay(Silence(), 0, 90'000, 1.0, {&grid_, 500000, 0});
    ASSERT_TRUE(ui_.RunUntil([&] { return port_.PlayedFrames() > 26'000; }));
    control_.ToggleScore({&grid_, 500000, 0});
    EXPECT_FALSE(control_.IsScorePlaying());
    EXPECT_TRUE(control_.IsPlaying());
    EXPECT_EQ(changes_, (std::vector<bool>{true, false}));
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(PulseFrames(), (std::vector<std::uint32_t>{2048, 24098})) << "nothing of the bar after the stop";
    EXPECT_TRUE(devices_.Messages().empty());
}

TEST_F(ScorePlaybackTest, SyncPlayIsRefusedWhileEitherPlaysAndStopsWithItsWave)
{
    control_.Toggle(PlayMode::AnalyzeDialog, Silence(), 0, 90'000, 1.0);
    control_.SyncPlay(Silence(), 0, 90'000, 1.0, {&grid_, 500000, 0});
    EXPECT_FALSE(control_.IsScorePlaying());
    EXPECT_TRUE(renderer_.rendered.empty());
    control_.Toggle(PlayMode::AnalyzeDialog, Silence(), 0, 0, 1.0);

    control_.ToggleScore({&grid_, 500000, 0});
    control_.SyncPlay(Silence(), 0, 90'000, 1.0, {&grid_, 500000, 0});
    EXPECT_FALSE(control_.IsPlaying());
    control_.ToggleScore({&grid_, 500000, 0});
    ui_.RunPending();

    // Pressed twice: the second press finds both playing and changes nothing.
    control_.SyncPlay(Silence(), 0, 90'000, 1.0, {&grid_, 500000, 0});
    control_.SyncPlay(Silence(), 0, 90'000, 1.0, {&grid_, 500000, 0});
    EXPECT_TRUE(control_.IsPlaying());
    EXPECT_TRUE(control_.IsScorePlaying());
    // The analyze dialog's Play stops the wave, and the bar in it with it.
    control_.Toggle(PlayMode::AnalyzeDialog, Silence(), 0, 0, 1.0);
    EXPECT_FALSE(control_.IsPlaying());
    EXPECT_FALSE(control_.IsScorePlaying());
    ui_.RunPending();
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(ScorePlaybackTest, WithoutASynthToRenderWithTheBarPlaysBesideTheWave)
{
    renderer_.available = false;
    control_.SyncPlay(Silence(), 0, 4410, 1.0, {&grid_, 500000, 0});
    EXPECT_TRUE(control_.IsPlaying());
    EXPECT_TRUE(control_.IsScorePlaying());
    timers_.AdvanceBy(5000);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Notes().size(), 6u) << "the bar's notes went to the MIDI output";
    EXPECT_TRUE(PulseFrames().empty());
    EXPECT_TRUE(devices_.SoundingNotes().empty());
}

}  // namespace
}  // namespace harkwell
