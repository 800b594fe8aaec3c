#include "app/SynthAccess.h"

#include "score/MidiControler.h"

#include "fakes/GatedMidiDevices.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingMidiPort.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
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

// Opening takes the synth a while: ahead of its first use it opens on a
// thread of its own, and is silenced and closed there at the end.
TEST(SynthAccess, OpensAheadOnAThreadOfItsOwnWithoutWaitingAndOnlyOnce)
{
    RecordingMessageSink sink;
    RecordingMidiDevices recording;
    testing::GatedMidiDevices devices(recording);
    devices.Hold();
    {
        SynthAccess synth(devices, sink);
        synth.OpenAhead();  // returns while the synth is still opening
        ASSERT_TRUE(devices.WaitForOpening());
        synth.OpenAhead();
        devices.Release();
        MidiOutPort* port = synth.Port();
        ASSERT_NE(port, nullptr);
        EXPECT_EQ(synth.Port(), port);
        ASSERT_EQ(devices.OpenThreads().size(), 1u) << "opened once";
        EXPECT_NE(devices.OpenThreads()[0], std::this_thread::get_id());
        ASSERT_TRUE(port->SendShort(0x90 | 60 << 8 | 100 << 16));
    }
    EXPECT_TRUE(recording.SoundingNotes().empty());
    EXPECT_EQ(devices.EndThreads(), (std::vector<std::thread::id>(2, devices.OpenThreads()[0])))
        << "silenced and closed where it was opened";
    EXPECT_EQ(recording.openPorts, 0);
    EXPECT_TRUE(sink.messages.empty());
}

TEST(SynthAccess, AMissingSynthOpenedAheadIsReportedWhenItIsAskedFor)
{
    RecordingMessageSink sink;
    RecordingMidiDevices recording;
    recording.failingDevices = {MidiOutDevices::kBuiltInSynth};
    testing::GatedMidiDevices devices(recording);
    SynthAccess synth(devices, sink);
    synth.OpenAhead();
    EXPECT_EQ(synth.Port(), nullptr);
    EXPECT_EQ(synth.Port(), nullptr);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{kCannotOpen});
    EXPECT_EQ(devices.OpenThreads().size(), 1u);
}

}  // namespace
}  // namespace harkwell
