#include "StretchCommand.h"

#include "audio/WaveData.h"
#include "audio/WaveFileWriter.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

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

// The whole text is the number, as with the other commands: no blanks, no
// sign, no hexadecimal.
std::optional<double> ParseSpeed(std::string_view text)
{
    double speed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), speed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(speed) || speed <= 0)
        return std::nullopt;
    return speed;
}

// The tune goes to a temporary file that replaces OUT only when complete, so
// a failure or a kill leaves OUT as it was.
bool Write(const std::string& path, const WaveData& tune, MessageSink& sink)
{
    WaveFileWriter writer(sink);
    const WaveFormat& format = tune.Format();
    if (writer.Open(path, format.samplesPerSec, format.bitsPerSample, format.channels,
                    WaveWriteMode::ReplaceOnClose) != WaveFileStatus::Done)
        return false;  // the writer has dropped its temporary file
    const auto samples = tune.Samples();
    if (writer.Write(samples.data(), samples.size()) != WaveWriteResult::Appended) return false;
    return writer.Close() == WaveFileStatus::Done;
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

    std::optional<WaveData> tune = WaveData::LoadMono(arguments[0], sink);
    if (!tune) return 1;
    const std::uint32_t framesIn = tune->Frames();
    if (!tune->ChangeSpeed(*speed, kSpacingFactor, sink)) return 1;
    if (!Write(arguments[2], *tune, sink)) return 1;
    std::fprintf(out, "frames_in=%u frames_out=%u\n", unsigned{framesIn}, unsigned{tune->Frames()});
    return 0;
}

}  // namespace harkwell::cli
