// Redrawing the tune's waveform: an hour of mono 16-bit samples in the main
// window's 880 × 80 picture, wholly visible (zoom 1) and zoomed in (zoom 39),
// scrolled to the middle.
#include "audio/ui/CWavePicture.h"
#include "BenchSupport.h"
#include "common/StderrMessageSink.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

namespace {

using harkwell::CWavePicture;
using harkwell::COffScreenPicture;

constexpr std::uint32_t kFrames = 158760000;  // 60 minutes at 44100 Hz

// Widgets need an application; another benchmark may have made it already.
struct Application {
    Application()
    {
        if (QApplication::instance() != nullptr) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "harkwell_bench";
        static char* argv[] = {name, nullptr};
        owned = std::make_unique<QApplication>(argc, argv);
    }
    std::unique_ptr<QApplication> owned;
};

// Everything the redraws need, made once: making the hour of samples and the
// picture's summary of them takes far longer than any redraw. The picture
// reads the samples in place, so they are kept here and outlive it.
struct HourOnScreen {
    HourOnScreen() : samples(kFrames)
    {
        window = new COffScreenPicture(&parent);
        picture = std::make_unique<CWavePicture>(sink, window, harkwell::PictureRect{10, 10, 890, 90}, nullptr, nullptr);

        std::uint32_t noise = 12345;
        harkwell::bench::Sine slow(2e-6), tone(0.0627);
        for (std::uint32_t i = 0; i < kFrames; ++i) {
            noise = noise * 1664525u + 1013904223u;
            const double swell = 0.5 + 0.5 * slow.Next();
            samples[i] = static_cast<std::int16_t>(swell * (18000 * tone.Next() + double(int(noise >> 20) - 2048)));
        }
        const auto start = std::chrono::steady_clock::now();
        picture->SetSamples(0, samples.data(), kFrames, 1, 16);
        setSamplesMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }

    Application application;  // first: the widgets below need it
    harkwell::StderrMessageSink sink;
    std::vector<std::int16_t> samples;  // before the picture: it goes first
    QWidget parent;
    COffScreenPicture* window = nullptr;
    std::unique_ptr<CWavePicture> picture;
    double setSamplesMs = 0;
};

void BM_WaveformRedraw(benchmark::State& state)
{
    static HourOnScreen screen;
    const auto zoom = static_cast<std::uint32_t>(state.range(0));
    const std::uint32_t visible = kFrames / zoom;
    screen.picture->SetZoom(0, zoom);
    // The middle of the position bar's range: the view stays inside the tune.
    screen.picture->SetViewStart(0, (kFrames - visible) / 2);
    for (auto _ : state) {
        screen.picture->Redraw(0);
        benchmark::DoNotOptimize(screen.window->Surface().constBits());
    }
    state.counters["visible_frames"] = visible;
    state.counters["set_samples_ms"] = screen.setSamplesMs;
}
BENCHMARK(BM_WaveformRedraw)->Arg(1)->Arg(39)->Unit(benchmark::kMillisecond);

}  // namespace
