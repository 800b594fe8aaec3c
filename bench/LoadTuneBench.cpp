// Loading a tune: read a WAV file from the page cache and mix it to mono.
#include "audio/WaveData.h"
#include "audio/WaveFileWriter.h"
#include "common/StderrMessageSink.h"
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace {

using harkwell::StderrMessageSink;

constexpr std::uint32_t kSeconds = 10 * 60;

// The tune's file beside the system's temporary files, written at the first
// run and removed when the program ends: 100 MB are not left behind.
class TenMinuteTune {
public:
    TenMinuteTune() : path_((std::filesystem::temp_directory_path() / "harkwell-bench-10min.wav").string())
    {
        StderrMessageSink sink;
        if (!harkwell::bench::WriteStereoTune(path_, kSeconds, sink)) Remove();
    }
    ~TenMinuteTune() { Remove(); }
    TenMinuteTune(const TenMinuteTune&) = delete;
    TenMinuteTune& operator=(const TenMinuteTune&) = delete;
    // Empty when the file could not be written.
    const std::string& Path() const { return path_; }

private:
    void Remove()
    {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
        path_.clear();
    }
    std::string path_;
};

void BM_LoadTune(benchmark::State& state)
{
    static const TenMinuteTune file;
    const std::string& path = file.Path();
    if (path.empty()) {
        state.SkipWithError("could not write the test tune");
        return;
    }
    const auto fileSize = static_cast<double>(std::filesystem::file_size(path));
    StderrMessageSink sink;
    // Once unmeasured, so the file is in the page cache.
    benchmark::DoNotOptimize(harkwell::WaveData::Load(path, sink));

    const long baseKb = harkwell::bench::StatusKilobytes("VmRSS:");
    harkwell::bench::ResetPeakResidentSet();
    for (auto _ : state) {
        auto tune = harkwell::WaveData::Load(path, sink);
        if (!tune) {
            state.SkipWithError("the tune did not load");
            return;
        }
        tune->MixToMono();
        benchmark::DoNotOptimize(tune->Samples().data());
    }
    const double peakBytes = double(harkwell::bench::StatusKilobytes("VmHWM:") - baseKb) * 1024.0;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * static_cast<std::int64_t>(fileSize)));
    state.counters["file_MB"] = fileSize / 1e6;
    state.counters["peak_MB"] = peakBytes / 1e6;
    state.counters["peak_per_file"] = peakBytes / fileSize;
}
BENCHMARK(BM_LoadTune)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace
