#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace harkwell {

// Records what the desktop's sound server plays: the monitor of its default
// output, as 16-bit mono frames. Used to check by ear, without an ear, what
// the program's playback sounds like.
//
// Threads: Start, Frames and Stop on one thread; a reader of its own records.
class PulseMonitorRecorder {
public:
    explicit PulseMonitorRecorder(std::uint32_t sampleRate) : sampleRate_(sampleRate) {}
    ~PulseMonitorRecorder();
    PulseMonitorRecorder(const PulseMonitorRecorder&) = delete;
    PulseMonitorRecorder& operator=(const PulseMonitorRecorder&) = delete;

    // False, with the server's reason in Error(), when nothing can be recorded.
    [[nodiscard]] bool Start();
    // Frames recorded so far.
    std::size_t Frames() const;
    // Ends the recording and hands it over.
    std::vector<std::int16_t> Stop();
    const std::string& Error() const { return error_; }

private:
    void Read();

    std::uint32_t sampleRate_;
    void* stream_ = nullptr;  // the server's simple record stream
    std::string error_;
    std::atomic<bool> recording_ = false;
    mutable std::mutex mutex_;
    std::vector<std::int16_t> samples_;
    std::thread reader_;
};

}  // namespace harkwell
