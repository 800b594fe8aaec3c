#pragma once

#include "cd/CdReader.h"
#include "common/MessageSink.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace harkwell {

enum class [[nodiscard]] ExtractionResult : int { Failed = 0, Succeeded = 1 };

namespace cd_text {
inline constexpr const char* kNoFileName = "ファイル名が指定されていません。";
inline constexpr const char* kNotCdDrive = "CD-ROMドライブではありません。";
inline constexpr const char* kNoDisc = "CDがセットされていません。";
inline constexpr const char* kNotAudioTrack = "選択されたトラックは音楽トラックではありません。";
inline constexpr const char* kCreateFailed = "WAVファイルの作成に失敗しました。";
inline constexpr const char* kCloseFailed = "WAVファイルのクローズに失敗しました。";
inline constexpr const char* kNoDrive = "CD-ROMドライブが実装されていません。";
inline constexpr const char* kRipping = "リッピング中です。";
inline constexpr const char* kRipStopped = "リッピングを停止しました。";
inline constexpr const char* kRipSucceeded = "リッピングは正常に終了しました。";
inline constexpr const char* kRipFailed = "リッピングは異常終了しました。";
inline constexpr const char* kSelectTrack = "抽出するトラックを選択してください。";
inline constexpr const char* kCannotCount =
    "選択されたドライブはCD-ROMドライブではないか、またはリッピング処理中です。";
}  // namespace cd_text

// What a user who may not open the drive is told, besides the usual text.
std::string NoRightsMessage(const std::string& path);

// How far an extraction has come; read from any thread.
struct ExtractionProgress {
    std::atomic<std::uint32_t> done{0};   // frames written
    std::atomic<std::uint32_t> total{0};  // frames in the track
};

// Copies one track (counted from 0) into a WAV file of 44100 Hz, 16 bits, 2
// channels. Only the end of the track or a cleared running flag ends it well;
// a failed read or write fails it, and the file then holds what was read.
ExtractionResult ExtractTrack(CdReader& reader, int driveIndex, int track, const std::string& path,
                              MessageSink& messages, const std::atomic<bool>& running,
                              ExtractionProgress& progress);

// Runs one extraction at a time on a worker thread.
//
// Threads: Start, Stop and the queries on any thread; the completion runs on
// the worker. The worker is joined by the next Start and by the destructor.
class TrackExtractor {
public:
    using Completion = std::function<void(ExtractionResult)>;

    TrackExtractor(CdReader& reader, MessageSink& messages) : reader_(reader), messages_(messages) {}
    ~TrackExtractor();
    TrackExtractor(const TrackExtractor&) = delete;
    TrackExtractor& operator=(const TrackExtractor&) = delete;

    // False, doing nothing, while an extraction runs.
    bool Start(Completion completion, int driveIndex, int track, std::string path);
    // The extraction ends after the piece it is reading.
    void Stop() { running_.store(false); }
    bool Running() const { return busy_.load(); }
    // Waits for the worker to end.
    void Join();
    const ExtractionProgress& Progress() const { return progress_; }

private:
    CdReader& reader_;
    MessageSink& messages_;
    std::atomic<bool> running_{false};  // the extraction should go on
    std::atomic<bool> busy_{false};     // the worker has not ended yet
    ExtractionProgress progress_;
    std::mutex threadMutex_;
    std::thread worker_;
};

// The CD device nodes of the machine; a drive's index is its place here.
std::vector<std::string> ListCdDrives(CdReader& reader);

// The tracks of the disc in the drive (0 when the table lists none), or -1
// after saying that the drive cannot be opened.
int CountTracks(CdReader& reader, int driveIndex, MessageSink& messages);

}  // namespace harkwell
