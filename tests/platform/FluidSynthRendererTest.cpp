// The bar rendered by the real synth and mixed into the wave, measured as
// Sync Play plays it, without a sound server: the frames that would leave
// for the speakers are those the fake output takes.
#include "platform/FluidSynthRenderer.h"

#include "app/PlaybackControl.h"
#include "app/ScoreSong.h"
#include "app/SyncCheck.h"
#include "fakes/FakeWaveOutPort.h"
#include "fakes/ManualInterfaceThread.h"
#include "fakes/ManualTimerService.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingMidiPort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace harkwell {
namespace {

using namespace std::chrono_literals;

std::size_t FirstSound(const std::vector<float>& stereo)
{
    for (std::size_t i = 0; i < stereo.size(); ++i)
        if (std::abs(stereo[i]) > 1e-4f) return i / 2;
    return stereo.size() / 2;
}

TEST(FluidSynthRendererTest, NotesBeginOnTheirFramesAndEachRenderingStartsSilent)
{
    if (!IsUsableSoundFont(kDefaultGmSoundFont)) GTEST_SKIP() << "no General MIDI SoundFont";
    FluidSynthRenderer renderer;
    const TimedMidiMessage messages[] = {{0, 0x0000C0}, {10'000, 0x7F3C90}, {30'000, 0x003C80}};
    for (std::uint32_t rate : {44100u, 22050u, 44100u}) {
        SCOPED_TRACE(rate);
        std::vector<float> stereo;
        ASSERT_TRUE(renderer.Render(messages, rate, 40'000, stereo));
        ASSERT_EQ(stereo.size(), 80'000u);
        // The synth takes a message within its next two 64-frame blocks.
        const std::size_t first = FirstSound(stereo);
        EXPECT_GE(first, 10'000u);
        EXPECT_LT(first, 10'000u + 128u);
    }
    std::vector<float> none;
    EXPECT_FALSE(renderer.Render(messages, 1000, 100, none)) << "a rate the synth cannot take";
    EXPECT_TRUE(none.empty());
    FluidSynthRenderer missing("/nonexistent.sf2");
    EXPECT_FALSE(missing.Render(messages, 44100, 100, none));
}

TEST(FluidSynthRendererTest, SyncPlaySoundsTheFirstNoteOnTheStretchsFirstFrameAtEverySpeed)
{
    if (!IsUsableSoundFont(kDefaultGmSoundFont)) GTEST_SKIP() << "no General MIDI SoundFont";
    const SyncCheckMaterial material = MakeSyncCheckMaterial();
    const std::uint32_t rate = material.format.samplesPerSec;
    testing::FakeWaveOutPort port;
    testing::RecordingMidiDevices midi;
    testing::ManualTimerService timers;
    testing::RecordingMessageSink messages;
    testing::ManualInterfaceThread ui;
    FluidSynthRenderer renderer;
    PlaybackControl control(port, midi, timers, renderer, messages,
                            PlaybackControl::Hooks{[&](std::function<void()> task) { ui.Post(std::move(task)); },
                                                   [](PlayMode, std::string_view) {}, [] {},
                                                   [&](int ms) {
                                                       std::this_thread::sleep_for(1ms);
                                                       port.Advance(static_cast<std::uint32_t>(ms * 441 / 10));
                                                   }});
    const PlaySource tune{material.format,
                          {reinterpret_cast<const std::uint8_t*>(material.clicks.data()), material.clicks.size() * 2}};
    for (double speed : {1.0, 0.5, 2.0}) {
        SCOPED_TRACE(speed);
        port.played.clear();
        control.SyncPlay(tune, 0, 0, speed,
                         {&material.bar, ScoreTempo(material.separators, 0, rate, speed), SyncCheckMaterial::kProgram});
        ASSERT_TRUE(control.IsScorePlaying());
        ASSERT_TRUE(ui.RunUntil([&] { return !control.IsPlaying() && !control.IsScorePlaying(); }));
        std::vector<std::int16_t> played(port.played.size() / 2);
        std::memcpy(played.data(), port.played.data(), played.size() * 2);
        const auto measured = MeasureSync(played, rate, speed);
        ASSERT_TRUE(measured.has_value());
        EXPECT_NEAR(ClickOnsets(played, rate).front(), control.FirstStretchFrame(), 8u) << "the stretch's first click";
        EXPECT_LT(std::abs(measured->offsetMs), 10.0);
        ASSERT_EQ(measured->gridErrorsMs.size(), 4u);
        for (double e : measured->gridErrorsMs) EXPECT_LT(std::abs(e), 10.0);
        std::printf("speed %.1f: first note %+.2f ms from the first frame; grid errors %+.2f %+.2f %+.2f %+.2f ms\n",
                    speed, measured->offsetMs, measured->gridErrorsMs[0], measured->gridErrorsMs[1],
                    measured->gridErrorsMs[2], measured->gridErrorsMs[3]);
    }
    EXPECT_TRUE(midi.Messages().empty());
    EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
}  // namespace harkwell
