#include "analysis/NoteGuess.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace {

// A 60-minute stereo tune at 44100 Hz, 16 bits: one second of a three-note
// chord with eight partials a note, over and over. The guess of a 10-second
// selection in its middle, in milliseconds a run.
void BM_NoteGuess(benchmark::State& state)
{
    constexpr std::size_t rate = 44100;
    constexpr std::size_t frames = 60 * 60 * rate;
    std::vector<std::uint8_t> second(4 * rate);
    for (std::size_t i = 0; i < rate; ++i) {
        const double t = double(i) / double(rate);
        double v = 0.0;
        for (int note : {48, 52, 55})
            for (int m = 1; m <= 8; ++m)
                v += 2500.0 / m * std::sin(2 * std::numbers::pi * m * 440.0 * std::exp2((note - 69) / 12.0) * t);
        const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
        for (std::size_t channel = 0; channel < 2; ++channel) {
            second[4 * i + 2 * channel] = static_cast<std::uint8_t>(s & 0xFF);
            second[4 * i + 2 * channel + 1] = static_cast<std::uint8_t>(s >> 8);
        }
    }
    std::vector<std::uint8_t> pcm(4 * frames);
    for (std::size_t at = 0; at < pcm.size(); at += second.size()) std::memcpy(pcm.data() + at, second.data(), second.size());
    const harkwell::TuneSamples tune{pcm.data(), pcm.size(), 44100, 2, 16};
    const harkwell::AnalysisRange range{30 * 60 * 44100, 0, 10 * 44100};
    if (harkwell::GuessNotes(tune, range).notes.size() < 3) throw std::logic_error("the chord was not heard");
    for (auto _ : state) {
        const harkwell::NoteGuess guess = harkwell::GuessNotes(tune, range);
        benchmark::DoNotOptimize(guess.notes.data());
    }
}
BENCHMARK(BM_NoteGuess)->Unit(benchmark::kMillisecond);

}  // namespace
