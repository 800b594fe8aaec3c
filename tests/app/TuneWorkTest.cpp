#include "app/TuneWork.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/TempDir.h"
#include "fakes/WavBuilder.h"

#include <gtest/gtest.h>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using testing::TempDir;
using testing::WavBuilder;

std::string WriteStereoWav(const TempDir& dir, const std::string& name, std::uint32_t frames)
{
    std::vector<std::int16_t> samples;
    for (std::uint32_t i = 0; i < frames; ++i) {
        samples.push_back(static_cast<std::int16_t>(i));
        samples.push_back(static_cast<std::int16_t>(i + 2));
    }
    const std::string path = dir.File(name);
    testing::WriteBytes(path, WavBuilder().Riff().Format(2, 48000, 16).Chunk("data", WavBuilder::Samples16(samples)).Build());
    return path;
}

class TuneWorkTest : public ::testing::Test {
protected:
    RecordingMessageSink messages;
    TempDir dir;
    // What the tune held each time whoever reads it in place was told to let go.
    std::vector<std::uint32_t> framesAtLetGo;
    TuneWork work{messages, [this] { framesAtLetGo.push_back(work.Frames()); }};
};

TEST_F(TuneWorkTest, ANewTuneIsMixedToMonoAndResetsTheSettingsToName)
{
    SetupData setup;
    setup.playSpeed = 0.5;
    setup.instrument = 40;
    const std::string path = WriteStereoWav(dir, "a.wav", 300);
    ASSERT_TRUE(work.OpenNew(path, setup));

    EXPECT_TRUE(work.Loaded());
    EXPECT_TRUE(work.HadTune());
    EXPECT_EQ(work.Frames(), 300u);
    EXPECT_EQ(work.SampleRate(), 48000u);
    EXPECT_EQ(work.Format().channels, 1);
    EXPECT_EQ(setup.tunePath, path);
    EXPECT_EQ(setup.playSpeed, 1.0);
    EXPECT_EQ(setup.instrument, 0);
    // Frame 10 is the mean of its two channels, 10 and 12.
    const std::uint8_t* frame = work.FrameBytes(10);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame[0] | (frame[1] << 8), 11);
    const TuneSamples samples = work.AnalysisSamples();
    EXPECT_EQ(samples.bytes, 600u);
    EXPECT_EQ(samples.sampleRate, 48000);
}

TEST_F(TuneWorkTest, ReadersLetGoOfTheOldSamplesBeforeTheNewTuneReplacesThem)
{
    SetupData setup;
    ASSERT_TRUE(work.OpenNew(WriteStereoWav(dir, "a.wav", 300), setup));
    ASSERT_TRUE(work.OpenNew(WriteStereoWav(dir, "b.wav", 500), setup));
    EXPECT_EQ(framesAtLetGo, (std::vector<std::uint32_t>{0, 300}));
    EXPECT_EQ(work.Frames(), 500u);
}

TEST_F(TuneWorkTest, ARefusedFileLeavesTheTuneAndTheSettingsAsTheyWere)
{
    SetupData setup;
    const std::string path = WriteStereoWav(dir, "a.wav", 300);
    ASSERT_TRUE(work.OpenNew(path, setup));
    setup.playSpeed = 0.5;
    const std::string broken = dir.File("broken.wav");
    testing::WriteBytes(broken, {'R', 'I', 'F', 'F', 0, 0});

    EXPECT_FALSE(work.OpenNew(broken, setup));
    EXPECT_EQ(work.Frames(), 300u);
    EXPECT_EQ(setup.tunePath, path);
    EXPECT_EQ(setup.playSpeed, 0.5);
    EXPECT_EQ(framesAtLetGo.size(), 1u) << "the samples in use were not touched";
    EXPECT_EQ(messages.messages.size(), 1u) << "the reader said why";
}

TEST_F(TuneWorkTest, APathTooLongForTheSettingsFileIsNotKept)
{
    SetupData setup;
    // Two folder levels of 150 characters make a path longer than the field.
    const std::filesystem::path folder = dir.Path() / std::string(150, 'x') / std::string(150, 'y');
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "tune.wav").string();
    ASSERT_GE(path.size(), SetupData::kPathField);
    testing::WriteBytes(path, testing::ReadBytes(WriteStereoWav(dir, "short.wav", 10)));

    ASSERT_TRUE(work.OpenNew(path, setup));
    EXPECT_TRUE(setup.tunePath.empty());
}

TEST_F(TuneWorkTest, ATuneRefusedOnReloadLeavesNoTuneAndNoReader)
{
    EXPECT_FALSE(work.Reload(dir.File("missing.wav")));
    EXPECT_FALSE(work.Loaded());
    EXPECT_FALSE(work.HadTune());
    EXPECT_EQ(work.FrameBytes(0), nullptr);
    EXPECT_EQ(work.AnalysisSamples().bytes, 0u);
    EXPECT_EQ(work.SampleRate(), 44100u);
}

}  // namespace
}  // namespace harkwell
