#include "analysis/NoteAnalysis.h"
#include "BenchSupport.h"

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
// second. Made once: the benchmark is run several times to find its number of
// iterations, and making an hour of samples takes longer than many runs.
const std::vector<std::uint8_t>& HourOfChords()
{
    static const std::vector<std::uint8_t> pcm = [] {
        constexpr std::size_t rate = 44100;
        constexpr std::size_t frames = 60 * 60 * rate;
        std::vector<std::uint8_t> out(2 * frames);
        for (std::size_t second = 0; second < frames / rate; ++second) {
            const double root = 220.0 * std::pow(2.0, double(second % 12) / 12.0);
            const double step = 2 * std::numbers::pi * root / double(rate);
            harkwell::bench::Sine low(step, second * rate), high(1.5 * step, second * rate);
            for (std::size_t i = second * rate; i < (second + 1) * rate; ++i) {
                const double v = 6000 * (low.Next() + high.Next());
                const auto s = static_cast<std::int16_t>(v);
                out[2 * i] = static_cast<std::uint8_t>(s & 0xFF);
                out[2 * i + 1] = static_cast<std::uint8_t>((s >> 8) & 0xFF);
            }
        }
        return out;
    }();
    return pcm;
}

// That tune analysed over a 10-second selection in its middle: milliseconds a run.
void BM_AnalyzeSelection(benchmark::State& state)
{
    const std::vector<std::uint8_t>& pcm = HourOfChords();
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
