#include "audio/WavePlayer.h"

#include "fakes/FakeWaveOutPort.h"
#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace harkwell {
namespace {

using testing::FakeWaveOutPort;

const WaveFormat kMono16{1, 1, 44100, 88200, 2, 16};

// A player on the fake port whose clock moves only when the worker sleeps:
// every millisecond slept plays 44.1 frames.
class WavePlayerTest : public ::testing::Test {
protected:
    // `realMs`: how long each sleep of the worker really takes, so the test can act meanwhile.
    std::unique_ptr<WavePlayer> MakePlayer(const std::vector<std::int16_t>& samples, int realMs = 0)
    {
        return std::make_unique<WavePlayer>(
            port_, messages_, kMono16, reinterpret_cast<const std::uint8_t*>(samples.data()),
            static_cast<std::uint32_t>(samples.size()), WavePlayerSettings{},
            [this](WaveBufferHeader* header) { player_->OnBufferDone(header); },
            [this](std::uint32_t written, std::uint32_t total) {
                std::lock_guard lock(mutex_);
                progress_.emplace_back(written, total);
                changed_.notify_all();
            },
            [this, realMs](int ms) {
                if (realMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(realMs));
                port_.Advance(static_cast<std::uint32_t>(ms * 441 / 10));
            });
    }

    // Waits until the player has reported the end, and for its worker.
    void WaitForEnd(std::uint32_t total)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !progress_.empty() && progress_.back().first >= total; });
    }

    static std::vector<std::int16_t> Ramp(std::size_t count)
    {
        std::vector<std::int16_t> samples(count);
        for (std::size_t i = 0; i < count; ++i) samples[i] = static_cast<std::int16_t>(1 + i % 30000);
        return samples;
    }

    std::vector<std::int16_t> Played() const
    {
        std::vector<std::int16_t> samples(port_.played.size() / 2);
        std::memcpy(samples.data(), port_.played.data(), samples.size() * 2);
        return samples;
    }

    FakeWaveOutPort port_;
    testing::RecordingMessageSink messages_;
    std::unique_ptr<WavePlayer> player_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> progress_;
};

TEST_F(WavePlayerTest, PlaysTheWholeBlockInOrderALeadAhead)
{
    const auto samples = Ramp(100'000);  // several turns of the 16384-frame ring
    player_ = MakePlayer(samples);
    EXPECT_EQ(player_->Lead(), 4851u);
    ASSERT_TRUE(player_->Play());
    WaitForEnd(100'000);
    player_.reset();

    {
        std::lock_guard lock(mutex_);
        ASSERT_GE(progress_.size(), 2u);
        EXPECT_EQ(progress_[0].first, 4851u) << "the first step fills the lead";
        EXPECT_EQ(progress_[1].first, 4851u + 441u) << "then what became due in 10 ms";
        EXPECT_EQ(progress_.back(), std::make_pair(100'000u, 100'000u));
    }
    const auto played = Played();
    ASSERT_GE(played.size(), samples.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), played.begin())) << "every frame in its place";
    EXPECT_TRUE(std::all_of(played.begin() + 100'000, played.end(), [](std::int16_t s) { return s == 0; }))
        << "after the block only silence, not what the ring held a turn before";
    EXPECT_EQ(port_.resets, 1);
    EXPECT_EQ(port_.closes, 1);
    EXPECT_EQ(port_.writes, port_.writesAtReset) << "nothing is queued after the stop";
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(WavePlayerTest, ABlockShorterThanTheLeadIsWrittenAtOnce)
{
    const auto samples = Ramp(1000);
    player_ = MakePlayer(samples);
    ASSERT_TRUE(player_->Play());
    WaitForEnd(1000);
    player_.reset();
    std::lock_guard lock(mutex_);
    ASSERT_EQ(progress_.size(), 1u);
    EXPECT_EQ(progress_[0], std::make_pair(1000u, 1000u));
    const auto played = Played();
    ASSERT_GE(played.size(), 1000u) << "the tail wait lets it sound";
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), played.begin()));
    EXPECT_EQ(port_.closes, 1);
}

TEST_F(WavePlayerTest, StopEndsThePlayOnceAndQueuesNothingMore)
{
    const auto samples = Ramp(2'000'000);
    player_ = MakePlayer(samples, 1);
    ASSERT_TRUE(player_->Play());
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return progress_.size() >= 3; });
    }
    player_->Stop();
    player_->Stop();
    EXPECT_FALSE(player_->IsPlaying());
    const std::uint32_t written = player_->Written();
    player_.reset();
    EXPECT_LT(written, 2'000'000u);
    EXPECT_EQ(port_.resets, 1);
    EXPECT_EQ(port_.closes, 1);
    EXPECT_EQ(port_.writes, port_.writesAtReset);
}

TEST_F(WavePlayerTest, StopFromBothThreadsClosesOnce)
{
    // The worker stops at the block's end while the test stops it too.
    for (int round = 0; round < 20; ++round) {
        FakeWaveOutPort port;
        const auto samples = Ramp(5000);
        WavePlayer* self = nullptr;
        WavePlayer player(port, messages_, kMono16, reinterpret_cast<const std::uint8_t*>(samples.data()), 5000,
                          WavePlayerSettings{}, [&](WaveBufferHeader* header) { self->OnBufferDone(header); }, nullptr,
                          [&](int ms) { port.Advance(static_cast<std::uint32_t>(ms * 441 / 10)); });
        self = &player;
        ASSERT_TRUE(player.Play());
        player.Stop();
        while (player.IsPlaying()) std::this_thread::yield();
        EXPECT_LE(port.closes, 1);
    }
}

}  // namespace
}  // namespace harkwell
