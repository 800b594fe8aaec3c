#include "analysis/RealFourierTransform.h"
#include "analysis/SineTransform.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <complex>
#include <random>
#include <vector>

namespace {

// A block of n random 16-bit samples, the same for every benchmark here.
std::vector<double> RandomSamples(std::size_t n)
{
    std::mt19937 random(1);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::vector<double> input(n);
    for (double& x : input) x = sample(random);
    return input;
}

// One sine transform of a block of n random samples, in microseconds.
void BM_SineTransform(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::vector<double> input = RandomSamples(n);
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

// The yardstick for the one above: FFTW's sine transform of the same kind
// (RODFT10, the same sums times two), planned by measurement, in place on its
// own aligned buffer, the block copied in the same way each time.
void BM_FftwReference(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::vector<double> input = RandomSamples(n);
    double* block = fftw_alloc_real(n);
    // Measuring overwrites the buffer, so the plan comes before the data.
    fftw_plan plan = fftw_plan_r2r_1d(static_cast<int>(n), block, block, FFTW_RODFT10, FFTW_MEASURE);
    for (auto _ : state) {
        std::copy(input.begin(), input.end(), block);
        fftw_execute(plan);
        benchmark::DoNotOptimize(block);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(block);
}
BENCHMARK(BM_FftwReference)->Arg(1024)->Arg(8192)->Unit(benchmark::kMicrosecond);

// The real Fourier transform under the sine transform, out of place.
void BM_RealFourierTransform(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::vector<double> input = RandomSamples(n);
    harkwell::RealFourierTransform transform(n);
    std::vector<std::complex<double>> spectrum(n / 2 + 1);
    for (auto _ : state) {
        transform.Transform(input.data(), spectrum.data());
        benchmark::DoNotOptimize(spectrum.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RealFourierTransform)->Arg(1024)->Arg(8192)->Unit(benchmark::kMicrosecond);

}  // namespace
