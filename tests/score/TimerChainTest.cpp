#include "score/MusicPlayer.h"

#include "ScoreFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>

namespace harkwell {
namespace {

using testing::ScoreFixture;
using ::testing::ElementsAre;
using NoteRow = std::tuple<int, int, std::int64_t>;

struct Chain : ScoreFixture {
    std::atomic<int> ends{0};
    std::vector<std::pair<int, int>> progress;  // (index, time)

    bool Start(MidiF0Data* song, int endTick = -1, bool withEnd = true)
    {
        EndCallback end;
        if (withEnd) end = [this] { ++ends; };
        return player.Start(
            song, [this](int index, int time, const MidiEvent*) { progress.emplace_back(index, time); }, 0, 0, endTick,
            end);
    }
    void Finish()
    {
        player.WaitForEnd();
        player.Finish();
    }
};

TEST(TimerChain, EventsOfOneTickGoOutInOneFiringAndTheEndCallsTheEndCallback)
{
    Chain c;
    auto song = c.PlayableSong({{0, 60, 240}, {0, 64, 240}}, 240);
    ASSERT_TRUE(c.Start(song.get()));
    EXPECT_TRUE(c.player.IsActive());
    c.timers.AdvanceBy(2000);
    EXPECT_FALSE(c.player.Player().playing);
    EXPECT_EQ(c.timers.delays, (std::vector<int>{5, 125}));  // one timer per tick that has events
    EXPECT_THAT(c.Notes(), ElementsAre(NoteRow{0x90, 60, 5}, NoteRow{0x90, 64, 5}, NoteRow{0x80, 64, 130},
                                       NoteRow{0x80, 60, 130}));
    EXPECT_THAT(c.progress, ElementsAre(std::pair{2, 0}, std::pair{3, 0}, std::pair{4, 24}, std::pair{5, 24},
                                        std::pair{6, 24}));
    c.Finish();
    EXPECT_EQ(c.ends, 1);
    EXPECT_FALSE(c.player.IsActive());
    EXPECT_EQ(c.devices.openPorts, 0);
    EXPECT_TRUE(c.sink.messages.empty());
}

TEST(TimerChain, ABarThatOpensWithARestIsHeardWithIt)
{
    Chain c;
    auto song = c.PlayableSong({{480, 60, 240}}, 960);
    ASSERT_TRUE(c.Start(song.get()));
    c.timers.AdvanceBy(2000);
    EXPECT_THAT(c.Notes(), ElementsAre(NoteRow{0x90, 60, 250}, NoteRow{0x80, 60, 375}));
    c.Finish();
}

TEST(TimerChain, SixteenthNotesKeepTheirTempoThoughTheirHalvesAreNotWholeMilliseconds)
{
    Chain c;
    std::vector<ScoreFixture::Note> notes;
    for (int i = 0; i < 16; ++i) notes.push_back({i * 240, 60, 120});  // 62.5 ms on, 62.5 ms off
    auto song = c.PlayableSong(notes, 3840);
    ASSERT_TRUE(c.Start(song.get()));
    c.timers.AdvanceBy(3000);
    std::vector<std::int64_t> onsets;
    for (const auto& [status, note, time] : c.Notes())
        if (status == 0x90) onsets.push_back(time - 5);
    ASSERT_EQ(onsets.size(), 16u);
    for (std::size_t i = 0; i < onsets.size(); ++i) EXPECT_EQ(onsets[i], 125 * static_cast<std::int64_t>(i));
    c.Finish();
}

TEST(TimerChain, AStopRequestEndsTheChainAtTheNextFiringWithoutTheEndCallback)
{
    Chain c;
    auto song = c.PlayableSong({{0, 60, 240}, {240, 62, 240}, {480, 64, 240}}, 960);
    ASSERT_TRUE(c.Start(song.get()));
    c.timers.AdvanceBy(5);
    c.player.RequestStop();
    c.timers.AdvanceBy(5000);
    EXPECT_THAT(c.Notes(), ElementsAre(NoteRow{0x90, 60, 5}));
    EXPECT_EQ(c.timers.PendingCount(), 0u);
    c.Finish();
    EXPECT_EQ(c.ends, 0);
    EXPECT_EQ(c.devices.resets, 1);  // the sounding note is silenced when the port closes
}

TEST(TimerChain, KillTimerEndsTheChainAtOnce)
{
    Chain c;
    auto song = c.PlayableSong({{0, 60, 240}, {240, 62, 240}}, 960);
    ASSERT_TRUE(c.Start(song.get()));
    c.timers.AdvanceBy(5);
    c.player.KillTimer();
    EXPECT_FALSE(c.player.Player().playing);
    EXPECT_EQ(c.timers.PendingCount(), 0u);
    c.Finish();
}

TEST(TimerChain, AnEndTickStopsBeforeItsEventAndWithoutACallbackComplainsOnce)
{
    Chain c;
    // Quarter-note ticks at division 96: an event every 96 ticks.
    std::vector<ScoreFixture::Note> notes;
    for (int i = 0; i < 8; ++i) notes.push_back({i * 960, 60 + i, 960});
    auto song = c.PlayableSong(notes, 7680);
    ASSERT_TRUE(c.Start(song.get(), 480));
    c.timers.AdvanceBy(10000);
    const auto sent = c.Notes();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), (NoteRow{0x90, 64, 5 + 4 * 500}));  // the note at 384; nothing at 480
    EXPECT_EQ(c.ends, 1);
    c.Finish();
    EXPECT_EQ(c.ends, 1);  // not called a second time by the wait

    for (int run = 0; run < 2; ++run) {
        c.devices.ClearMessages();
        ASSERT_TRUE(c.Start(song.get(), 480, false));
        c.timers.AdvanceBy(10000);
        c.Finish();
    }
    EXPECT_EQ(c.sink.Texts(), std::vector<std::string>{"CallBackPlayer Error!"});
    EXPECT_EQ(c.sink.messages[0].kind, MessageKind::Plain);
}

TEST(TimerChain, ATempoOf0IsShownFromThePlayThreadAndPlaysAt60)
{
    Chain c;
    auto song = c.EditingSong({{0, 60, 960}}, 1920);
    auto tempo = std::make_unique<MidiEvent>(0);
    tempo->MakeTempo(0, c.sink);
    // Just after the note: the tempo changes at tick 0 of the track, after the note-on.
    EXPECT_TRUE(song->Track().InsertEvent(2, 1, std::move(tempo)));
    song->SetDivision(96);
    song->ToPlayable();
    ASSERT_TRUE(c.Start(song.get()));
    c.timers.AdvanceBy(5000);
    EXPECT_TRUE(c.sink.messages.empty());  // nothing shown from the timer thread
    EXPECT_THAT(c.Notes(), ElementsAre(NoteRow{0x90, 60, 5}, NoteRow{0x80, 60, 1005}));
    c.Finish();
    EXPECT_EQ(c.sink.Texts(), std::vector<std::string>{"MDPL08000006 Tempo is wrong!"});
}

TEST(TimerChain, NoPortMeansNoStartAndNoTimer)
{
    Chain c;
    c.devices.failingDevices = {-1, 0};
    auto song = c.PlayableSong({{0, 60, 240}}, 960);
    EXPECT_FALSE(c.Start(song.get()));
    EXPECT_FALSE(c.player.IsActive());
    EXPECT_TRUE(c.timers.delays.empty());
    EXPECT_EQ(c.ends, 0);
    EXPECT_EQ(c.sink.Texts(), std::vector<std::string>{"MDCT07000001 Can not open Midi device!"});
}

TEST(TimerChain, ATimerThatCannotBeArmedEndsThePlaybackWithAMessage)
{
    Chain c;
    c.timers.refuseTimers = true;
    auto song = c.PlayableSong({{0, 60, 240}}, 960);
    ASSERT_TRUE(c.Start(song.get()));
    EXPECT_FALSE(c.player.Player().playing);
    c.Finish();
    EXPECT_EQ(c.sink.Texts(), std::vector<std::string>{"MDPL08000002 Can not use timer!"});
}

TEST(TimerChain, AnEditingSongIsReportedAndNotStarted)
{
    Chain c;
    auto song = c.EditingSong({{0, 60, 240}}, 960);
    EXPECT_FALSE(c.Start(song.get()));
    EXPECT_EQ(c.sink.Texts(), (std::vector<std::string>{"MDSP09000001 Internal Error occured in MusicPlayer!",
                                                        "MDPL08000004 Internal error occured in MidiPlayer!"}));
}

}  // namespace
}  // namespace harkwell
