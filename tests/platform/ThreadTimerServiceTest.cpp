#include "platform/ThreadTimerService.h"
#include "score/MidiF0Data.h"
#include "score/MusicPlayer.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingMidiPort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace harkwell {
namespace {

using Clock = std::chrono::steady_clock;

struct Recorder {
    std::mutex mutex;
    std::vector<int> order;
    std::atomic<int> fired{0};
};

struct Tagged {
    Recorder* recorder;
    int tag;
    Clock::time_point firedAt{};
    static void Fire(void* self)
    {
        auto* t = static_cast<Tagged*>(self);
        t->firedAt = Clock::now();
        std::lock_guard lock(t->recorder->mutex);
        t->recorder->order.push_back(t->tag);
        ++t->recorder->fired;
    }
};

void WaitFor(const std::atomic<int>& counter, int value)
{
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (counter < value && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(ThreadTimerService, FiresEachTimerOnceNotBeforeItsDelayAndInTheOrderOfTheirTimes)
{
    Recorder recorder;
    Tagged late{&recorder, 2};
    Tagged early{&recorder, 1};
    ThreadTimerService timers;
    EXPECT_EQ(timers.MinimumPeriodMs(), 1);
    const auto start = Clock::now();
    ASSERT_NE(timers.ScheduleOnce(40, &Tagged::Fire, &late), TimerService::kNoTimer);
    ASSERT_NE(timers.ScheduleOnce(10, &Tagged::Fire, &early), TimerService::kNoTimer);
    WaitFor(recorder.fired, 2);
    timers.SleepFor(20);
    std::lock_guard lock(recorder.mutex);
    EXPECT_EQ(recorder.order, (std::vector<int>{1, 2}));
    EXPECT_GE(early.firedAt - start, std::chrono::milliseconds(10));
    EXPECT_GE(late.firedAt - start, std::chrono::milliseconds(40));
}

TEST(ThreadTimerService, ACancelledTimerNeverFires)
{
    Recorder recorder;
    Tagged cancelled{&recorder, 1};
    Tagged kept{&recorder, 2};
    ThreadTimerService timers;
    const auto id = timers.ScheduleOnce(20, &Tagged::Fire, &cancelled);
    timers.ScheduleOnce(30, &Tagged::Fire, &kept);
    timers.Cancel(id);
    timers.Cancel(id);                      // twice is harmless
    timers.Cancel(TimerService::kNoTimer);  // and so is none
    WaitFor(recorder.fired, 1);
    timers.SleepFor(30);
    std::lock_guard lock(recorder.mutex);
    EXPECT_EQ(recorder.order, (std::vector<int>{2}));
}

struct Chained {
    ThreadTimerService* timers;
    std::atomic<int> count{0};
    std::atomic<bool> inside{false};
    std::atomic<TimerService::TimerId> id{0};
    static void Fire(void* self)
    {
        auto* c = static_cast<Chained*>(self);
        c->inside = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        // A procedure arms its successor and may cancel itself without waiting.
        c->timers->Cancel(c->id);
        if (++c->count < 5) c->id = c->timers->ScheduleOnce(1, &Chained::Fire, c);
        c->inside = false;
    }
};

TEST(ThreadTimerService, AProcedureArmsTheNextAndCancelWaitsForARunningOne)
{
    ThreadTimerService timers;
    Chained chain;
    chain.timers = &timers;
    chain.id = timers.ScheduleOnce(1, &Chained::Fire, &chain);
    WaitFor(chain.count, 5);
    EXPECT_EQ(chain.count, 5);

    Chained slow;
    slow.timers = &timers;
    slow.count = 4;  // fires once more, without arming another
    slow.id = timers.ScheduleOnce(1, &Chained::Fire, &slow);
    while (!slow.inside && slow.count < 5) std::this_thread::yield();
    timers.Cancel(slow.id);
    EXPECT_FALSE(slow.inside);  // Cancel returned only after the procedure did
}

TEST(ThreadTimerService, ArmedTimersDieWithTheService)
{
    Recorder recorder;
    Tagged never{&recorder, 1};
    {
        ThreadTimerService timers;
        timers.ScheduleOnce(10000, &Tagged::Fire, &never);
    }
    EXPECT_EQ(recorder.fired, 0);
}

// The three threads of a playback at once: this one as the interface thread,
// the song's play thread and the timer thread that sends the notes.
TEST(ThreadTimerService, DrivesASongsTimerChainThatTheInterfaceThreadStops)
{
    testing::RecordingMessageSink sink;
    testing::RecordingMidiDevices devices;
    ThreadTimerService timers;
    MusicPlayer player(sink, devices, timers);
    MidiF0Data song(sink, player);
    song.Track().AppendTempo(500000);
    song.Track().AddProgramChange(0, 73);
    for (int note = 0; note < 64; ++note) song.Track().AddNote(0, 240, 60 + note % 12, 100, 240);
    song.Track().AppendEndOfTrack(240);

    std::atomic<int> progress{0};
    std::atomic<int> ended{0};
    song.Play([&] { ++ended; }, [&](std::int32_t, std::int32_t, const MidiEvent*) { ++progress; }, 0);
    WaitFor(progress, 6);
    EXPECT_GE(progress, 6) << "the timer chain sent nothing";
    song.Stop();

    EXPECT_EQ(ended, 0) << "a stopped playback does not call its end callback";
    EXPECT_FALSE(player.IsActive());
    EXPECT_EQ(devices.openPorts, 0);
    EXPECT_TRUE(sink.messages.empty());
    const auto sent = devices.Messages().size();
    timers.SleepFor(50);
    EXPECT_EQ(devices.Messages().size(), sent) << "nothing is sent after Stop";
}

}  // namespace
}  // namespace harkwell
