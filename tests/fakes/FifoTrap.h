#pragma once

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace harkwell::testing {

// A FIFO at `path`, with a guard for code that must never open it: should a
// reader block on it for longer than `patience`, the guard opens and closes
// the writing end, which lets the reader go on (it reads nothing), and tells
// so through Sprung. A fault then fails a check instead of hanging the test.
class FifoTrap {
public:
    explicit FifoTrap(std::string path, std::chrono::milliseconds patience = std::chrono::milliseconds(500))
        : path_(std::move(path))
    {
        if (mkfifo(path_.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
        guard_ = std::thread([this, patience] { Guard(patience); });
    }
    ~FifoTrap()
    {
        {
            const std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        wake_.notify_all();
        guard_.join();
    }
    FifoTrap(const FifoTrap&) = delete;
    FifoTrap& operator=(const FifoTrap&) = delete;

    const std::string& Path() const { return path_; }
    bool Sprung() const
    {
        const std::lock_guard lock(mutex_);
        return sprung_;
    }

private:
    void Guard(std::chrono::milliseconds patience)
    {
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, patience, [this] { return stopped_; })) return;
        // A writer that does not wait succeeds only while a reader is inside open.
        while (!wake_.wait_for(lock, std::chrono::milliseconds(10), [this] { return stopped_; })) {
            const int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                close(fd);
                sprung_ = true;
            }
        }
    }

    std::string path_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopped_ = false;
    bool sprung_ = false;
    std::thread guard_;
};

}  // namespace harkwell::testing
