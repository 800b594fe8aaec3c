#pragma once

#include <cstdint>

namespace harkwell {

// One-shot millisecond timers that call a procedure on a timer thread.
//
// Threads: Schedule and Cancel may be called from any thread, the timer thread
// included (a procedure may arm the next timer); they do not allocate on the
// timer thread beyond the service's own bookkeeping. Cancel of a timer whose
// procedure is running waits until it has returned, unless it is called from
// that procedure. SleepFor is for polling loops off the timer thread.
class TimerService {
public:
    using TimerId = std::uint32_t;
    using Procedure = void (*)(void* context);
    static constexpr TimerId kNoTimer = 0;

    virtual ~TimerService() = default;

    // Calls procedure(context) once, delayMs milliseconds from now (at least
    // the minimum period). kNoTimer when no timer can be armed.
    virtual TimerId ScheduleOnce(int delayMs, Procedure procedure, void* context) = 0;
    // Disarms a timer; nothing when it has fired or was never armed.
    virtual void Cancel(TimerId id) = 0;
    // The finest period the timers keep, in milliseconds.
    virtual int MinimumPeriodMs() const = 0;
    // Waits about that many milliseconds.
    virtual void SleepFor(int ms) = 0;
};

}  // namespace harkwell
