#include "platform/AlsaSequencerPorts.h"
#include "platform/FluidSynthMidiPort.h"
#include "platform/MidiPorts.h"
#include "score/MidiControler.h"
#include "score/MidiF0Data.h"
#include "score/MusicPlayer.h"

#include "fakes/ManualTimerService.h"
#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace harkwell {
namespace {

using testing::ManualTimerService;
using testing::RecordingMessageSink;

bool HaveSoundFont() { return IsUsableSoundFont(kDefaultGmSoundFont); }

// Hands out the one offline synth as device -1, so that a whole score can be
// played through the real synth and its sound pulled out in step with the
// manual clock.
class OfflineSynthDevices final : public MidiOutDevices {
public:
    explicit OfflineSynthDevices(FluidSynthMidiPort& synth) : synth_(synth) {}
    int Count() override { return 1; }
    std::unique_ptr<MidiOutPort> Open(int device) override
    {
        if (device != kBuiltInSynth) return nullptr;
        return std::make_unique<Borrowed>(synth_);
    }

private:
    struct Borrowed final : MidiOutPort {
        explicit Borrowed(FluidSynthMidiPort& s) : synth(s) {}
        bool SendShort(std::uint32_t packed) override { return synth.SendShort(packed); }
        int SendLong(const std::uint8_t* bytes, std::size_t length) override { return synth.SendLong(bytes, length); }
        bool Reset() override { return synth.Reset(); }
        bool Close() override { return true; }
        FluidSynthMidiPort& synth;
    };
    FluidSynthMidiPort& synth_;
};

// Strength of one frequency in a block of sound (Goertzel).
double Power(const std::vector<float>& sound, double frequency)
{
    const double w = 2.0 * std::numbers::pi * frequency / FluidSynthMidiPort::kSampleRate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0;
    double s2 = 0;
    for (const float x : sound) {
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

TEST(FluidSynthMidiPort, AScorePlayedThroughTheSynthSoundsNote69At440Hz)
{
    if (!HaveSoundFont()) GTEST_SKIP() << "no General MIDI SoundFont at " << kDefaultGmSoundFont;
    auto synth = FluidSynthMidiPort::OpenOffline(kDefaultGmSoundFont);
    ASSERT_NE(synth, nullptr);
    EXPECT_FALSE(synth->HasSound());

    RecordingMessageSink sink;
    ManualTimerService timers;
    OfflineSynthDevices devices(*synth);
    MusicPlayer player(sink, devices, timers);
    MidiF0Data song(sink, player);
    song.Track().AppendTempo(500000);
    song.Track().AddProgramChange(0, 73);  // flute: few overtones
    song.Track().AddNote(0, 0, 69, 127, 1920);
    song.Track().AppendEndOfTrack(1920);
    song.SetDivision(96);
    song.ToPlayable();

    ASSERT_TRUE(player.Start(&song, nullptr, 0, 0, -1, nullptr));
    // One second of sound, in 1 ms steps of the clock.
    constexpr int kFramesPerMs = FluidSynthMidiPort::kSampleRate / 1000;
    std::vector<float> left;
    std::vector<float> right(kFramesPerMs);
    for (int ms = 0; ms < 1000; ++ms) {
        timers.AdvanceBy(1);
        left.resize(left.size() + kFramesPerMs);
        ASSERT_TRUE(synth->Render(left.data() + left.size() - kFramesPerMs, right.data(), kFramesPerMs));
    }
    timers.AdvanceBy(100);  // the note ends at 1005 ms, and the track with it
    player.WaitForEnd();
    player.Finish();
    EXPECT_EQ(synth->ProgramOf(0), 73);

    // Skip the attack; look for the strongest frequency from 300 to 1000 Hz.
    const std::vector<float> steady(left.begin() + FluidSynthMidiPort::kSampleRate / 5,
                                    left.begin() + FluidSynthMidiPort::kSampleRate * 9 / 10);
    double best = 0;
    double bestPower = 0;
    for (double f = 300; f <= 1000; f += 0.5) {
        const double power = Power(steady, f);
        if (power > bestPower) {
            bestPower = power;
            best = f;
        }
    }
    EXPECT_NEAR(best, 440.0, 2.0);
    EXPECT_GT(bestPower, 1.0);
    EXPECT_TRUE(sink.messages.empty());
}

TEST(FluidSynthMidiPort, TheGmSystemOnMessageResetsTheSynth)
{
    if (!HaveSoundFont()) GTEST_SKIP() << "no General MIDI SoundFont";
    auto synth = FluidSynthMidiPort::OpenOffline(kDefaultGmSoundFont);
    ASSERT_NE(synth, nullptr);
    RecordingMessageSink sink;
    OfflineSynthDevices devices(*synth);
    MidiControler midi(devices, sink);
    ASSERT_TRUE(midi.ProgramChange(40, 3));
    EXPECT_EQ(synth->ProgramOf(3), 40);
    EXPECT_EQ(midi.ResetGM(), 0);
    EXPECT_EQ(synth->ProgramOf(3), 0);
    EXPECT_TRUE(sink.messages.empty());
}

TEST(SystemMidiDevices, CountsTheSynthAndTheSequencerPorts)
{
    RecordingMessageSink sink;
    const int ports = static_cast<int>(ListSequencerDestinations().size());
    SystemMidiDevices devices(sink);
    EXPECT_EQ(devices.Count(), (HaveSoundFont() ? 1 : 0) + ports);
    SystemMidiDevices withoutSynth(sink, "/nonexistent/none.sf2");
    EXPECT_EQ(withoutSynth.Count(), ports);
    EXPECT_EQ(withoutSynth.Open(-1), nullptr);
    EXPECT_EQ(withoutSynth.Open(ports), nullptr);
    EXPECT_EQ(withoutSynth.Open(-7), nullptr);
    EXPECT_TRUE(sink.messages.empty());
}

TEST(SystemMidiDevices, WithNeitherSynthNorPortTheMessageComesOncePerRun)
{
    if (!ListSequencerDestinations().empty()) GTEST_SKIP() << "this machine has sequencer ports";
    RecordingMessageSink sink;
    SystemMidiDevices devices(sink, "/nonexistent/none.sf2");
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(MidiControler(devices, sink).IsOpen());
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"MDCT07000001 Can not open Midi device!"});
}

TEST(SystemMidiDevices, TheLiveSynthOpensAndSaysOnceWhenItCannotBeHeard)
{
    if (!HaveSoundFont()) GTEST_SKIP() << "no General MIDI SoundFont";
    RecordingMessageSink sink;
    SystemMidiDevices devices(sink);
    bool heard = true;
    for (int i = 0; i < 2; ++i) {
        auto port = devices.Open(MidiOutDevices::kBuiltInSynth);
        ASSERT_NE(port, nullptr);
        heard = static_cast<FluidSynthMidiPort&>(*port).HasSound();
        EXPECT_TRUE(port->SendShort(0x90 | 60 << 8 | 100 << 16));
        EXPECT_TRUE(port->SendShort(0x80 | 60 << 8));
        EXPECT_TRUE(port->Reset());
        EXPECT_TRUE(port->Close());
        EXPECT_FALSE(port->SendShort(0x90 | 60 << 8 | 100 << 16));
    }
    if (heard)
        EXPECT_TRUE(sink.messages.empty());
    else
        EXPECT_EQ(sink.Texts(), std::vector<std::string>{SystemMidiDevices::kNoSoundNotice});
}

}  // namespace
}  // namespace harkwell
