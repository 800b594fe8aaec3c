#include "score/MidiTrackData.h"
#include "score/ScoreReports.h"

#include "fakes/RecordingMessageSink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using ::testing::ElementsAre;
using Row = std::tuple<int, int, std::int64_t>;  // kind, note, absolute tick

struct Note {
    std::int64_t at;
    int note;
    int duration;
    int velocity = 127;
};

// A track in the editing form: a tempo, the notes, an end of track.
struct TrackFixture {
    RecordingMessageSink sink;
    MidiTrackData track{sink, kTrackCapacity};

    TrackFixture() { track.SetState(track_state::kEditing); }

    void Build(const std::vector<Note>& notes, std::int64_t endAt)
    {
        track.AppendTempo(500000);
        std::int64_t last = 0;
        for (const auto& n : notes) {
            track.AddNote(0, static_cast<int>(n.at - last), n.note, n.velocity, n.duration);
            last = n.at;
        }
        track.AppendEndOfTrack(static_cast<int>(endAt - last));
    }

    // Every event but the tempo as (kind, note, absolute tick).
    std::vector<Row> Rows() const
    {
        std::vector<Row> rows;
        std::int64_t t = 0;
        for (int i = 0; i < track.Count(); ++i) {
            t += track.Event(i).delta;
            if (track.Event(i).kind == 255 && track.Event(i).number == 81) continue;
            rows.emplace_back(track.Event(i).kind, track.Event(i).number == 47 ? -1 : track.Event(i).note, t);
        }
        return rows;
    }
};

TEST(MidiTrackToPlayable, OverlappingNotesGetTheirNoteOffsInTimeAndKeepTheTrackLength)
{
    TrackFixture f;
    f.Build({{0, 60, 240}, {120, 64, 240}}, 480);
    f.track.ToPlayable();
    EXPECT_EQ(f.track.State(), track_state::kPlayable);
    EXPECT_THAT(f.Rows(), ElementsAre(Row{144, 60, 0}, Row{144, 64, 120}, Row{128, 60, 240}, Row{128, 64, 360},
                                      Row{255, -1, 480}));
    EXPECT_EQ(f.track.TotalTicks(), 480);
    EXPECT_EQ(f.track.Event(3).velocity, 64);  // note-offs go out with velocity 64
    EXPECT_TRUE(f.sink.messages.empty());
}

TEST(MidiTrackToPlayable, TouchingNotesOfOnePitchAreReleasedBeforeTheyAreStruckAgain)
{
    TrackFixture f;
    f.Build({{0, 60, 240}, {240, 60, 240}}, 480);
    f.track.ToPlayable();
    EXPECT_THAT(f.Rows(),
                ElementsAre(Row{144, 60, 0}, Row{128, 60, 240}, Row{144, 60, 240}, Row{128, 60, 480}, Row{255, -1, 480}));
}

TEST(MidiTrackToPlayable, SilentAndEmptyNotesVanishAndPassTheirDeltaOn)
{
    TrackFixture f;
    f.Build({{0, 60, 0}, {100, 62, 120, 0}, {200, 64, 100}}, 480);
    f.track.ToPlayable();
    EXPECT_THAT(f.Rows(), ElementsAre(Row{144, 64, 200}, Row{128, 64, 300}, Row{255, -1, 480}));
}

TEST(MidiTrackToPlayable, ANoteThatOverrunsTheTrackEndsItAndTheEndOfTrackFollowsAtOnce)
{
    TrackFixture f;
    f.Build({{0, 60, 960}}, 480);
    f.track.ToPlayable();
    EXPECT_THAT(f.Rows(), ElementsAre(Row{144, 60, 0}, Row{128, 60, 960}, Row{255, -1, 960}));
    EXPECT_EQ(f.track.Event(f.track.Count() - 1).delta, 0);
}

TEST(MidiTrackToPlayable, NeedsTheEditingForm)
{
    TrackFixture f;
    f.Build({{0, 60, 240}}, 480);
    f.track.ToPlayable();
    f.track.ToPlayable();
    EXPECT_EQ(f.sink.Texts(), std::vector<std::string>{"MDTK0D000001 MidiTrackData Internal Error"});
}

TEST(MidiTrackOrderNoteOffs, MovesEveryNoteOffAheadOfTheNoteOnsOfItsTick)
{
    // A chord released and struck again at one tick, with a controller between.
    RecordingMessageSink sink;
    MidiTrackData track(sink, 30);
    struct Ev {
        int kind;
        int note;
        int delta;
    };
    for (const Ev& e : {Ev{144, 60, 0}, Ev{144, 64, 0}, Ev{144, 60, 240}, Ev{176, 7, 0}, Ev{144, 64, 0},
                        Ev{128, 60, 0}, Ev{128, 64, 0}, Ev{255, 47, 240}}) {
        auto event = std::make_unique<MidiEvent>(e.delta);
        event->kind = e.kind;
        event->note = e.note;
        event->number = e.kind == 255 ? 47 : 0;
        EXPECT_TRUE(track.AppendEvent(std::move(event)));
    }
    track.OrderNoteOffs();
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"MDTK0D000001 MidiTrackData Internal Error"});

    track.SetState(track_state::kPlayable);
    track.OrderNoteOffs();
    std::vector<std::tuple<int, int, int>> got;
    for (int i = 0; i < track.Count(); ++i)
        got.emplace_back(track.Event(i).kind, track.Event(i).note, track.Event(i).delta);
    EXPECT_THAT(got, ElementsAre(std::tuple{144, 60, 0}, std::tuple{144, 64, 0}, std::tuple{128, 60, 240},
                                 std::tuple{128, 64, 0}, std::tuple{144, 60, 0}, std::tuple{176, 7, 0},
                                 std::tuple{144, 64, 0}, std::tuple{255, 47, 240}));
}

TEST(MidiTrackChangeDivision, CarriesTheTicksLostByCuttingAndNeverLeavesADurationOf0)
{
    for (const int mode : {0, 1}) {
        RecordingMessageSink sink;
        MidiTrackData track(sink, kTrackCapacity);
        track.SetState(track_state::kEditing);
        track.AddNote(0, 239, 60, 100, 5);
        track.AddNote(0, 1, 62, 100, 960);
        track.AppendEndOfTrack(240);
        EXPECT_EQ(track.ChangeDivision(960, 96, mode), 1);
        if (mode == 0) {
            ASSERT_EQ(track.Count(), 3);
            EXPECT_EQ(track.Event(0).delta, 23);
            EXPECT_EQ(track.Event(0).duration, 1);
            EXPECT_EQ(track.Event(1).delta, 1);
            EXPECT_EQ(track.Event(1).duration, 96);
            EXPECT_EQ(track.Event(2).delta, 24);
        } else {
            // The short note is deleted and its time passes to the next event.
            ASSERT_EQ(track.Count(), 2);
            EXPECT_EQ(track.Event(0).delta, 24);
            EXPECT_EQ(track.Event(0).note, 62);
        }
        EXPECT_TRUE(sink.messages.empty());
    }
}

TEST(MidiTrackChangeDivision, SameDivisionOrBadDivisionChangesNothing)
{
    RecordingMessageSink sink;
    MidiTrackData track(sink, kTrackCapacity);
    track.SetState(track_state::kEditing);
    track.AddNote(0, 240, 60, 100, 240);
    EXPECT_EQ(track.ChangeDivision(960, 960, 0), 0);
    EXPECT_EQ(track.ChangeDivision(960, 0, 0), 0);
    EXPECT_EQ(track.Event(0).delta, 240);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"MDTK0D000010 Invalid parameter."});
}

TEST(MidiTrackEditing, TempoEndOfTrackProgramChangeAndSwap)
{
    RecordingMessageSink sink;
    MidiTrackData track(sink, kTrackCapacity);
    track.SetState(track_state::kEditing);
    track.AppendTempo(0);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"MDTK0D000015 MidiTrackData tempo data is wrong."});
    EXPECT_EQ(track.Event(0).value, 500000);
    track.AddProgramChange(0, 40);
    track.AddNote(0, 10, 60, 100, 240);
    track.AppendEndOfTrack(20);
    track.AppendEndOfTrack(30);
    ASSERT_EQ(track.Count(), 4);
    EXPECT_EQ(track.Event(1).kind, 192);
    EXPECT_EQ(track.Event(1).Data()[1], 40);
    EXPECT_EQ(track.Event(3).delta, 20);
    EXPECT_EQ(track.Event(3).Data()[1], 0x2F);

    track.SwapEvents(2, 3);
    EXPECT_EQ(track.Event(2).kind, 255);
    EXPECT_EQ(track.Event(2).delta, 10);
    EXPECT_EQ(track.Event(3).kind, 16);
    EXPECT_EQ(track.Event(3).delta, 20);

    std::int32_t packed = 0;
    EXPECT_EQ(track.FindTimeSignature(packed), 0);
}

TEST(MidiTrackEditing, AFullTableDropsNotesSilentlyAndReportsOtherEvents)
{
    RecordingMessageSink sink;
    MidiTrackData track(sink, 6);  // room for 2 events
    track.SetState(track_state::kEditing);
    track.AddNote(0, 0, 60, 100, 10);
    track.AddNote(0, 0, 62, 100, 10);
    track.AddNote(0, 0, 64, 100, 10);
    EXPECT_EQ(track.Count(), 2);
    EXPECT_TRUE(sink.messages.empty());
    track.AppendEndOfTrack(0);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"MDTK0D000006 Large data"});

    // No room for the note-offs: the track stays as it was, not half played.
    sink.messages.clear();
    track.ToPlayable();
    EXPECT_EQ(track.State(), track_state::kEditing);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"MDTK0D000006 Large data"});
}

TEST(MidiTrackEditing, CopiesOnlyAnEditingTrackAndDeeply)
{
    RecordingMessageSink sink;
    MidiTrackData source(sink, kTrackCapacity);
    source.SetState(track_state::kEditing);
    source.AddProgramChange(3, 40);
    MidiTrackData copy(source, kTrackCapacity);
    EXPECT_EQ(copy.State(), track_state::kEditing);
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_EQ(copy.Event(0).channel, 3);
    EXPECT_NE(copy.Event(0).Data(), source.Event(0).Data());

    source.SetState(track_state::kPlayable);
    MidiTrackData refused(source, kTrackCapacity);
    EXPECT_EQ(refused.Count(), 0);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"MDTK0D000001 MidiTrackData Internal Error"});
}

}  // namespace
}  // namespace harkwell
