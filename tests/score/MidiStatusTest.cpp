#include "score/MidiStatus.h"

#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;

std::unique_ptr<MidiEvent> Event(int delta, int kind, int channel, int number = 0, int value = 0, int note = 0)
{
    auto event = std::make_unique<MidiEvent>(delta);
    event->kind = kind;
    event->channel = channel;
    event->number = number;
    event->value = value;
    event->note = note;
    return event;
}

TEST(MidiStatus, CollectUpToRecordsTheEventsBeforeTheStartAndMakesThemInChannelOrder)
{
    RecordingMessageSink sink;
    MidiTrackData track(sink, kTrackCapacity);
    EXPECT_TRUE(track.AppendEvent(Event(0, 192, 2, 0, 30)));        // 0: replaced below
    EXPECT_TRUE(track.AppendEvent(Event(10, 176, 2, 7, 100)));      // 10
    EXPECT_TRUE(track.AppendEvent(Event(10, 192, 2, 0, 40)));       // 20
    EXPECT_TRUE(track.AppendEvent(Event(0, 224, 5, 0, 64, 3)));     // 20
    EXPECT_TRUE(track.AppendEvent(Event(0, 176, 99, 7, 1)));        // 20: no such channel, ignored
    EXPECT_TRUE(track.AppendEvent(Event(0, 144, 2, 0, 0, 60)));     // 20: notes set nothing
    EXPECT_TRUE(track.AppendEvent(Event(50, 144, 2, 0, 0, 62)));    // 70
    MidiStatus status(sink);
    std::int32_t skipped = -1;
    EXPECT_EQ(status.CollectUpTo(track, 60, skipped), 6);  // the start falls between 20 and 70
    EXPECT_EQ(skipped, 20);

    std::vector<std::unique_ptr<MidiEvent>> events;
    ASSERT_EQ(status.MakeEvents(events), 3);
    EXPECT_EQ(events[0]->kind, 192);
    EXPECT_EQ(events[0]->channel, 2);
    EXPECT_EQ(events[0]->value, 40);
    EXPECT_EQ(events[1]->kind, 176);
    EXPECT_EQ(events[1]->number, 7);
    EXPECT_EQ(events[1]->value, 100);
    EXPECT_EQ(events[2]->kind, 224);
    EXPECT_EQ(events[2]->channel, 5);
    EXPECT_EQ(events[2]->value, 64);
    EXPECT_EQ(events[2]->note, 3);
    for (const auto& event : events) EXPECT_EQ(event->delta, 0);
    EXPECT_TRUE(sink.messages.empty());
}

TEST(MidiStatus, CollectUpToAtTheEdges)
{
    RecordingMessageSink sink;
    MidiTrackData track(sink, kTrackCapacity);
    MidiStatus empty(sink);
    std::int32_t skipped = -1;
    EXPECT_EQ(empty.CollectUpTo(track, 100, skipped), 0);
    EXPECT_EQ(skipped, 0);

    EXPECT_TRUE(track.AppendEvent(Event(0, 192, 0, 0, 1)));
    EXPECT_TRUE(track.AppendEvent(Event(480, 192, 0, 0, 2)));
    MidiStatus exact(sink);
    EXPECT_EQ(exact.CollectUpTo(track, 480, skipped), 1);  // an event at the start is not passed
    EXPECT_EQ(skipped, 0);
    MidiStatus beyond(sink);
    EXPECT_EQ(beyond.CollectUpTo(track, 5000, skipped), 2);
    EXPECT_EQ(skipped, 480);
    EXPECT_EQ(beyond.Program(0), 2);
}

TEST(MidiStatus, TempoAndTimeSignatureComeLastAndABadSignatureIsReportedAndLeftOut)
{
    struct Case {
        int packed;
        bool made;
    };
    for (const Case c : {Case{0x0304, true}, Case{0, false}, Case{0x0300, false}, Case{0x0301, false},
                         Case{0x0306, false}}) {
        RecordingMessageSink sink;
        MidiStatus status(sink);
        auto tempo = std::make_unique<MidiEvent>(0);
        tempo->MakeTempo(600000, sink);
        status.Record(*tempo);
        status.Record(*Event(0, 255, 255, 88, c.packed));
        std::vector<std::unique_ptr<MidiEvent>> events;
        ASSERT_EQ(status.MakeEvents(events), c.made ? 2 : 1);
        EXPECT_EQ(events[0]->number, 81);
        EXPECT_EQ(events[0]->value, 600000);
        if (c.made) {
            EXPECT_EQ(events[1]->number, 88);
            ASSERT_EQ(events[1]->DataLength(), 4);
            EXPECT_EQ(events[1]->Data()[0], 3);
            EXPECT_EQ(events[1]->Data()[1], 2);
            EXPECT_EQ(events[1]->Data()[2], 18);
            EXPECT_EQ(events[1]->Data()[3], 8);
            EXPECT_TRUE(sink.messages.empty());
        } else {
            EXPECT_EQ(sink.Texts(), std::vector<std::string>{"MDSS37000002 Time Sign is invalid!"}) << c.packed;
        }
    }
}

}  // namespace
}  // namespace harkwell
