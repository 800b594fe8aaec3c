// A bar of sixteen sixteenth notes (division 96, tempo 120) played through the
// real timer service into a port that stamps every note-on with steady_clock:
// how far the notes land from their ideal times.

#include "platform/ThreadTimerService.h"
#include "score/MidiF0Data.h"
#include "score/MusicPlayer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <vector>

namespace harkwell {
namespace {

using Clock = std::chrono::steady_clock;

class SilentSink final : public MessageSink {
public:
    int Show(std::string_view, MessageKind) override { return kMessageOk; }
};

// Stamps note-ons; the vector is sized before the playback so nothing allocates
// on the timer thread.
class StampingDevices final : public MidiOutDevices {
public:
    std::vector<Clock::time_point> stamps;
    int Count() override { return 1; }
    std::unique_ptr<MidiOutPort> Open(int) override { return std::make_unique<Port>(*this); }

private:
    struct Port final : MidiOutPort {
        explicit Port(StampingDevices& o) : owner(o) {}
        bool SendShort(std::uint32_t packed) override
        {
            if ((packed & 0xF0) == 0x90 && owner.stamps.size() < owner.stamps.capacity())
                owner.stamps.push_back(Clock::now());
            return true;
        }
        int SendLong(const std::uint8_t*, std::size_t) override { return 0; }
        bool Reset() override { return true; }
        bool Close() override { return true; }
        StampingDevices& owner;
    };
};

void BM_TimerChainJitter(benchmark::State& state)
{
    SilentSink sink;
    StampingDevices devices;
    ThreadTimerService timers;
    MusicPlayer player(sink, devices, timers);
    MidiF0Data song(sink, player);
    song.Track().AppendTempo(500000);
    song.Track().AddProgramChange(0, 0);
    for (int i = 0; i < 16; ++i) song.Track().AddNote(0, i == 0 ? 0 : 240, 60 + i, 100, 120);
    song.Track().AppendEndOfTrack(240);
    song.SetDivision(96);
    song.ToPlayable();

    std::vector<double> deviations;
    for (auto _ : state) {
        devices.stamps.clear();
        devices.stamps.reserve(16);
        if (!player.Start(&song, nullptr, 0, 0, -1, nullptr)) {
            state.SkipWithError("the playback did not start");
            return;
        }
        player.WaitForEnd();
        player.Finish();
        if (devices.stamps.size() != 16) {
            state.SkipWithError("notes went missing");
            return;
        }
        // Ideal: every 125 ms after the first note.
        for (std::size_t i = 1; i < devices.stamps.size(); ++i) {
            const double actual =
                std::chrono::duration<double, std::milli>(devices.stamps[i] - devices.stamps[0]).count();
            deviations.push_back(std::abs(actual - 125.0 * static_cast<double>(i)));
        }
    }
    std::sort(deviations.begin(), deviations.end());
    double sum = 0;
    for (const double d : deviations) sum += d;
    state.counters["mean_ms"] = deviations.empty() ? 0 : sum / static_cast<double>(deviations.size());
    state.counters["p99_ms"] =
        deviations.empty() ? 0 : deviations[std::min(deviations.size() - 1, deviations.size() * 99 / 100)];
    state.counters["max_ms"] = deviations.empty() ? 0 : deviations.back();
}
BENCHMARK(BM_TimerChainJitter)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace harkwell
