#include "SyncCheckCommand.h"

#include "app/PlaybackControl.h"
#include "app/ScoreSong.h"
#include "app/SyncCheck.h"
#include "common/ErrorReport.h"
#include "common/TaskLoop.h"
#include "platform/FluidSynthRenderer.h"
#include "platform/MidiPorts.h"
#include "platform/PortAudioWaveOutPort.h"
#include "platform/PulseMonitorRecorder.h"
#include "platform/QuietSoundProbing.h"
#include "platform/ThreadTimerService.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace harkwell::cli {

namespace {

using namespace std::chrono_literals;

constexpr int kRefused = 1;
constexpr int kUsageError = 2;

bool ParseSpeed(std::span<char* const> arguments, double& speed)
{
    if (arguments.empty()) return true;
    if (arguments.size() != 2 || std::string_view(arguments[0]) != "--speed") return false;
    char* end = nullptr;
    speed = std::strtod(arguments[1], &end);
    return end != arguments[1] && *end == '\0' && std::isfinite(speed) && speed >= 0.5 && speed <= 2.0;
}

// "1,-2,3": each appended in place. A string put before a temporary one
// (`"," + std::to_string(e)`) makes GCC 12 warn of overlapping copies at -O3.
std::string RoundedList(const std::vector<double>& values)
{
    std::string list;
    for (const double value : values) {
        if (!list.empty()) list += ',';
        list += std::to_string(std::lround(value));
    }
    return list;
}

int Refuse(MessageSink& sink, const std::string& text)
{
    ShowPlainMessage(sink, text);
    return kRefused;
}

}  // namespace

int RunSyncCheck(std::span<char* const> arguments, MessageSink& sink, std::FILE* out, std::FILE* err)
{
    double speed = 1.0;
    if (!ParseSpeed(arguments, speed)) {
        std::fputs("usage: harkwell-cli sync-check [--speed S]   (S from 0.5 to 2)\n", err);
        return kUsageError;
    }
    // Before any sound library starts: their probes of unused backends are not ours to print.
    QuietSoundProbing();
    const SyncCheckMaterial material = MakeSyncCheckMaterial();
    const std::uint32_t rate = material.format.samplesPerSec;

    FluidSynthRenderer renderer;
    std::vector<float> probe;
    if (!renderer.Render({}, rate, 1, probe))
        return Refuse(sink, std::string("No synth: the General MIDI SoundFont ") + kDefaultGmSoundFont +
                                " cannot be loaded.");
    PulseMonitorRecorder recorder(rate);
    if (!recorder.Start()) return Refuse(sink, "No sound server to play and record through: " + recorder.Error() + ".");

    PortAudioSession session;
    PortAudioWaveOutPort port(session);
    SystemMidiDevices midi(sink);
    ThreadTimerService timers;
    TaskLoop loop;
    PlaybackControl control(port, midi, timers, renderer, sink,
                            PlaybackControl::Hooks{[&loop](std::function<void()> task) { loop.Post(std::move(task)); },
                                                   [](PlayMode, std::string_view) {}, [] {},
                                                   [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }});
    // The monitor delivers once the server has started it; then a little more
    // silence before the stretch, so that nothing of it is missed.
    for (int waited = 0; recorder.Frames() == 0 && waited < 300; ++waited) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(300ms);

    const ScoreBar bar{&material.bar, ScoreTempo(material.separators, 0, rate, speed), SyncCheckMaterial::kProgram};
    const PlaySource tune{material.format,
                          {reinterpret_cast<const std::uint8_t*>(material.clicks.data()), material.clicks.size() * 2}};
    control.SyncPlay(tune, 0, 0, speed, bar);
    if (!control.IsPlaying() || !control.IsScorePlaying()) {
        (void)recorder.Stop();
        return Refuse(sink, "Sync Play did not start: no sound output.");
    }
    const bool ended = loop.RunUntil([&] { return !control.IsPlaying() && !control.IsScorePlaying(); }, 30s);
    std::this_thread::sleep_for(300ms);
    const std::vector<std::int16_t> recording = recorder.Stop();
    if (!ended) return Refuse(sink, "Sync Play did not end.");

    const auto measured = MeasureSync(recording, rate, speed);
    if (!measured) return Refuse(sink, "Nothing of the clicks or notes was heard in the recording.");
    std::fprintf(out, "speed=%g\n", speed);
    std::fprintf(out, "grid_error_ms=%s\n", RoundedList(measured->gridErrorsMs).c_str());
    std::fprintf(out, "offset_ms=%ld\n", std::lround(measured->offsetMs));
    return 0;
}

}  // namespace harkwell::cli
