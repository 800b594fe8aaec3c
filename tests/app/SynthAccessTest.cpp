#include "app/SynthAccess.h"

#include "score/MidiControler.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingMidiPort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using testing::RecordingMidiDevices;

const std::string kCannotOpen = "MDCT07000001 Can not open Midi device!";

TEST(SynthAccess, OpensTheBuiltInSynthOnFirstUseKeepsItAndSilencesAndClosesItAtTheEnd)
{
    RecordingMessageSink sink;
    RecordingMidiDevices devices;
    {
        SynthAccess synth(devices, sink);
        EXPECT_TRUE(devices.openAttempts.empty()) << "nothing opens before it is used";
        MidiOutPort* port = synth.Port();
        ASSERT_NE(port, nullptr);
        EXPECT_EQ(synth.Port(), port);
        EXPECT_EQ(devices.openAttempts, std::vector<int>{MidiOutDevices::kBuiltInSynth});
        ASSERT_TRUE(port->SendShort(0x90 | 60 << 8 | 100 << 16));
        EXPECT_EQ(devices.resets, 0);
    }
    EXPECT_TRUE(devices.SoundingNotes().empty());
    EXPECT_EQ(devices.resets, 1);
    EXPECT_EQ(devices.closes, 1);
    EXPECT_EQ(devices.openPorts, 0);
    EXPECT_TRUE(sink.messages.empty());
}

TEST(SynthAccess, AMissingSynthIsReportedOncePerRunAndNotAskedForAgain)
{
    RecordingMessageSink sink;
    RecordingMidiDevices devices;
    devices.failingDevices = {MidiOutDevices::kBuiltInSynth};
    {
        SynthAccess synth(devices, sink);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(synth.Port(), nullptr);
        EXPECT_EQ(devices.openAttempts.size(), 1u);
    }
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{kCannotOpen});
    EXPECT_EQ(sink.messages[0].kind, MessageKind::SystemModal);

    // The notice belongs to the device list: another user of the same list
    // in the same run finds no synth either and says nothing more.
    SynthAccess again(devices, sink);
    EXPECT_EQ(again.Port(), nullptr);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{kCannotOpen});
}

TEST(SynthAccess, SharesTheMissingDeviceNoticeWithTheScoreController)
{
    RecordingMessageSink sink;
    RecordingMidiDevices devices;
    devices.deviceCount = 0;
    devices.failingDevices = {MidiOutDevices::kBuiltInSynth, 0};
    EXPECT_FALSE(MidiControler(devices, sink).IsOpen());
    SynthAccess synth(devices, sink);
    EXPECT_EQ(synth.Port(), nullptr);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{kCannotOpen});
}

}  // namespace
}  // namespace harkwell
