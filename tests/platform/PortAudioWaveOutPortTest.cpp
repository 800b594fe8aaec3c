#include "audio/WavePlayer.h"
#include "platform/PortAudioWaveOutPort.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/TempDir.h"
#include "platform/BridgedRecording.h"
#include "platform/PrivateSoundServer.h"
#include "platform/QuietSoundProbing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>

namespace harkwell {
namespace {

using namespace std::chrono_literals;

#if defined(__SANITIZE_THREAD__)
#define HARKWELL_UNDER_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define HARKWELL_UNDER_TSAN 1
#endif
#endif

#if defined(HARKWELL_UNDER_TSAN)
// The sound callback runs late now and then in the instrumented build, and a
// gap of silence in the middle of a piece spoils its match.
constexpr std::size_t kFoundPerTen = 6;
#else
constexpr std::size_t kFoundPerTen = 8;
#endif

// Where `probe` lies in `recording`, by normalised correlation, and how well it matches there.
// It reads only the test's own samples after playback has ended: ThreadSanitizer
// leaves it alone, which saves most of a minute of the instrumented run.
__attribute__((no_sanitize("thread"))) std::pair<std::size_t, double> BestMatch(
    const std::vector<std::int16_t>& recording, const std::int16_t* probe, std::size_t length)
{
    double probeEnergy = 0;
    for (std::size_t i = 0; i < length; ++i) probeEnergy += double(probe[i]) * probe[i];
    std::pair<std::size_t, double> best{0, 0.0};
    const std::int16_t* samples = recording.data();
    const std::size_t count = recording.size();
    for (std::size_t at = 0; at + length <= count; ++at) {
        double dot = 0, energy = 0;
        for (std::size_t i = 0; i < length; ++i) {
            dot += double(samples[at + i]) * probe[i];
            energy += double(samples[at + i]) * samples[at + i];
        }
        const double score = energy > 0 ? dot / std::sqrt(energy * probeEnergy) : 0.0;
        if (score > best.second) best = {at, score};
    }
    return best;
}

TEST(PortAudioWaveOutPort, PlaysAStretchThroughTheSoundServer)
{
#if defined(__SANITIZE_ADDRESS__)
    // Sound in real time under AddressSanitizer underruns, and the sound
    // server's plugins keep memory to the end: this runs in the plain and the
    // ThreadSanitizer builds, where it looks for races with the sound callback.
    GTEST_SKIP() << "real-time sound is tested in the plain and ThreadSanitizer builds";
#endif
    if (!testing::HasProgram("pulseaudio") || !testing::HasProgram("parec")) GTEST_SKIP() << "no sound server to test with";
    testing::TempDir dir;
    testing::PrivateSoundServer server(dir);
    ASSERT_TRUE(server.Started()) << "the private sound server did not start";

    // Silence first, as a Play command's lead-in: long enough for the sound
    // server's monitor, which wakes up only when something plays, to catch up.
    constexpr std::size_t kLeadIn = 22050;
    constexpr std::size_t kStretch = 22050;
    std::vector<std::int16_t> block(kLeadIn + kStretch, 0);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> noise(-9000, 9000);
    for (std::size_t i = kLeadIn; i < block.size(); ++i) block[i] = static_cast<std::int16_t>(noise(random));

    PortAudioSession session;
    ASSERT_TRUE(session.Ready());
    PortAudioWaveOutPort port(session);
    testing::RecordingMessageSink messages;
    const WaveFormat format{1, 1, 44100, 88200, 2, 16};
    ASSERT_TRUE(port.Supports(-1, format)) << "the sound server's device was not found";

    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
    WavePlayer* self = nullptr;
    WavePlayer player(
        port, messages, format, reinterpret_cast<const std::uint8_t*>(block.data()),
        static_cast<std::uint32_t>(block.size()), WavePlayerSettings{},
        [&](WaveBufferHeader* header) { self->OnBufferDone(header); },
        [&](std::uint32_t written, std::uint32_t total) {
            if (written < total) return;
            std::lock_guard lock(mutex);
            finished = true;
            ended.notify_all();
        },
        [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
    self = &player;

    server.StartRecording();
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(player.Play()) << (messages.messages.empty() ? "" : messages.messages.front().text);
    {
        std::unique_lock lock(mutex);
        // A null sink may run slower than real time, and the instrumented
        // build slower still: wait generously.
        ASSERT_TRUE(ended.wait_for(lock, 60s, [&] { return finished; }));
    }
    while (player.IsPlaying()) std::this_thread::sleep_for(10ms);
    // The stretch is looked for as the port sent it, without the silences the
    // server put in while the sound came late: those split pieces, but lose nothing.
    const testing::BridgedRecording bridged(server.StopRecording());
    std::printf("the server put in %zu silences, %.1f ms in all\n", bridged.Silences(),
                static_cast<double>(bridged.SilentFrames()) / 44.1);
    const std::vector<std::int16_t>& recording = bridged.Sound();
    EXPECT_TRUE(messages.messages.empty());

    ASSERT_GT(recording.size(), kStretch);
    // Each piece of the stretch must be found in the recording, in order.
    // Pieces the port lost are missing; the content of those found is whole.
    constexpr std::size_t kPiece = 1024;
    std::size_t found = 0;
    std::size_t last = 0;
    bool inOrder = true;
    for (std::size_t piece = 0; piece + kPiece <= kStretch; piece += 2 * kPiece) {
        const auto [at, score] = BestMatch(recording, block.data() + kLeadIn + piece, kPiece);
        if (score < 0.9) continue;
        inOrder = inOrder && (found == 0 || at > last);
        last = at;
        ++found;
    }
    const std::size_t pieces = kStretch / (2 * kPiece) + 1;
    EXPECT_GE(found, pieces * kFoundPerTen / 10) << "of " << pieces << " pieces of the stretch";
    EXPECT_TRUE(inOrder);
    // What precedes the stretch is the silent lead-in.
    const auto [start, score] = BestMatch(recording, block.data() + kLeadIn, kPiece);
    ASSERT_GT(score, 0.9) << "the stretch's start is not in the recording";
    double before = 0;
    for (std::size_t i = start >= 1500 ? start - 1500 : 0; i < start; ++i) before += std::abs(recording[i]);
    EXPECT_LT(before / 1500.0, 50.0);
}

TEST(PortAudioWaveOutPort, SaysWhyItRefusesAFormatOrADevice)
{
#if defined(__SANITIZE_ADDRESS__)
    // The host APIs' plugins that a session loads keep memory to the end.
    GTEST_SKIP() << "the real port is tested in the plain and ThreadSanitizer builds";
#endif
    QuietSoundProbing();
    PortAudioSession session;
    ASSERT_TRUE(session.Ready());
    PortAudioWaveOutPort port(session);
    const WaveFormat deep{1, 1, 44100, 132300, 3, 24};
    EXPECT_FALSE(port.Supports(-1, deep));
    EXPECT_EQ(port.RefusalCause(-1, deep), "only 8- and 16-bit samples play");
    const WaveFormat mono{1, 1, 44100, 88200, 2, 16};
    EXPECT_FALSE(port.Supports(9999, mono));
    EXPECT_EQ(port.RefusalCause(9999, mono), "no output device");
}

}  // namespace
}  // namespace harkwell
