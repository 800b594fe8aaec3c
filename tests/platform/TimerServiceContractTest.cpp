// What every TimerService keeps, checked on the real timer thread and on the
// manual clock the other tests use, so that the manual one cannot promise
// what the real one does not keep.
#include "platform/ThreadTimerService.h"

#include "fakes/ManualTimerService.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

namespace harkwell {
namespace {

using Clock = std::chrono::steady_clock;

// How each service lets time pass. RunFor(ms, done) moves time on by at
// least ms and returns once done() holds: the manual clock advances exactly
// ms and fires what fell due on the calling thread; the thread service waits,
// with a generous deadline, for its timer thread. NowMs is the service's own
// clock, read by procedures to tell when they fired.
struct ManualClock {
    testing::ManualTimerService timers;

    std::int64_t NowMs() const { return timers.Now(); }
    bool RunFor(int ms, const std::function<bool()>& done)
    {
        timers.AdvanceBy(ms);
        return done();
    }
    // Time passes on another thread, as it does for the real service.
    void RunInBackground(int ms)
    {
        background_ = std::thread([this, ms] { timers.AdvanceBy(ms); });
    }
    void JoinBackground()
    {
        if (background_.joinable()) background_.join();
    }
    ~ManualClock() { JoinBackground(); }

private:
    std::thread background_;
};

struct ThreadClock {
    ThreadTimerService timers;
    const Clock::time_point start = Clock::now();

    std::int64_t NowMs() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    }
    bool RunFor(int ms, const std::function<bool()>& done)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (!done() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return done();
    }
    void RunInBackground(int) {}
    void JoinBackground() {}
};

template <typename ClockT>
class TimerServiceContract : public ::testing::Test {
public:
    // One firing: which timer, and when on the service's clock.
    struct Firing {
        int tag;
        std::int64_t atMs;
    };
    struct Timer {
        TimerServiceContract* test;
        int tag;
        static void Fire(void* self)
        {
            auto* timer = static_cast<Timer*>(self);
            timer->test->Record(timer->tag);
        }
    };

    TimerService& Service() { return clock_.timers; }

    void Record(int tag)
    {
        std::lock_guard lock(mutex_);
        firings_.push_back({tag, clock_.NowMs()});
    }
    std::vector<Firing> Firings()
    {
        std::lock_guard lock(mutex_);
        return firings_;
    }
    std::vector<int> Order()
    {
        std::vector<int> tags;
        for (const auto& firing : Firings()) tags.push_back(firing.tag);
        return tags;
    }
    std::function<bool()> Fired(std::size_t count)
    {
        return [this, count] { return Firings().size() >= count; };
    }

    ClockT clock_;
    std::mutex mutex_;
    std::vector<Firing> firings_;
};

struct ClockNames {
    template <typename T>
    static std::string GetName(int)
    {
        return std::is_same_v<T, ManualClock> ? "ManualTimerService" : "ThreadTimerService";
    }
};

using Clocks = ::testing::Types<ManualClock, ThreadClock>;
TYPED_TEST_SUITE(TimerServiceContract, Clocks, ClockNames);

TYPED_TEST(TimerServiceContract, TimersFireOnceEachInTheOrderOfTheirDelaysAndNeverEarly)
{
    typename TestFixture::Timer late{this, 30};
    typename TestFixture::Timer early{this, 10};
    typename TestFixture::Timer middle{this, 20};
    const std::int64_t armedAt = this->clock_.NowMs();
    std::vector<TimerService::TimerId> ids;
    for (auto* timer : {&late, &early, &middle}) {
        ids.push_back(this->Service().ScheduleOnce(timer->tag, &TestFixture::Timer::Fire, timer));
        EXPECT_NE(ids.back(), TimerService::kNoTimer);
    }
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_NE(ids[1], ids[2]);
    EXPECT_NE(ids[0], ids[2]);

    ASSERT_TRUE(this->clock_.RunFor(30, this->Fired(3)));
    // Later time fires nothing again.
    typename TestFixture::Timer sentinel{this, 0};
    this->Service().ScheduleOnce(50, &TestFixture::Timer::Fire, &sentinel);
    ASSERT_TRUE(this->clock_.RunFor(50, this->Fired(4)));
    EXPECT_EQ(this->Order(), (std::vector<int>{10, 20, 30, 0}));
    for (const auto& firing : this->Firings()) {
        if (firing.tag == 0) continue;  // the sentinel
        EXPECT_GE(firing.atMs - armedAt, firing.tag) << "timer " << firing.tag;
    }
}

TYPED_TEST(TimerServiceContract, TheMinimumPeriodIsAtLeastOneMillisecondAndShorterDelaysWaitForIt)
{
    const int minimum = this->Service().MinimumPeriodMs();
    EXPECT_GE(minimum, 1);
    typename TestFixture::Timer zero{this, 1};
    typename TestFixture::Timer negative{this, 2};
    const std::int64_t armedAt = this->clock_.NowMs();
    EXPECT_NE(this->Service().ScheduleOnce(0, &TestFixture::Timer::Fire, &zero), TimerService::kNoTimer);
    EXPECT_NE(this->Service().ScheduleOnce(-50, &TestFixture::Timer::Fire, &negative), TimerService::kNoTimer);
    ASSERT_TRUE(this->clock_.RunFor(minimum, this->Fired(2)));
    for (const auto& firing : this->Firings()) EXPECT_GE(firing.atMs - armedAt, minimum) << "timer " << firing.tag;
}

TYPED_TEST(TimerServiceContract, ATimerCancelledBeforeItFiresNeverFires)
{
    typename TestFixture::Timer cancelled{this, 1};
    typename TestFixture::Timer kept{this, 2};
    const auto id = this->Service().ScheduleOnce(10, &TestFixture::Timer::Fire, &cancelled);
    this->Service().ScheduleOnce(40, &TestFixture::Timer::Fire, &kept);
    this->Service().Cancel(id);
    // The kept timer is due later: once it has fired, the cancelled one would have.
    ASSERT_TRUE(this->clock_.RunFor(40, this->Fired(1)));
    EXPECT_EQ(this->Order(), std::vector<int>{2});
}

TYPED_TEST(TimerServiceContract, CancellingAFiredUnknownOrNoTimerIsHarmless)
{
    typename TestFixture::Timer first{this, 1};
    typename TestFixture::Timer second{this, 2};
    const auto fired = this->Service().ScheduleOnce(5, &TestFixture::Timer::Fire, &first);
    ASSERT_TRUE(this->clock_.RunFor(5, this->Fired(1)));

    this->Service().ScheduleOnce(20, &TestFixture::Timer::Fire, &second);
    this->Service().Cancel(fired);
    this->Service().Cancel(fired);
    this->Service().Cancel(TimerService::kNoTimer);
    this->Service().Cancel(fired + 1000);  // never armed
    ASSERT_TRUE(this->clock_.RunFor(20, this->Fired(2)));
    EXPECT_EQ(this->Order(), (std::vector<int>{1, 2}));
}

TYPED_TEST(TimerServiceContract, NoProcedureArmsNoTimer)
{
    EXPECT_EQ(this->Service().ScheduleOnce(5, nullptr, this), TimerService::kNoTimer);
}

// A procedure arms the next link of a chain; each link counts from the one
// before, so the k-th fires no earlier than k periods after the first was armed.
template <typename Fixture>
struct Chain {
    Fixture* test;
    TimerService* timers;
    int links;
    int periodMs;
    int fired = 0;
    static void Fire(void* self)
    {
        auto* chain = static_cast<Chain*>(self);
        chain->test->Record(++chain->fired);
        if (chain->fired < chain->links) chain->timers->ScheduleOnce(chain->periodMs, &Chain::Fire, chain);
    }
};

TYPED_TEST(TimerServiceContract, AProcedureMayArmTheNextTimer)
{
    Chain<TestFixture> chain{this, &this->Service(), 5, 4};
    const std::int64_t armedAt = this->clock_.NowMs();
    ASSERT_NE(this->Service().ScheduleOnce(chain.periodMs, &Chain<TestFixture>::Fire, &chain), TimerService::kNoTimer);
    ASSERT_TRUE(this->clock_.RunFor(chain.links * chain.periodMs, this->Fired(5)));
    const auto firings = this->Firings();
    ASSERT_EQ(firings.size(), 5u);
    for (std::size_t i = 0; i < firings.size(); ++i) {
        EXPECT_EQ(firings[i].tag, static_cast<int>(i) + 1);
        EXPECT_GE(firings[i].atMs - armedAt, (firings[i].tag) * chain.periodMs);
    }
}

// Cancels a timer from inside a procedure: another one, and itself.
template <typename Fixture>
struct Canceller {
    Fixture* test;
    TimerService* timers;
    TimerService::TimerId other = TimerService::kNoTimer;
    std::atomic<TimerService::TimerId> self{TimerService::kNoTimer};
    static void Fire(void* context)
    {
        auto* canceller = static_cast<Canceller*>(context);
        canceller->timers->Cancel(canceller->other);
        canceller->timers->Cancel(canceller->self);  // returns at once from its own procedure
        canceller->test->Record(1);
    }
};

TYPED_TEST(TimerServiceContract, AProcedureMayCancelAnotherTimerAndItself)
{
    Canceller<TestFixture> canceller{this, &this->Service()};
    typename TestFixture::Timer victim{this, 2};
    typename TestFixture::Timer sentinel{this, 3};
    canceller.other = this->Service().ScheduleOnce(30, &TestFixture::Timer::Fire, &victim);
    this->Service().ScheduleOnce(50, &TestFixture::Timer::Fire, &sentinel);
    canceller.self = this->Service().ScheduleOnce(10, &Canceller<TestFixture>::Fire, &canceller);
    ASSERT_TRUE(this->clock_.RunFor(50, this->Fired(2)));
    EXPECT_EQ(this->Order(), (std::vector<int>{1, 3}));
}

// Holds its procedure until someone is cancelling it, then a little longer.
struct Holder {
    std::atomic<bool> started{false};
    std::atomic<bool> cancelling{false};
    std::atomic<bool> returned{false};
    static void Fire(void* self)
    {
        auto* holder = static_cast<Holder*>(self);
        holder->started = true;
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (!holder->cancelling && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        holder->returned = true;
    }
};

TYPED_TEST(TimerServiceContract, CancelOfARunningTimerWaitsUntilItsProcedureHasReturned)
{
    Holder holder;
    const auto id = this->Service().ScheduleOnce(5, &Holder::Fire, &holder);
    this->clock_.RunInBackground(5);
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!holder.started && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(holder.started);
    holder.cancelling = true;
    this->Service().Cancel(id);
    EXPECT_TRUE(holder.returned);
    this->clock_.JoinBackground();
}

TYPED_TEST(TimerServiceContract, TimersMayBeArmedAndCancelledFromAnotherThread)
{
    typename TestFixture::Timer kept{this, 1};
    typename TestFixture::Timer cancelled{this, 2};
    std::thread other([&] {
        this->Service().ScheduleOnce(20, &TestFixture::Timer::Fire, &kept);
        this->Service().Cancel(this->Service().ScheduleOnce(10, &TestFixture::Timer::Fire, &cancelled));
    });
    other.join();
    ASSERT_TRUE(this->clock_.RunFor(20, this->Fired(1)));
    EXPECT_EQ(this->Order(), std::vector<int>{1});
}

}  // namespace
}  // namespace harkwell
