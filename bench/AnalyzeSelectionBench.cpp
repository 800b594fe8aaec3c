#include "analysis/NoteAnalysis.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace {

class SilentSink final : public harkwell::MessageSink {
public:
    int Show(std::string_view, harkwell::MessageKind) override
    {
        throw std::logic_error("the analysis spoke during the benchmark");
    }
};

// A 60-minute mono tune at 44100 Hz, 16 bits, of a chord that changes every
// second, analysed over a 10-second selection in its middle: milliseconds a run.
void BM_AnalyzeSelection(benchmark::State& state)
{
    constexpr std::size_t rate = 44100;
    constexpr std::size_t frames = 60 * 60 * rate;
    std::vector<std::uint8_t> pcm(2 * frames);
    for (std::size_t second = 0; second < frames / rate; ++second) {
        const double root = 220.0 * std::pow(2.0, double(second % 12) / 12.0);
        for (std::size_t i = second * rate; i < (second + 1) * rate; ++i) {
            const double t = double(i) / double(rate);
            const double v = 6000 * (std::sin(2 * std::numbers::pi * root * t) + std::sin(2 * std::numbers::pi * root * 1.5 * t));
            const auto s = static_cast<std::int16_t>(v);
            pcm[2 * i] = static_cast<std::uint8_t>(s & 0xFF);
            pcm[2 * i + 1] = static_cast<std::uint8_t>((s >> 8) & 0xFF);
        }
    }
    const harkwell::TuneSamples tune{pcm.data(), pcm.size(), 44100, 1, 16};
    const harkwell::AnalysisRange range{30 * 60 * 44100, 0, 10 * 44100};
    SilentSink sink;
    for (auto _ : state) {
        harkwell::NoteStrengths strengths = harkwell::AnalyzeSelection(sink, tune, range);
        harkwell::AddHarmonicWeights(strengths);
        benchmark::DoNotOptimize(strengths.data());
    }
}
BENCHMARK(BM_AnalyzeSelection)->Unit(benchmark::kMillisecond);

}  // namespace
