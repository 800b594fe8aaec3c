#include "score/MusicEvent.h"
#include "score/ScoreReports.h"

#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;

TEST(ScoreReporters, FormatEachModulesCodesAndFallBackToItsGeneralText)
{
    struct Case {
        std::function<int(MessageSink&)> report;
        const char* text;
    };
    // Codes the program never raises still show their table text or the fallback.
    const auto raise = []<typename Code>(int (*report)(MessageSink&, Code), std::uint32_t code) {
        return [report, code](MessageSink& sink) { return report(sink, static_cast<Code>(code)); };
    };
    const Case cases[] = {
        {raise(ReportMusicEventError, 0x6000001),
         "MUEV06000001 Event data size is too large! If it includes MFi terminal tone data, it would not be a "
         "problem."},
        {raise(ReportMusicEventError, 0x6000002), "MUEV06000002 Error occured in event data!"},
        {raise(ReportMusicEventError, 0x6000003), "MUEV06000003 Error occured in MusicEvent!"},
        {raise(ReportTrackError, 0xD000001), "MDTK0D000001 MidiTrackData Internal Error"},
        {raise(ReportTrackError, 0xD00001B), "MDTK0D00001B Musical data is invalid!"},
        {raise(ReportTrackError, 0xD00002D), "MDTK0D00002D Error occured in data editing!"},
        {raise(ReportTrackError, 0xD000004), "MDTK0D000004 MidiTrackData error."},
        {raise(ReportStatusError, 0x37000002), "MDSS37000002 Time Sign is invalid!"},
        {raise(ReportStatusError, 0x37000001), "MDSS37000001 Error occured in MidiStatus"},
        {raise(ReportSongError, 0x400000A), "M0DT0400000A Error occured during stop process!"},
        {raise(ReportSongError, 0x4000006), "M0DT04000006 Error occurred in MidiF0Data!"},
        {raise(ReportPlayerError, 0x8000003), "MDPL08000003 Tempo is too slow!"},
        {raise(ReportPlayerError, 0x8000008), "MDPL08000008 Error occured in MidiPlayer!"},
        {raise(ReportMusicPlayerError, 0x9000001), "MDSP09000001 Internal Error occured in MusicPlayer!"},
        {raise(ReportMusicPlayerError, 0x9000002), "MDSP09000002 Error occured in MusicPlayer!"},
        {raise(ReportMidiDeviceError, 0x7000001), "MDCT07000001 Can not open Midi device!"},
        {raise(ReportMidiDeviceError, 0x7000004), "MDCT07000004 Can not send system exclusive with midi device!"},
        {raise(ReportMidiDeviceError, 0x7000009), "MDCT07000009 Error occured in MidiControler!"},
    };
    for (const auto& c : cases) {
        RecordingMessageSink sink;
        c.report(sink);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].text, c.text);
        EXPECT_EQ(sink.messages[0].kind, MessageKind::SystemModal);
    }
}

TEST(MusicEvent, SetDataKeepsEveryByteAndReportsOnlyAbove256)
{
    for (const int length : {1, 256, 257, 300}) {
        RecordingMessageSink sink;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
        MusicEvent event;
        EXPECT_TRUE(event.SetData(bytes.data(), length, sink));
        ASSERT_EQ(event.DataLength(), length);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), event.Data()));
        // The block carries 8 zero bytes past the data.
        for (int i = 0; i < 8; ++i) EXPECT_EQ(event.Data()[length + i], 0);
        if (length > 256)
            EXPECT_EQ(sink.Texts(), std::vector<std::string>{std::string("MUEV06000001 ") +
                                                             std::string(MusicEventErrorText(MusicEventError::DataTooLarge))});
        else
            EXPECT_TRUE(sink.messages.empty()) << length;
    }
}

TEST(MusicEvent, EmptySetDataLeavesOldDataAndCopiesOwnTheirBlocks)
{
    RecordingMessageSink sink;
    MidiEvent event;
    EXPECT_EQ(event.channel, 255);
    const std::uint8_t bytes[3] = {1, 2, 3};
    EXPECT_TRUE(event.SetData(bytes, 3, sink));
    EXPECT_TRUE(event.SetData(bytes, 0, sink));
    ASSERT_EQ(event.DataLength(), 3);
    EXPECT_EQ(event.Data()[2], 3);

    event.kind = event_kind::kNoteOn;
    event.note = 60;
    event.channel = 4;
    MidiEvent copy;
    copy = event;
    MidiEvent constructed(event);
    event.FreeData();
    EXPECT_EQ(event.Data(), nullptr);
    for (const MidiEvent* c : {&copy, &constructed}) {
        EXPECT_EQ(c->channel, 4);
        EXPECT_EQ(c->note, 60);
        ASSERT_EQ(c->DataLength(), 3);
        EXPECT_EQ(c->Data()[0], 1);
        EXPECT_EQ(c->Data()[2], 3);
    }
    EXPECT_NE(copy.Data(), constructed.Data());
    EXPECT_TRUE(sink.messages.empty());
}

TEST(MusicEvent, MakeTempoStoresThreeBigEndianBytes)
{
    RecordingMessageSink sink;
    MidiEvent event(5);
    event.MakeTempo(500000, sink);
    EXPECT_EQ(event.kind, 255);
    EXPECT_EQ(event.number, 81);
    EXPECT_EQ(event.value, 500000);
    EXPECT_EQ(event.delta, 5);
    ASSERT_EQ(event.DataLength(), 3);
    EXPECT_EQ(event.Data()[0], 0x07);
    EXPECT_EQ(event.Data()[1], 0xA1);
    EXPECT_EQ(event.Data()[2], 0x20);
}

}  // namespace
}  // namespace harkwell
