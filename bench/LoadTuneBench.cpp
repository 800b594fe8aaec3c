// Loading a tune: read a WAV file from the page cache and mix it to mono.
#include "audio/WaveData.h"
#include "audio/WaveFileWriter.h"
#include "common/StderrMessageSink.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using harkwell::StderrMessageSink;

constexpr std::uint32_t kRate = 44100;
constexpr std::uint32_t kSeconds = 10 * 60;

// Kilobytes of a "VmRSS:" or "VmHWM:" line of /proc/self/status.
long StatusKilobytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(field.size()));
    return 0;
}

// Starts a new peak of the resident set at the current size.
void ResetPeakResidentSet()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

std::string MakeTenMinuteTune()
{
    const std::string path = (std::filesystem::temp_directory_path() / "harkwell-bench-10min.wav").string();
    StderrMessageSink sink;
    harkwell::WaveFileWriter writer(sink);
    if (writer.Open(path, kRate, 16, 2) != harkwell::WaveFileStatus::Done) return {};
    std::vector<std::int16_t> second(2 * kRate);
    for (std::uint32_t s = 0; s < kSeconds; ++s) {
        for (std::uint32_t i = 0; i < kRate; ++i) {
            const double t = (s * kRate + i) / double(kRate);
            second[2 * i] = static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * 440 * t));
            second[2 * i + 1] = static_cast<std::int16_t>(9000 * std::sin(2 * M_PI * 660 * t));
        }
        if (writer.Write(reinterpret_cast<const std::uint8_t*>(second.data()), second.size() * 2) !=
            harkwell::WaveWriteResult::Appended)
            return {};
    }
    return writer.Close() == harkwell::WaveFileStatus::Done ? path : std::string();
}

void BM_LoadTune(benchmark::State& state)
{
    static const std::string path = MakeTenMinuteTune();
    if (path.empty()) {
        state.SkipWithError("could not write the test tune");
        return;
    }
    const auto fileSize = static_cast<double>(std::filesystem::file_size(path));
    StderrMessageSink sink;
    // Once unmeasured, so the file is in the page cache.
    benchmark::DoNotOptimize(harkwell::WaveData::Load(path, sink));

    const long baseKb = StatusKilobytes("VmRSS:");
    ResetPeakResidentSet();
    for (auto _ : state) {
        auto tune = harkwell::WaveData::Load(path, sink);
        if (!tune) {
            state.SkipWithError("the tune did not load");
            return;
        }
        tune->MixToMono();
        benchmark::DoNotOptimize(tune->Samples().data());
    }
    const double peakBytes = double(StatusKilobytes("VmHWM:") - baseKb) * 1024.0;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * static_cast<std::int64_t>(fileSize)));
    state.counters["file_MB"] = fileSize / 1e6;
    state.counters["peak_MB"] = peakBytes / 1e6;
    state.counters["peak_per_file"] = peakBytes / fileSize;
}
BENCHMARK(BM_LoadTune)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace
