#include "CdCommand.h"

#include "cd/TrackExtraction.h"
#include "cd/TrackReader.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <string_view>

namespace harkwell::cli {

namespace {

constexpr int kRefused = 1;
constexpr int kUsageError = 2;
constexpr auto kProgressPeriod = std::chrono::milliseconds(200);
constexpr double kFramesPerSecond = 75.0;

int Usage(std::FILE* err)
{
    std::fputs("usage: harkwell-cli cd drives\n"
               "       harkwell-cli cd toc DEVICE\n"
               "       harkwell-cli cd rip DEVICE TRACK OUT.wav   (TRACK as the disc numbers it, 1 for the first)\n",
               err);
    return kUsageError;
}

std::optional<int> TrackNumber(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > 99) return std::nullopt;
    return value;
}

// The index of the drive with that device path.
std::optional<int> DriveIndex(CdReader& reader, std::string_view device, MessageSink& sink)
{
    const auto paths = ListCdDrives(reader);
    const auto found = std::find(paths.begin(), paths.end(), device);
    if (found != paths.end()) return static_cast<int>(found - paths.begin());
    sink.Show(cd_text::kNotCdDrive, MessageKind::Plain);
    return std::nullopt;
}

int Drives(CdReader& reader, MessageSink& sink, std::FILE* out)
{
    const auto paths = ListCdDrives(reader);
    if (paths.empty()) {
        sink.Show(cd_text::kNoDrive, MessageKind::Plain);
        return kRefused;
    }
    for (const auto& path : paths) std::fprintf(out, "%s\n", path.c_str());
    return 0;
}

int Toc(CdReader& reader, std::string_view device, MessageSink& sink, std::FILE* out)
{
    const auto index = DriveIndex(reader, device, sink);
    if (!index) return kRefused;
    TrackReader track(reader);
    if (!track.OpenDrive(*index)) {
        sink.Show(cd_text::kNotCdDrive, MessageKind::Plain);
        if (track.OpenError() == EACCES || track.OpenError() == EPERM) sink.Show(NoRightsMessage(std::string(device)), MessageKind::Plain);
        return kRefused;
    }
    const auto tracks = track.Tracks();
    if (tracks.empty()) {
        sink.Show(cd_text::kNoDisc, MessageKind::Plain);
        return kRefused;
    }
    for (const CdTrackEntry& entry : tracks)
        std::fprintf(out, "track=%d start=%u frames=%u seconds=%.2f type=%s\n", entry.number, unsigned{entry.start},
                     unsigned{entry.frames}, entry.frames / kFramesPerSecond, entry.audio ? "audio" : "data");
    return 0;
}

// The place in the table of the track the disc numbers so. A disc that
// cannot be read is left to the extraction, which says why.
int TrackIndex(CdReader& reader, int driveIndex, int number)
{
    TrackReader track(reader);
    if (!track.OpenDrive(driveIndex) || track.FirstTrack() == 0) return number - 1;
    return number - track.FirstTrack();
}

int Rip(CdReader& reader, std::string_view device, int number, const std::string& path, MessageSink& sink,
        std::FILE* err)
{
    const auto drive = DriveIndex(reader, device, sink);
    if (!drive) return kRefused;
    const int index = TrackIndex(reader, *drive, number);

    std::promise<ExtractionResult> finished;
    std::future<ExtractionResult> result = finished.get_future();
    TrackExtractor extractor(reader, sink);
    if (!extractor.Start([&finished](ExtractionResult done) { finished.set_value(done); }, *drive, index, path))
        return kRefused;
    while (result.wait_for(kProgressPeriod) != std::future_status::ready) {
        const ExtractionProgress& progress = extractor.Progress();
        std::fprintf(err, "progress: %u/%u frames\n", unsigned{progress.done.load()}, unsigned{progress.total.load()});
    }
    extractor.Join();
    if (result.get() == ExtractionResult::Succeeded) {
        sink.Show(cd_text::kRipSucceeded, MessageKind::Plain);
        return 0;
    }
    sink.Show(cd_text::kRipFailed, MessageKind::Plain);
    return kRefused;
}

}  // namespace

int RunCd(std::span<char* const> arguments, CdReader& reader, MessageSink& sink, std::FILE* out, std::FILE* err)
{
    if (arguments.empty()) return Usage(err);
    const std::string_view action = arguments[0];
    if (action == "drives" && arguments.size() == 1) return Drives(reader, sink, out);
    if (action == "toc" && arguments.size() == 2) return Toc(reader, arguments[1], sink, out);
    if (action == "rip" && arguments.size() == 4) {
        const auto number = TrackNumber(arguments[2]);
        if (!number) return Usage(err);
        return Rip(reader, arguments[1], *number, arguments[3], sink, err);
    }
    return Usage(err);
}

}  // namespace harkwell::cli
