#include "StretchCommand.h"

#include "audio/WaveData.h"
#include "audio/WaveFileWriter.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

namespace harkwell::cli {

namespace {

constexpr int kSpacingFactor = 8;
constexpr int kUsageError = 2;

int Usage(std::FILE* err, const char* reason)
{
    if (reason != nullptr) std::fprintf(err, "%s\n", reason);
    std::fputs("usage: harkwell-cli stretch IN.wav SPEED OUT.wav   (SPEED above 1 is faster, e.g. 2, 1.5, 0.75, 0.5)\n",
               err);
    return kUsageError;
}

std::optional<double> ParseSpeed(const char* text)
{
    char* end = nullptr;
    const double speed = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(speed) || speed <= 0) return std::nullopt;
    return speed;
}

bool Write(const std::string& path, const WaveData& tune, MessageSink& sink)
{
    WaveFileWriter writer(sink);
    const WaveFormat& format = tune.Format();
    bool written =
        writer.Open(path, format.samplesPerSec, format.bitsPerSample, format.channels) == WaveFileStatus::Done;
    // A file the writer could not even create is not ours to remove.
    if (!written && !writer.IsOpen()) return false;
    const auto samples = tune.Samples();
    written = written && writer.Write(samples.data(), samples.size()) == WaveWriteResult::Appended;
    if (writer.Close() == WaveFileStatus::Done && written) return true;
    std::remove(path.c_str());  // never leave half a file behind
    return false;
}

}  // namespace

int RunStretch(std::span<char* const> arguments, MessageSink& sink, std::FILE* out, std::FILE* err)
{
    if (arguments.size() != 3) return Usage(err, nullptr);
    const std::optional<double> speed = ParseSpeed(arguments[1]);
    if (!speed) {
        std::string reason = "SPEED must be a positive number: ";
        reason += arguments[1];
        return Usage(err, reason.c_str());
    }

    std::optional<WaveData> tune = WaveData::Load(arguments[0], sink);
    if (!tune) return 1;
    tune->MixToMono();
    const std::uint32_t framesIn = tune->Frames();
    if (!tune->ChangeSpeed(*speed, kSpacingFactor, sink)) return 1;
    if (!Write(arguments[2], *tune, sink)) return 1;
    std::fprintf(out, "frames_in=%u frames_out=%u\n", unsigned{framesIn}, unsigned{tune->Frames()});
    return 0;
}

}  // namespace harkwell::cli
