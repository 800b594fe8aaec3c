#include "score/MidiControler.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingMidiPort.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using testing::RecordingMidiDevices;
using Bytes = std::vector<std::uint8_t>;
const std::string kCannotOpen = "MDCT07000001 Can not open Midi device!";

TEST(MidiControler, WithNoDeviceAtAllSaysSoOncePerRun)
{
    RecordingMessageSink sink;
    RecordingMidiDevices devices;
    devices.deviceCount = 0;
    for (int i = 0; i < 3; ++i) {
        MidiControler midi(devices, sink);
        EXPECT_FALSE(midi.IsOpen());
        EXPECT_FALSE(midi.NoteOn(60, 100, 0));
    }
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{kCannotOpen});
    EXPECT_TRUE(devices.openAttempts.empty());
}

TEST(MidiControler, TheSynthFallsBackToDevice0AndOtherFailuresReportEveryTime)
{
    RecordingMessageSink sink;
    RecordingMidiDevices devices;
    devices.failingDevices = {-1};
    {
        MidiControler midi(devices, sink);
        EXPECT_TRUE(midi.IsOpen());
    }
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(devices.openAttempts, (std::vector<int>{-1, 0}));

    devices.failingDevices = {-1, 0, 3};
    MidiControler none(devices, sink);
    MidiControler numbered(devices, sink, 3);
    EXPECT_FALSE(none.IsOpen());
    EXPECT_FALSE(numbered.IsOpen());
    EXPECT_EQ(sink.Texts(), (std::vector<std::string>{kCannotOpen, kCannotOpen}));
}

TEST(MidiControler, SendsShortMessagesCutToBytesAndClampsVelocity)
{
    RecordingMessageSink sink;
    RecordingMidiDevices devices;
    {
        MidiControler midi(devices, sink);
        EXPECT_TRUE(midi.NoteOn(60, 200, 0));
        EXPECT_TRUE(midi.NoteOff(61, 3));
        EXPECT_TRUE(midi.ProgramChange(40, 2));
        EXPECT_TRUE(midi.SendShort(0x164, 0x107, 0xB1));
        EXPECT_EQ(devices.resets, 0);
    }
    EXPECT_THAT(devices.Shorts(), ::testing::ElementsAre(Bytes{0x90, 60, 127}, Bytes{0x83, 61, 0},
                                                         Bytes{0xC2, 40, 0}, Bytes{0xB1, 0x07, 0x64}));
    EXPECT_EQ(devices.resets, 1);  // closing silences the port first
    EXPECT_EQ(devices.closes, 1);
    EXPECT_TRUE(sink.messages.empty());
}

TEST(MidiControler, AFailedProgramChangeIsReported)
{
    RecordingMessageSink sink;
    RecordingMidiDevices devices;
    devices.failShortMessages = true;
    MidiControler midi(devices, sink);
    EXPECT_FALSE(midi.ProgramChange(1, 0));
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"MDCT07000003 Can not change tone with Midi device!"});
}

TEST(MidiControler, SystemExclusiveDropsTheTrackFormsLengthByte)
{
    RecordingMessageSink sink;
    RecordingMidiDevices devices;
    MidiControler midi(devices, sink);
    const std::uint8_t gmOn[] = {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_EQ(midi.SendSysEx(7, gmOn), 0);
    EXPECT_EQ(midi.ResetGM(), 0);
    // A message without F0 goes as it is; being no complete message, the port
    // refuses it and its code comes back.
    const std::uint8_t wire[] = {0x7E, 0x7F, 0x09, 0x01};
    EXPECT_EQ(midi.SendSysEx(4, wire), 1);
    std::vector<std::uint8_t> tooLong(258, 0x11);
    tooLong[0] = 0xF0;
    EXPECT_NE(midi.SendSysEx(258, tooLong.data()), 0);

    const auto messages = devices.Messages();
    ASSERT_EQ(messages.size(), 2u);
    const Bytes expected{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_TRUE(messages[0].isLong);
    EXPECT_EQ(messages[0].bytes, expected);
    EXPECT_EQ(messages[1].bytes, expected);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"MDCT07000005 Invalid parameter in Midi!"});
}

}  // namespace
}  // namespace harkwell
