#pragma once

// What the memory-measuring benchmarks share: the resident set as the kernel
// counts it, and a long stereo tune to load.
#include "audio/WaveFileWriter.h"
#include "common/MessageSink.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace harkwell::bench {

constexpr std::uint32_t kBenchRate = 44100;

// sin(i × step) for i = first, first + 1, ...: a turn of a phasor each step,
// put right every 4096 steps. Far quicker than a sine a sample, which makes
// an hour of samples in seconds.
class Sine {
public:
    explicit Sine(double step, std::uint64_t first = 0)
        : step_(step), turnCos_(std::cos(step)), turnSin_(std::sin(step)), i_(first)
    {
    }
    double Next()
    {
        if (i_ % 4096 == 0 || !started_) {
            cos_ = std::cos(double(i_) * step_);
            sin_ = std::sin(double(i_) * step_);
            started_ = true;
        }
        const double value = sin_;
        const double turnedCos = cos_ * turnCos_ - sin_ * turnSin_;
        sin_ = sin_ * turnCos_ + cos_ * turnSin_;
        cos_ = turnedCos;
        ++i_;
        return value;
    }

private:
    double step_, turnCos_, turnSin_;
    std::uint64_t i_;
    double cos_ = 1, sin_ = 0;
    bool started_ = false;
};

// Kilobytes of a "VmRSS:" or "VmHWM:" line of /proc/self/status.
inline long StatusKilobytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(field.size()));
    return 0;
}

// Starts a new peak of the resident set at the current size.
inline void ResetPeakResidentSet() { std::ofstream("/proc/self/clear_refs") << "5"; }

// A 16-bit stereo tune of two tones at 44100 Hz, written a second at a time
// so that the writing adds nothing to a peak measured later.
inline bool WriteStereoTune(const std::string& path, std::uint32_t seconds, MessageSink& sink)
{
    WaveFileWriter writer(sink);
    if (writer.Open(path, kBenchRate, 16, 2) != WaveFileStatus::Done) return false;
    std::vector<std::int16_t> second(2 * kBenchRate);
    Sine left(2 * M_PI * 440 / kBenchRate), right(2 * M_PI * 660 / kBenchRate);
    for (std::uint32_t s = 0; s < seconds; ++s) {
        for (std::uint32_t i = 0; i < kBenchRate; ++i) {
            second[2 * i] = static_cast<std::int16_t>(12000 * left.Next());
            second[2 * i + 1] = static_cast<std::int16_t>(9000 * right.Next());
        }
        if (writer.Write(reinterpret_cast<const std::uint8_t*>(second.data()), second.size() * 2) !=
            WaveWriteResult::Appended)
            return false;
    }
    return writer.Close() == WaveFileStatus::Done;
}

}  // namespace harkwell::bench
