#include "cd/TrackExtraction.h"
#include "cd/TrackReader.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/SimulatedCdDrive.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <random>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using testing::SimulatedCdDrive;
using testing::SimulatedDisc;
using testing::TempDir;

constexpr std::size_t kWavHeader = 46;  // RIFF, an 18-byte "fmt " chunk, the "data" header

// The sound bytes of a WAV file the extraction wrote, after checking its header.
std::vector<std::uint8_t> SoundOf(const std::string& path)
{
    const std::vector<std::uint8_t> file = testing::ReadBytes(path);
    if (file.size() < kWavHeader || std::memcmp(&file[38], "data", 4) != 0) {
        ADD_FAILURE() << "not a WAV file the writer makes: " << path;
        return {};
    }
    std::uint32_t dataSize, rate;
    std::uint16_t channels, bits;
    std::memcpy(&channels, &file[22], 2);
    std::memcpy(&rate, &file[24], 4);
    std::memcpy(&bits, &file[34], 2);
    std::memcpy(&dataSize, &file[42], 4);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, 44100u);
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(dataSize, file.size() - kWavHeader) << "the sizes are written";
    return {file.begin() + kWavHeader, file.end()};
}

// Three audio tracks of 100, 250 and 80 frames, a data track, the lead-out.
SimulatedDisc Disc() { return SimulatedDisc({{100, true}, {250, true}, {80, true}, {60, false}}); }

class ExtractionTest : public ::testing::Test {
protected:
    ExtractionResult Extract(int track, const std::string& name = "track.wav")
    {
        path_ = name.empty() ? std::string() : dir_.File(name);
        return ExtractTrack(reader_, 0, track, path_, messages_, running_, progress_);
    }

    SimulatedCdDrive drive_{Disc()};
    CdReader reader_{drive_};
    RecordingMessageSink messages_;
    std::atomic<bool> running_{true};
    ExtractionProgress progress_;
    TempDir dir_;
    std::string path_;
};

TEST_F(ExtractionTest, TrackOf100FramesComesInPiecesAlignedOnTheirOverlap)
{
    ASSERT_TRUE(reader_.Start());
    {
        TrackReader track(reader_);
        ASSERT_TRUE(track.OpenDrive(0));
        ASSERT_EQ(track.SelectTrack(0), TrackChoice::Selected);
        EXPECT_EQ(track.TrackLength(), 100u);
        std::vector<std::size_t> pieces;
        std::vector<std::uint8_t> sound;
        for (auto piece = track.ReadChunk(); !piece.empty(); piece = track.ReadChunk()) {
            pieces.push_back(piece.size() / kFrameBytes);
            sound.insert(sound.end(), piece.begin(), piece.end());
        }
        EXPECT_FALSE(track.Failed());
        EXPECT_EQ(pieces, (std::vector<std::size_t>{27, 24, 24, 22, 3}));
        EXPECT_EQ(sound, drive_.disc->TrackBytes(0));
        // Every piece after the first starts three frames back; the last asks for its overlap too.
        const auto reads = drive_.ReadRequests();
        std::vector<std::uint32_t> starts;
        for (const auto& read : reads) starts.push_back(read.second);
        EXPECT_EQ(starts, (std::vector<std::uint32_t>{0, 24, 48, 72, 94}));
    }
    reader_.Stop();
    EXPECT_EQ(drive_.OpenHandles(), 0) << "the library lets the drive go";
}

TEST_F(ExtractionTest, WritesTheWholeTrack)
{
    EXPECT_EQ(Extract(1), ExtractionResult::Succeeded);
    EXPECT_EQ(SoundOf(path_), drive_.disc->TrackBytes(1));
    EXPECT_TRUE(messages_.messages.empty());
    EXPECT_EQ(progress_.total.load(), 250u);
    EXPECT_EQ(progress_.done.load(), 0u) << "back to 0 at the end";
}

TEST_F(ExtractionTest, JitteryDriveStillGivesTheTrackByteForByte)
{
    // Each read starts up to 8 frames early or 2 late, and off by 4-byte steps;
    // the first read after an open lands where it was asked.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> frames(-8, 2), steps(-20, 20);
    drive_.positionErrors = {0};
    for (int i = 0; i < 500; ++i)
        drive_.positionErrors.push_back(frames(random) * static_cast<int>(kFrameBytes) + 4 * steps(random));
    for (const int track : {0, 1}) {
        ASSERT_EQ(Extract(track, "jitter" + std::to_string(track) + ".wav"), ExtractionResult::Succeeded) << track;
        EXPECT_EQ(SoundOf(path_), drive_.disc->TrackBytes(track)) << track;
    }
    EXPECT_TRUE(messages_.messages.empty());
}

struct RefusalCase {
    const char* name;
    int track;
    const char* fileName;
    std::vector<std::string> messages;
};

class ExtractionRefusal : public ExtractionTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ExtractionRefusal, SaysWhyAndLeavesNoFile)
{
    const RefusalCase& c = GetParam();
    EXPECT_EQ(Extract(c.track, c.fileName), ExtractionResult::Failed);
    // Each message as the case has it; the writer's may add the file and the cause.
    const std::vector<std::string> texts = messages_.Texts();
    ASSERT_EQ(texts.size(), c.messages.size());
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i].rfind(c.messages[i], 0), 0u) << texts[i];
    if (!path_.empty()) {
        EXPECT_FALSE(std::filesystem::exists(path_));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ExtractionRefusal,
    ::testing::Values(RefusalCase{"NoFileName", 0, "", {cd_text::kNoFileName}},
                      RefusalCase{"TrackPastTheLast", 4, "a.wav", {cd_text::kNoDisc}},
                      RefusalCase{"NegativeTrack", -1, "a.wav", {cd_text::kNoDisc}},
                      RefusalCase{"DataTrack", 3, "a.wav", {cd_text::kNotAudioTrack}},
                      RefusalCase{"NoFolder", 0, "missing/a.wav",
                                  {"ファイルの作成に失敗しました。", cd_text::kCreateFailed}}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(ExtractionTest, SaysWhenThereIsNoDriveNoDiscOrNoRights)
{
    drive_.present = false;
    EXPECT_EQ(Extract(0), ExtractionResult::Failed);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{cd_text::kNotCdDrive});

    drive_.present = true;
    drive_.disc.reset();
    messages_.messages.clear();
    EXPECT_EQ(Extract(0), ExtractionResult::Failed);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{cd_text::kNoDisc});

    drive_.openError = EACCES;
    messages_.messages.clear();
    EXPECT_EQ(Extract(0), ExtractionResult::Failed);
    EXPECT_EQ(messages_.Texts(), (std::vector<std::string>{cd_text::kNotCdDrive, NoRightsMessage("/dev/sr0")}));
    EXPECT_NE(NoRightsMessage("/dev/sr0").find("cdrom"), std::string::npos);
}

TEST_F(ExtractionTest, MediaErrorInTheMiddleFailsTheRip)
{
    drive_.mediaErrors = {100 + 130};
    EXPECT_EQ(Extract(1), ExtractionResult::Failed);
    EXPECT_TRUE(messages_.messages.empty()) << "the caller says it ended abnormally";
    EXPECT_FALSE(std::filesystem::exists(path_)) << "no cut track passes for the whole one";
}

TEST_F(ExtractionTest, FullDiskFailsTheRip)
{
    path_ = "/dev/full";
    EXPECT_EQ(ExtractTrack(reader_, 0, 1, path_, messages_, running_, progress_), ExtractionResult::Failed);
    EXPECT_TRUE(std::filesystem::exists("/dev/full")) << "a device is never removed";
}

TEST_F(ExtractionTest, BusyDriveIsAskedAgain)
{
    drive_.busyCommands = 1;
    EXPECT_EQ(Extract(0), ExtractionResult::Succeeded);
    EXPECT_EQ(SoundOf(path_), drive_.disc->TrackBytes(0));
}

TEST_F(ExtractionTest, CountsTheTracks)
{
    EXPECT_EQ(CountTracks(reader_, 0, messages_), 4);
    drive_.emptyToc = true;
    EXPECT_EQ(CountTracks(reader_, 0, messages_), 0);
    drive_.present = false;
    EXPECT_EQ(CountTracks(reader_, 0, messages_), -1);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{cd_text::kCannotCount});
    EXPECT_EQ(ListCdDrives(reader_), std::vector<std::string>{});
    drive_.present = true;
    EXPECT_EQ(ListCdDrives(reader_), std::vector<std::string>{"/dev/sr0"});
}

TEST(TrackExtractor, RunsOnAWorkerAndReportsOnce)
{
    SimulatedCdDrive drive(Disc());
    CdReader reader(drive);
    RecordingMessageSink messages;
    TempDir dir;
    std::promise<ExtractionResult> finished;
    // The worker's reads wait until the second start has been tried.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    drive.onRead = [released](std::uint32_t) { released.wait(); };
    TrackExtractor extractor(reader, messages);
    ASSERT_TRUE(extractor.Start([&](ExtractionResult result) { finished.set_value(result); }, 0, 2,
                                dir.File("t.wav")));
    EXPECT_FALSE(extractor.Start(nullptr, 0, 0, dir.File("u.wav"))) << "one at a time";
    release.set_value();
    EXPECT_EQ(finished.get_future().get(), ExtractionResult::Succeeded);
    extractor.Join();
    EXPECT_FALSE(extractor.Running());
    EXPECT_EQ(SoundOf(dir.File("t.wav")), drive.disc->TrackBytes(2));
    EXPECT_FALSE(std::filesystem::exists(dir.File("u.wav")));
}

TEST(TrackExtractor, StopLeavesAValidFileOfTheFramesRead)
{
    SimulatedCdDrive drive(Disc());
    CdReader reader(drive);
    RecordingMessageSink messages;
    TempDir dir;
    std::promise<ExtractionResult> finished;
    TrackExtractor extractor(reader, messages);
    // The user stops while the fourth piece (frames 75..98 of the track) is being read.
    drive.onRead = [&](std::uint32_t lba) {
        if (lba >= 100 + 72) extractor.Stop();
    };
    ASSERT_TRUE(extractor.Start([&](ExtractionResult result) { finished.set_value(result); }, 0, 1,
                                dir.File("t.wav")));
    EXPECT_EQ(finished.get_future().get(), ExtractionResult::Succeeded);
    extractor.Join();
    const auto sound = SoundOf(dir.File("t.wav"));
    const auto whole = drive.disc->TrackBytes(1);
    EXPECT_EQ(sound.size(), 99 * kFrameBytes) << "the piece being read is written, then no more";
    EXPECT_EQ(sound.size() % kFrameBytes, 0u);
    EXPECT_TRUE(std::equal(sound.begin(), sound.end(), whole.begin()));
}

}  // namespace
}  // namespace harkwell
