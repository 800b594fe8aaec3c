#include "platform/ThreadTimerService.h"

#include <algorithm>

namespace harkwell {

namespace {
// Armed timers rarely number more than one; this many never reallocate.
constexpr std::size_t kUsualPending = 64;
}  // namespace

ThreadTimerService::ThreadTimerService()
{
    pending_.reserve(kUsualPending);
    thread_ = std::thread([this] { Run(); });
}

ThreadTimerService::~ThreadTimerService()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        pending_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

TimerService::TimerId ThreadTimerService::ScheduleOnce(int delayMs, Procedure procedure, void* context)
{
    if (procedure == nullptr) return kNoTimer;
    const auto delay = std::chrono::milliseconds(std::max(delayMs, kMinimumPeriodMs));
    const bool fromProcedure = std::this_thread::get_id() == thread_.get_id();
    TimerId id = kNoTimer;
    {
        std::lock_guard lock(mutex_);
        if (quit_) return kNoTimer;
        // Armed from a running procedure, the delay counts from the time that
        // procedure was due, so the lateness of each firing does not pile up
        // along a chain of timers.
        const auto due = (fromProcedure ? runningDue_ : Clock::now()) + delay;
        id = nextId_++;
        if (nextId_ == kNoTimer) nextId_ = 1;
        pending_.push_back({id, due, procedure, context});
    }
    wake_.notify_one();
    return id;
}

void ThreadTimerService::Cancel(TimerId id)
{
    if (id == kNoTimer) return;
    std::unique_lock lock(mutex_);
    std::erase_if(pending_, [id](const Pending& p) { return p.id == id; });
    if (std::this_thread::get_id() == thread_.get_id()) return;  // from inside a procedure
    finished_.wait(lock, [this, id] { return running_ != id; });
}

void ThreadTimerService::SleepFor(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void ThreadTimerService::Run()
{
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (pending_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const auto next = std::min_element(pending_.begin(), pending_.end(),
                                           [](const Pending& a, const Pending& b) { return a.due < b.due; });
        if (next->due > Clock::now()) {
            wake_.wait_until(lock, next->due);
            continue;
        }
        const Pending due = *next;
        pending_.erase(next);
        running_ = due.id;
        runningDue_ = due.due;
        lock.unlock();
        due.procedure(due.context);
        lock.lock();
        running_ = kNoTimer;
        finished_.notify_all();
    }
}

}  // namespace harkwell
