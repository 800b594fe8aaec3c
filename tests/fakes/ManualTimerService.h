#pragma once

#include "score/TimerService.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace harkwell::testing {

// A timer service whose clock moves only when the test says: AdvanceBy fires
// the timers that fall due, in order, on the calling thread. SleepFor does
// not wait for the clock (it yields a moment of real time so that polling
// threads do not spin) and adds up how long the code asked to sleep. Like
// the real service it arms nothing without a procedure, and a Cancel from
// another thread waits for the procedure that is running.
class ManualTimerService final : public TimerService {
public:
    TimerId ScheduleOnce(int delayMs, Procedure procedure, void* context) override
    {
        std::lock_guard lock(mutex_);
        if (refuseTimers || procedure == nullptr) return kNoTimer;
        const TimerId id = nextId_++;
        pending_.push_back({id, now_ + std::max(delayMs, minimumPeriod), procedure, context});
        delays.push_back(delayMs);
        return id;
    }

    void Cancel(TimerId id) override
    {
        std::unique_lock lock(mutex_);
        std::erase_if(pending_, [id](const Pending& p) { return p.id == id; });
        if (id == kNoTimer) return;
        ++cancels;
        if (std::this_thread::get_id() == runningOn_) return;  // from inside a procedure
        finished_.wait(lock, [this, id] { return running_ != id; });
    }

    int MinimumPeriodMs() const override { return minimumPeriod; }

    void SleepFor(int ms) override
    {
        sleptMs += ms;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }

    // Moves the clock on, firing every timer that falls due on the way.
    void AdvanceBy(std::int64_t ms)
    {
        std::unique_lock lock(mutex_);
        const std::int64_t target = now_ + ms;
        for (;;) {
            auto next = std::min_element(pending_.begin(), pending_.end(),
                                         [](const Pending& a, const Pending& b) { return a.due < b.due; });
            if (next == pending_.end() || next->due > target) break;
            const Pending due = *next;
            pending_.erase(next);
            now_ = due.due;
            running_ = due.id;
            runningOn_ = std::this_thread::get_id();
            lock.unlock();
            due.procedure(due.context);
            lock.lock();
            running_ = kNoTimer;
            runningOn_ = {};
            finished_.notify_all();
        }
        now_ = target;
    }

    std::int64_t Now() const
    {
        std::lock_guard lock(mutex_);
        return now_;
    }
    std::size_t PendingCount() const
    {
        std::lock_guard lock(mutex_);
        return pending_.size();
    }

    int minimumPeriod = 1;
    bool refuseTimers = false;
    std::vector<int> delays;
    int cancels = 0;
    std::atomic<std::int64_t> sleptMs{0};

private:
    struct Pending {
        TimerId id;
        std::int64_t due;
        Procedure procedure;
        void* context;
    };

    mutable std::recursive_mutex mutex_;
    std::condition_variable_any finished_;
    TimerId running_ = kNoTimer;
    std::thread::id runningOn_;
    std::vector<Pending> pending_;
    TimerId nextId_ = 1;
    std::int64_t now_ = 0;
};

}  // namespace harkwell::testing
