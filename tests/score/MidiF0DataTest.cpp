#include "score/MidiF0Data.h"

#include "ScoreFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace harkwell {
namespace {

using testing::ScoreFixture;
using ::testing::ElementsAre;
using NoteRow = std::tuple<int, int, std::int64_t>;

// Waits (in real time, generously) for something another thread does.
template <typename Condition>
bool Eventually(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(MidiF0Data, MeasureTicksFollowTheTimeSignature)
{
    struct Case {
        int songSignature;
        int trackSignature;  // 0: none in the track
        int division;
        int ticks;
    };
    for (const Case c : {Case{0, 0, 96, 384}, Case{0x0304, 0, 96, 288}, Case{0, 0x0608, 96, 288},
                         Case{0x0204, 0x0608, 96, 192}, Case{0x0404, 0, 960, 3840}, Case{0x0300, 0, 96, 384},
                         Case{0x0004, 0, 96, 384}}) {
        ScoreFixture f;
        MidiF0Data song(f.sink, f.player);
        song.SetTimeSignature(c.songSignature);
        if (c.trackSignature != 0) {
            auto event = std::make_unique<MidiEvent>(0);
            event->kind = event_kind::kMeta;
            event->number = meta_type::kTimeSignature;
            event->value = c.trackSignature;
            EXPECT_TRUE(song.Track().AppendEvent(std::move(event)));
        }
        if (c.division != 960) song.SetDivision(c.division);
        EXPECT_EQ(song.MeasureTicks(), c.ticks) << std::hex << c.songSignature << " " << c.trackSignature;
    }
}

TEST(MidiF0Data, FirstMeasureStartCutsTheLeadInBeforeTheBarOfTheFirstNote)
{
    ScoreFixture f;
    auto song = f.PlayableSong({{10000, 60, 960}}, 15360);  // the note at tick 1000 of 96
    EXPECT_EQ(song->FirstMeasureStart(), 768);
    const MidiTrackData& track = song->Track();
    EXPECT_EQ(track.Event(0).delta, 0);  // tempo
    EXPECT_EQ(track.Event(1).delta, 0);  // program
    EXPECT_EQ(track.Event(2).kind, event_kind::kNoteOn);
    EXPECT_EQ(track.Event(2).delta, 232);
    EXPECT_EQ(track.Event(3).delta, 96);
}

struct SongPlay : ScoreFixture {
    std::atomic<int> ends{0};
    std::vector<std::pair<int, int>> firstProgress;

    void Play(MidiF0Data& song)
    {
        song.Play([this] { ++ends; },
                  [this](int index, int time, const MidiEvent* event) {
                      if (event == nullptr) firstProgress.emplace_back(index, time);
                  },
                  1);
    }
};

TEST(MidiF0Data, PlaysAPlayCopyFromTheBarOfItsFirstNoteOnItsOwnThread)
{
    SongPlay f;
    auto song = f.EditingSong({{4000, 60, 480}, {4480, 62, 480}}, 7680);
    f.Play(*song);
    ASSERT_NE(song->PlayCopy(), nullptr);
    EXPECT_EQ(song->PlayCopy()->Division(), 96);
    EXPECT_EQ(song->PlayCopy()->State(), track_state::kPlayable);
    EXPECT_EQ(song->Division(), 960);  // the song itself is left as it was
    EXPECT_EQ(song->State(), track_state::kEditing);
    EXPECT_THAT(f.firstProgress, ElementsAre(std::pair{0, 384}));
    ASSERT_TRUE(f.player.IsActive());

    f.timers.AdvanceBy(5000);
    ASSERT_TRUE(Eventually([&] { return f.ends == 1 && f.player.IsIdle(); }));
    // The note at 400 of 96 is 16 ticks into its bar: 83 ms at 120 beats a minute.
    EXPECT_THAT(f.Notes(), ElementsAre(NoteRow{0x90, 60, 83}, NoteRow{0x80, 60, 333}, NoteRow{0x90, 62, 333},
                                       NoteRow{0x80, 62, 583}));
    EXPECT_TRUE(f.sink.messages.empty());

    // Playing again replaces the copy.
    f.devices.ClearMessages();
    f.Play(*song);
    f.timers.AdvanceBy(5000);
    ASSERT_TRUE(Eventually([&] { return f.ends == 2 && f.player.IsIdle(); }));
    EXPECT_EQ(f.Notes().size(), 4u);
}

TEST(MidiF0Data, StopEndsAPlaybackWithoutTheEndCallbackAndSilencesThePort)
{
    SongPlay f;
    auto song = f.EditingSong({{0, 60, 3840}}, 3840);
    f.Play(*song);
    f.timers.AdvanceBy(5);
    EXPECT_EQ(song->Stop(), 1);  // the manual clock never fires again: the chain is killed
    EXPECT_EQ(song->PlayCopy(), nullptr);
    EXPECT_TRUE(f.player.IsIdle());
    EXPECT_FALSE(f.player.IsActive());
    EXPECT_EQ(f.ends, 0);
    EXPECT_EQ(f.devices.resets, 1);
    EXPECT_EQ(f.devices.openPorts, 0);
    EXPECT_TRUE(f.sink.messages.empty());
}

TEST(MidiF0Data, StopWithNothingPlayingComplainsAfterAboutThreeSecondsAndStillSucceeds)
{
    ScoreFixture f;
    MidiF0Data song(f.sink, f.player);
    EXPECT_EQ(song.Stop(), 1);
    EXPECT_EQ(f.sink.Texts(), std::vector<std::string>{"M0DT0400000A Error occured during stop process!"});
    EXPECT_EQ(f.timers.sleptMs, 3100 + 1000);
}

TEST(MidiF0Data, PlayWithoutAPortReturnsAndCallsTheEndCallback)
{
    SongPlay f;
    f.devices.deviceCount = 0;
    auto song = f.EditingSong({{0, 60, 480}}, 3840);
    f.Play(*song);
    EXPECT_TRUE(Eventually([&] { return f.ends == 1 && f.player.IsIdle(); }));
    EXPECT_EQ(f.sink.Texts(), std::vector<std::string>{"MDCT07000001 Can not open Midi device!"});
}

TEST(MidiF0Data, PlayingAgainWhileTheFirstPlaybackHangsGivesUpOnItSafely)
{
    SongPlay f;
    auto song = f.EditingSong({{0, 60, 3840}}, 3840);
    f.Play(*song);
    f.timers.AdvanceBy(5);
    // The clock stands still, so the first playback never ends by itself.
    f.Play(*song);
    EXPECT_EQ(f.sink.Texts(), std::vector<std::string>{"GENE01000004 Quit and restart!"});
    EXPECT_EQ(f.ends, 0);
    ASSERT_TRUE(f.player.IsActive());
    f.timers.AdvanceBy(5000);
    ASSERT_TRUE(Eventually([&] { return f.ends == 1 && f.player.IsIdle(); }));
}

TEST(MidiF0Data, DestroyingAPlayingSongEndsAndJoinsItsThread)
{
    SongPlay f;
    auto song = f.EditingSong({{0, 60, 3840}}, 3840);
    f.Play(*song);
    f.timers.AdvanceBy(5);
    song.reset();
    EXPECT_TRUE(f.player.IsIdle());
    EXPECT_EQ(f.devices.openPorts, 0);
}

}  // namespace
}  // namespace harkwell
