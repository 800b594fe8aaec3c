// The written bar as it comes out of a sound server of the test's own,
// recorded from its monitor: Play Score through the live synth, and Sync
// Play against a stretch of clicks as harkwell-cli sync-check measures it.
#include "app/PlaybackControl.h"
#include "app/ScoreSong.h"
#include "app/SyncCheck.h"
#include "platform/BridgedRecording.h"
#include "platform/FluidSynthRenderer.h"
#include "platform/MidiPorts.h"
#include "platform/PortAudioWaveOutPort.h"
#include "platform/PrivateSoundServer.h"
#include "platform/PulseMonitorRecorder.h"
#include "platform/ThreadTimerService.h"

#include "fakes/CliRunner.h"
#include "fakes/ManualInterfaceThread.h"
#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

namespace harkwell {
namespace {

using namespace std::chrono_literals;

constexpr double kRate = 44100;

using Stretches = std::vector<std::pair<std::size_t, std::size_t>>;

// The note (of 48..84) strongest in stretches of sound, first to end frame
// (Goertzel under a Hann window, the stretches' powers added). Each stretch
// is whole, so no break in the sound smears the pitch, and long, for a fine
// resolution: the low notes lie a few hertz apart (E3 is 9 Hz above D#3).
int StrongestNote(const std::vector<std::int16_t>& sound, const Stretches& stretches)
{
    int best = -1;
    double bestPower = 0;
    for (int note = 48; note <= 84; ++note) {
        const double w = 2 * std::numbers::pi * 440.0 * std::pow(2.0, (note - 69) / 12.0) / kRate;
        const double c = 2 * std::cos(w);
        double power = 0;
        for (const auto& [first, end] : stretches) {
            const double length = static_cast<double>(end - first);
            double s1 = 0;
            double s2 = 0;
            for (std::size_t i = first; i < end; ++i) {
                const double hann = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i - first) / length);
                const double s0 = hann * sound[i] + c * s1 - s2;
                s2 = s1;
                s1 = s0;
            }
            power += s1 * s1 + s2 * s2 - c * s1 * s2;
        }
        if (power > bestPower) {
            bestPower = power;
            best = note;
        }
    }
    return best;
}

bool CanTestWithASoundServer()
{
    return testing::HasProgram("pulseaudio") && testing::HasProgram("parec") && IsUsableSoundFont(kDefaultGmSoundFont);
}

#if defined(__SANITIZE_ADDRESS__)
// Sound in real time under AddressSanitizer underruns: these run in the plain build.
#define HARKWELL_SKIP_UNDER_ASAN() GTEST_SKIP() << "real-time sound is tested in the plain build"
#else
#define HARKWELL_SKIP_UNDER_ASAN() (void)0
#endif

TEST(SoundRecordingTest, PlayScoreSoundsTheWrittenNotesAtTheirPitchesOnTheTemposGrid)
{
    HARKWELL_SKIP_UNDER_ASAN();
    if (!CanTestWithASoundServer()) GTEST_SKIP() << "no sound server or SoundFont to test with";
    testing::TempDir dir;
    testing::PrivateSoundServer server(dir);
    ASSERT_TRUE(server.Started()) << "the private sound server did not start";

    ScoreGrid grid;
    // Notes within the onset finder's low band: a note above it, such as C5,
    // rises too little there to be told from the ringing of the one before.
    const int notes[] = {48, 52, 55, 60};
    for (int beat = 0; beat < 4; ++beat) {
        grid.SetCursor(beat * 4);
        ASSERT_TRUE(grid.Write(notes[beat], 2));
    }
    PortAudioSession session;
    PortAudioWaveOutPort port(session);
    testing::RecordingMessageSink messages;
    SystemMidiDevices midi(messages);
    ThreadTimerService timers;
    FluidSynthRenderer renderer;
    testing::ManualInterfaceThread ui;
    PlaybackControl control(port, midi, timers, renderer, messages,
                            PlaybackControl::Hooks{[&](std::function<void()> task) { ui.Post(std::move(task)); },
                                                   [](PlayMode, std::string_view) {}, [] {},
                                                   [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }});
    // Recorded in the test's own process: it has begun once the first frames arrive.
    PulseMonitorRecorder recorder(44100);
    ASSERT_TRUE(recorder.Start()) << recorder.Error();
    for (int waited = 0; recorder.Frames() == 0 && waited < 500; ++waited) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(300ms);
    control.ToggleScore({&grid, 500000, SyncCheckMaterial::kProgram});
    ASSERT_TRUE(ui.RunUntil([&] { return !control.IsScorePlaying(); }, 30s));
    // The last note rings on after the score has ended: 800 ms more of what
    // the server played, however late the recording receives it.
    const std::size_t ended = recorder.Frames();
    for (int waited = 0; recorder.Frames() < ended + 44100 * 8 / 10 && waited < 1000; ++waited) std::this_thread::sleep_for(10ms);
    const auto recording = recorder.Stop();
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front().text;

    // The notes are found in the sound without the server's silences, which
    // would start them anew, and placed back in the recording: the synth
    // starts each note when the timer says, on the server's clock, whatever
    // silence came before.
    const testing::BridgedRecording bridged(recording);
    std::printf("the server put in %zu silences, %.1f ms in all\n", bridged.Silences(),
                static_cast<double>(bridged.SilentFrames()) / 44.1);
    EXPECT_LT(bridged.SilentFrames(), 44100u / 4) << "the sound broke up for more than a busy machine explains";
    std::vector<std::size_t> onsets;
    for (const std::uint32_t onset : NoteOnsets(bridged.Sound(), 44100)) onsets.push_back(bridged.RecordedFrame(onset));
    ASSERT_EQ(onsets.size(), 4u) << "every note of the bar is heard once";
    // A quarter is 500 ms at 120 quarters a minute. Each note's pitch is
    // judged in its whole stretches of 50 ms and more, from 20 ms after its
    // mallet's strike up to 450 ms: at least 150 ms of them.
    constexpr std::size_t kStrike = 44100 * 20 / 1000;
    constexpr std::size_t kSpan = 44100 * 450 / 1000;
    constexpr std::size_t kLeastStretch = 44100 * 50 / 1000;
    constexpr std::size_t kLeastJudged = 44100 * 150 / 1000;
    for (int beat = 0; beat < 4; ++beat) {
        SCOPED_TRACE(beat);
        const std::size_t onset = onsets[static_cast<std::size_t>(beat)];
        ASSERT_LE(onset + kSpan, recording.size());
        Stretches judged;
        std::size_t frames = 0;
        for (const auto& stretch : bridged.WholeStretches(onset + kStrike, onset + kSpan)) {
            if (stretch.second - stretch.first < kLeastStretch) continue;
            judged.push_back(stretch);
            frames += stretch.second - stretch.first;
        }
        ASSERT_GE(frames, kLeastJudged) << "too little of the note came through whole";
        EXPECT_EQ(StrongestNote(recording, judged), notes[beat]);
        // The timer's steps (1 ms) and the synth's blocks (512 frames, 12 ms)
        // move a note a little either way.
        const double ms = static_cast<double>(onset - onsets[0]) / 44.1;
        EXPECT_NEAR(ms, 500.0 * beat, 30.0);
    }
}

TEST(SoundRecordingTest, SyncCheckHearsTheBarOnTheClicksOfTheStretch)
{
    HARKWELL_SKIP_UNDER_ASAN();
    if (!CanTestWithASoundServer()) GTEST_SKIP() << "no sound server or SoundFont to test with";
    if (!std::filesystem::exists(HARKWELL_CLI_PATH)) GTEST_SKIP() << "harkwell-cli is not built here";
    testing::TempDir dir;
    testing::PrivateSoundServer server(dir);
    ASSERT_TRUE(server.Started()) << "the private sound server did not start";
    for (const char* speed : {"1", "0.5"}) {
        SCOPED_TRACE(speed);
        const auto result = testing::RunCli(dir, std::string("sync-check --speed ") + speed);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        std::istringstream lines(result.out);
        std::string line;
        std::string last;
        while (std::getline(lines, line)) last = line;
        ASSERT_EQ(last.rfind("offset_ms=", 0), 0u) << result.out;
        const int offset = std::stoi(last.substr(10));
        std::printf("sync-check at speed %s: %s", speed, result.out.c_str());
        // Generous: what it catches is a gross fault, such as a buffer of delay between the two.
        EXPECT_LE(std::abs(offset), 30);
    }
}

TEST(SoundRecordingTest, SyncCheckSaysWhenThereIsNoSoundServer)
{
    if (!std::filesystem::exists(HARKWELL_CLI_PATH)) GTEST_SKIP() << "harkwell-cli is not built here";
    if (!IsUsableSoundFont(kDefaultGmSoundFont)) GTEST_SKIP() << "no SoundFont";
    testing::TempDir dir;
    const auto result = testing::RunCli(dir, "sync-check --speed 1 PULSE=x");
    EXPECT_EQ(result.exitCode, 2) << "a stray argument is wrong usage";
    const std::string env = "PULSE_SERVER=unix:" + dir.File("nothing") + " ";
    const std::string command = "env " + env + "'" + HARKWELL_CLI_PATH + "' sync-check >/dev/null 2>'" +
                                dir.File("err") + "'";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
    const auto err = testing::ReadBytes(dir.File("err"));
    EXPECT_NE(std::string(err.begin(), err.end()).find("message: No sound server"), std::string::npos);
}

}  // namespace
}  // namespace harkwell
