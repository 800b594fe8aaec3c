#include "analysis/SineTransform.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

// One sine transform of a block of n random samples, in microseconds.
void BM_SineTransform(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    std::mt19937 random(1);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::vector<double> input(n);
    for (double& x : input) x = sample(random);
    harkwell::SineTransform transform(n);
    std::vector<double> block(n);
    for (auto _ : state) {
        block = input;
        transform.Transform(block.data());
        benchmark::DoNotOptimize(block.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SineTransform)->Arg(1024)->Arg(8192)->Unit(benchmark::kMicrosecond);

}  // namespace
