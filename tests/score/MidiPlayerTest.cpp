#include "score/MidiPlayer.h"

#include "score/MidiF0Data.h"

#include "ScoreFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace harkwell {
namespace {

using testing::ScoreFixture;
using Bytes = std::vector<std::uint8_t>;

TEST(MidiPlayer, PreparesWithTheGmResetAndTheLeadInAndWorksOutTicks)
{
    ScoreFixture f;
    auto song = f.PlayableSong({{0, 60, 240}}, 960);
    MidiPlayer& player = f.player.Player();
    std::int32_t skipped = -1;
    EXPECT_EQ(player.Prepare(song.get(), -1, 0, skipped), 1);
    EXPECT_EQ(skipped, 0);
    EXPECT_TRUE(player.playing);
    EXPECT_EQ(player.PlayIndex(), 2);  // the tempo and the program went out at once
    EXPECT_EQ(f.timers.sleptMs, 100);
    EXPECT_EQ(player.Tempo(), 120);
    EXPECT_EQ(player.TicksPerMinute(), 11520);
    EXPECT_EQ(player.DeltaToMs(24), 125);
    EXPECT_EQ(player.PeriodMs(), 5);

    const auto messages = f.devices.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].bytes, (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(messages[1].bytes, (Bytes{0xC0, 73, 0}));

    EXPECT_EQ(player.Advance(song->Track().Event(2)), 24);  // note-on, then the note-off 24 ticks on
    EXPECT_EQ(player.Advance(song->Track().Event(3)), 72);  // the end of track at 96
    EXPECT_EQ(player.Advance(song->Track().Event(4)), -1);  // nothing after it
    EXPECT_TRUE(f.sink.messages.empty());
}

TEST(MidiPlayer, TempoEventsSetTheTempoWithinItsLimits)
{
    struct Case {
        int microseconds;
        int tempo;
        const char* message;
    };
    for (const Case c : {Case{500000, 120, nullptr}, Case{7000000, 10, "MDPL08000003 Tempo is too slow!"},
                         Case{500, 60, "MDPL08000006 Tempo is wrong!"}, Case{0, 60, "MDPL08000006 Tempo is wrong!"}}) {
        ScoreFixture f;
        MidiPlayer& player = f.player.Player();
        MidiEvent tempo;
        tempo.MakeTempo(c.microseconds, f.sink);
        player.SendEvent(tempo);
        EXPECT_EQ(player.Tempo(), c.tempo) << c.microseconds;
        if (c.message)
            EXPECT_EQ(f.sink.Texts(), std::vector<std::string>{c.message});
        else
            EXPECT_TRUE(f.sink.messages.empty());
    }
}

TEST(MidiPlayer, RefusesWhatCannotPlay)
{
    ScoreFixture f;
    MidiPlayer& player = f.player.Player();
    std::int32_t skipped = 0;

    auto editing = f.EditingSong({{0, 60, 240}}, 960);
    EXPECT_EQ(player.Prepare(editing.get(), -1, 0, skipped), 0);
    EXPECT_EQ(f.sink.Texts(), std::vector<std::string>{"MDPL08000004 Internal error occured in MidiPlayer!"});

    auto silent = f.PlayableSong({}, 960);  // a tempo, a program and the end: no note
    EXPECT_EQ(player.Prepare(silent.get(), -1, 0, skipped), 0);

    f.devices.failingDevices = {-1, 0};
    auto song = f.PlayableSong({{0, 60, 240}}, 960);
    f.sink.messages.clear();
    EXPECT_EQ(player.Prepare(song.get(), -1, 0, skipped), 0);
    EXPECT_FALSE(player.playing);
    EXPECT_FALSE(player.HasOutput());
    EXPECT_EQ(f.sink.Texts(), std::vector<std::string>{"MDCT07000001 Can not open Midi device!"});
}

TEST(MidiPlayer, StartsInTheMiddleWithTheChannelStateRebuilt)
{
    // Events at 0, 480 and 1200 once the song is at division 96.
    ScoreFixture f;
    MidiF0Data song(f.sink, f.player);
    for (const auto& [delta, program] : {std::pair{0, 5}, std::pair{4800, 9}}) {
        auto event = std::make_unique<MidiEvent>(delta);
        event->kind = event_kind::kProgramChange;
        event->channel = 0;
        event->value = program;
        EXPECT_TRUE(song.Track().AppendEvent(std::move(event)));
    }
    song.Track().AddNote(0, 7200, 60, 100, 100);
    song.Track().AppendEndOfTrack(0);
    song.SetDivision(96);
    song.ToPlayable();

    std::int32_t skipped = -1;
    EXPECT_EQ(f.player.Player().Prepare(&song, -1, 960, skipped), 1);
    EXPECT_EQ(skipped, 480);
    EXPECT_EQ(f.player.Player().PlayIndex(), 2);
    EXPECT_THAT(f.devices.Shorts(), ::testing::ElementsAre(Bytes{0xC0, 9, 0}));
    EXPECT_TRUE(f.sink.messages.empty());
}

}  // namespace
}  // namespace harkwell
