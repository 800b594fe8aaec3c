#pragma once

#include "score/TimerService.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace harkwell {

// One-shot millisecond timers on one timer thread, timed by steady_clock. A
// timer armed from inside a procedure is timed from when that procedure was
// due, not from when it ran.
// The thread starts with the service and is joined when it is destroyed;
// timers still armed then never fire.
class ThreadTimerService final : public TimerService {
public:
    static constexpr int kMinimumPeriodMs = 1;

    ThreadTimerService();
    ~ThreadTimerService() override;
    ThreadTimerService(const ThreadTimerService&) = delete;
    ThreadTimerService& operator=(const ThreadTimerService&) = delete;

    TimerId ScheduleOnce(int delayMs, Procedure procedure, void* context) override;
    void Cancel(TimerId id) override;
    int MinimumPeriodMs() const override { return kMinimumPeriodMs; }
    void SleepFor(int ms) override;

private:
    using Clock = std::chrono::steady_clock;
    struct Pending {
        TimerId id;
        Clock::time_point due;
        Procedure procedure;
        void* context;
    };

    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::vector<Pending> pending_;
    TimerId nextId_ = 1;
    TimerId running_ = kNoTimer;
    Clock::time_point runningDue_{};
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace harkwell
