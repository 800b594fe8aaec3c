#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace harkwell {

// An interface thread's loop for a program without windows: other threads
// post tasks, and the thread that owns the loop runs them when it chooses.
class TaskLoop {
public:
    void Post(std::function<void()> task)
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        posted_.notify_all();
    }

    // Runs the tasks posted so far; their number.
    int RunPending()
    {
        std::deque<std::function<void()>> tasks;
        {
            std::lock_guard lock(mutex_);
            tasks.swap(tasks_);
        }
        for (auto& task : tasks) task();
        return static_cast<int>(tasks.size());
    }

    // Runs posted tasks as they come until `done` holds; false when it still
    // does not after `limit`.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20))
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            {
                std::unique_lock lock(mutex_);
                posted_.wait_for(lock, std::chrono::milliseconds(5), [&] { return !tasks_.empty(); });
            }
            RunPending();
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace harkwell
