// Speed change with the pitch kept: one minute of 16-bit mono at 44100 Hz,
// as a play command changes it (spacing factor 8).
#include "audio/WaveData.h"
#include "common/StderrMessageSink.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr std::uint32_t kRate = 44100;
constexpr std::uint32_t kSeconds = 60;

// A few sines under some noise, the same every run.
const std::vector<std::int16_t>& OneMinute()
{
    static const std::vector<std::int16_t> samples = [] {
        std::vector<std::int16_t> out(std::size_t{kRate} * kSeconds);
        std::mt19937 random(20240611);
        std::uniform_int_distribution<int> noise(-1500, 1500);
        const double pi = std::acos(-1.0);
        for (std::size_t i = 0; i < out.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double tone = 7000 * std::sin(2 * pi * 220 * t) + 5000 * std::sin(2 * pi * 329.6 * t) +
                                3000 * std::sin(2 * pi * 523.3 * t);
            out[i] = static_cast<std::int16_t>(std::lround(tone) + noise(random));
        }
        return out;
    }();
    return samples;
}

void BM_ChangeSpeed(benchmark::State& state)
{
    const double speed = static_cast<double>(state.range(0)) / 100;
    const std::vector<std::int16_t>& samples = OneMinute();
    const harkwell::WaveFormat format{harkwell::kWaveFormatPcm, 1, kRate, 2 * kRate, 2, 16};
    harkwell::StderrMessageSink sink;
    std::uint32_t framesOut = 0;
    for (auto _ : state) {
        state.PauseTiming();
        harkwell::WaveData tune(format, reinterpret_cast<const std::uint8_t*>(samples.data()),
                                static_cast<std::uint32_t>(samples.size()));
        state.ResumeTiming();
        if (!tune.ChangeSpeed(speed, 8, sink)) {
            state.SkipWithError("the speed change was refused");
            return;
        }
        framesOut = tune.Frames();
        benchmark::DoNotOptimize(tune.Samples().data());
    }
    state.counters["x_realtime"] = benchmark::Counter(double(kSeconds) * double(state.iterations()),
                                                      benchmark::Counter::kIsRate);
    state.counters["frames_out"] = framesOut;
}
// Speeds in hundredths: "1/2 Slow" and "2 Fast".
BENCHMARK(BM_ChangeSpeed)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
