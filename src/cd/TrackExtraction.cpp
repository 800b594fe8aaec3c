#include "cd/TrackExtraction.h"

#include "audio/WaveFileWriter.h"
#include "cd/TrackReader.h"

#include <cerrno>
#include <filesystem>

namespace harkwell {

namespace {

constexpr std::uint32_t kCdSampleRate = 44100;
constexpr std::uint16_t kCdBits = 16;
constexpr std::uint16_t kCdChannels = 2;

void ShowOpenFailure(CdReader& reader, const TrackReader& track, int driveIndex, const char* text,
                     MessageSink& messages)
{
    messages.Show(text, MessageKind::Plain);
    if (track.OpenError() != EACCES && track.OpenError() != EPERM) return;
    const auto paths = reader.DrivePaths();
    const std::string path =
        driveIndex >= 0 && driveIndex < static_cast<int>(paths.size()) ? paths[static_cast<std::size_t>(driveIndex)]
                                                                         : std::string("the drive");
    messages.Show(NoRightsMessage(path), MessageKind::Plain);
}

ExtractionResult Extract(CdReader& reader, TrackReader& track, int driveIndex, int trackIndex,
                         const std::string& path, MessageSink& messages, const std::atomic<bool>& running,
                         ExtractionProgress& progress)
{
    if (path.empty()) {
        messages.Show(cd_text::kNoFileName, MessageKind::Plain);
        return ExtractionResult::Failed;
    }
    if (!track.OpenDrive(driveIndex)) {
        ShowOpenFailure(reader, track, driveIndex, cd_text::kNotCdDrive, messages);
        return ExtractionResult::Failed;
    }
    switch (track.SelectTrack(trackIndex)) {
    case TrackChoice::Selected: break;
    case TrackChoice::NoSuchTrack: messages.Show(cd_text::kNoDisc, MessageKind::Plain); return ExtractionResult::Failed;
    case TrackChoice::DataTrack:
        messages.Show(cd_text::kNotAudioTrack, MessageKind::Plain);
        return ExtractionResult::Failed;
    }
    progress.total.store(track.TrackLength());
    progress.done.store(0);

    // The track goes to a temporary file beside the path, which takes the
    // path's place only when the rip ends well: a failed or killed rip leaves
    // whatever was there as it was, and nothing of its own.
    WaveFileWriter writer(messages);
    if (writer.Open(path, kCdSampleRate, kCdBits, kCdChannels, WaveWriteMode::ReplaceOnClose) !=
        WaveFileStatus::Done) {
        messages.Show(cd_text::kCreateFailed, MessageKind::Plain);
        return ExtractionResult::Failed;
    }
    bool whole = true;
    while (running.load()) {
        const std::span<const std::uint8_t> piece = track.ReadChunk();
        if (piece.empty()) {
            whole = !track.Failed();
            break;
        }
        progress.done.store(track.Position());
        if (writer.Write(piece.data(), piece.size()) != WaveWriteResult::Appended) {
            whole = false;
            break;
        }
    }
    // A cut track must not pass for the whole one: it is never committed, and
    // the writer drops its temporary file when it goes.
    if (!whole) return ExtractionResult::Failed;
    if (writer.Close() != WaveFileStatus::Done) {
        messages.Show(cd_text::kCloseFailed, MessageKind::Plain);
        return ExtractionResult::Failed;
    }
    return ExtractionResult::Succeeded;
}

}  // namespace

std::string NoRightsMessage(const std::string& path)
{
    return "You may not open " + path +
           ". Ask for membership of the group that owns it (usually \"cdrom\": sudo usermod -aG cdrom $USER), "
           "then log out and in again.";
}

ExtractionResult ExtractTrack(CdReader& reader, int driveIndex, int track, const std::string& path,
                              MessageSink& messages, const std::atomic<bool>& running,
                              ExtractionProgress& progress)
{
    TrackReader trackReader(reader);
    const ExtractionResult result =
        Extract(reader, trackReader, driveIndex, track, path, messages, running, progress);
    progress.done.store(0);
    return result;
}

TrackExtractor::~TrackExtractor()
{
    Stop();
    Join();
}

void TrackExtractor::Join()
{
    std::lock_guard lock(threadMutex_);
    if (worker_.joinable()) worker_.join();
}

bool TrackExtractor::Start(Completion completion, int driveIndex, int track, std::string path)
{
    std::lock_guard lock(threadMutex_);
    if (busy_.load()) return false;
    if (worker_.joinable()) worker_.join();  // the last worker has ended; only its thread is left
    running_.store(true);
    busy_.store(true);
    worker_ = std::thread([this, completion = std::move(completion), driveIndex, track, path = std::move(path)] {
        const ExtractionResult result =
            ExtractTrack(reader_, driveIndex, track, path, messages_, running_, progress_);
        running_.store(false);
        busy_.store(false);
        if (completion) completion(result);
    });
    return true;
}

std::vector<std::string> ListCdDrives(CdReader& reader) { return reader.DrivePaths(); }

int CountTracks(CdReader& reader, int driveIndex, MessageSink& messages)
{
    TrackReader track(reader);
    if (!track.OpenDrive(driveIndex)) {
        ShowOpenFailure(reader, track, driveIndex, cd_text::kCannotCount, messages);
        return -1;
    }
    if (track.FirstTrack() == 0 && track.LastTrack() == 0) return 0;
    return std::max(0, track.LastTrack() - track.FirstTrack() + 1);
}

}  // namespace harkwell
