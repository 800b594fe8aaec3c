// How fast the CD reader turns a drive's sectors into a track: choosing the
// read command, aligning every piece on its overlap, through a simulated drive
// that positions each read up to 8 frames early or 2 late, off by 4-byte
// steps. A 52x drive delivers about 9 MB/s; the reader must stay far above.
#include "cd/TrackReader.h"

#include "fakes/SimulatedCdDrive.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using harkwell::CdReader;
using harkwell::TrackChoice;
using harkwell::TrackReader;
using harkwell::testing::SimulatedCdDrive;
using harkwell::testing::SimulatedDisc;

constexpr std::uint32_t kFiveMinutes = 5 * 60 * 75;

void BM_RipTrack(benchmark::State& state)
{
    SimulatedCdDrive drive(SimulatedDisc({{kFiveMinutes, true}, {600, true}}));
    std::mt19937 random(3);
    std::uniform_int_distribution<int> frames(-8, 2), steps(-20, 20);
    drive.positionErrors = {0};
    for (int i = 0; i < 4096; ++i)
        drive.positionErrors.push_back(frames(random) * static_cast<int>(harkwell::kFrameBytes) + 4 * steps(random));
    CdReader reader(drive);
    std::size_t bytes = 0;
    for (auto _ : state) {
        TrackReader track(reader);
        if (!track.OpenDrive(0) || track.SelectTrack(0) != TrackChoice::Selected) {
            state.SkipWithError("the simulated drive did not open");
            break;
        }
        for (auto piece = track.ReadChunk(); !piece.empty(); piece = track.ReadChunk()) {
            benchmark::DoNotOptimize(piece.data());
            bytes += piece.size();
        }
        if (track.Failed() || track.Position() != kFiveMinutes) {
            state.SkipWithError("the rip did not reach the end of the track");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_RipTrack)->Unit(benchmark::kMillisecond);

}  // namespace
