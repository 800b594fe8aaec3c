#include "app/WorkFiles.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/TempDir.h"
#include "fakes/WavBuilder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using testing::TempDir;
using testing::WavBuilder;

class WorkFilesTest : public ::testing::Test {
protected:
    // The files an earlier run left: setup.ini naming `tunePath`, and line.dat
    // with one area in the tune's list.
    void LeaveEarlierRun(const std::string& tunePath)
    {
        SetupData earlier;
        earlier.tunePath = tunePath;
        earlier.playSpeed = 0.75;
        const SetupData::Bytes record = earlier.Serialize();
        testing::WriteBytes(dir.File("setup.ini"), {record.begin(), record.end()});
        AreaLists lists;
        ASSERT_TRUE(lists[0].Add(100, 5000, 0x7F7FFF, "verse"));
        ASSERT_TRUE(SaveAreaFile(messages, dir.File("line.dat"), {&lists[0], &lists[1], &lists[2]}));
    }

    std::string WriteTune(const std::string& name)
    {
        const std::string path = dir.File(name);
        testing::WriteBytes(path, WavBuilder().Riff().Format(1, 44100, 16)
                                      .Chunk("data", WavBuilder::Samples16(std::vector<std::int16_t>(8000, 1000)))
                                      .Build());
        return path;
    }

    RecordingMessageSink messages;
    TempDir dir;
    SetupData setup;
    TuneWork tune{messages, nullptr};
    std::ostringstream log;
};

TEST_F(WorkFilesTest, TheLastTuneComesBackWithItsAreasAndSettings)
{
    const std::string path = WriteTune("tune.wav");
    LeaveEarlierRun(path);
    WorkFiles files(dir.Path().string(), setup, messages);
    EXPECT_EQ(setup.playSpeed, 0.75);

    const std::optional<AreaLists> lists = files.RestoreLastWork(tune, log);
    ASSERT_TRUE(lists.has_value());
    ASSERT_EQ((*lists)[0].size(), 1u);
    EXPECT_EQ((*lists)[0][0].name, "verse");
    EXPECT_EQ(tune.Frames(), 8000u);
    EXPECT_EQ(log.str(), "");
    EXPECT_TRUE(messages.messages.empty());
}

// A tune that is gone or refused at start-up keeps its areas on disk: the next
// run, with the tune back, finds them.
TEST_F(WorkFilesTest, ATuneMissingOrRefusedAtStartUpSaysWhyAndKeepsItsAreas)
{
    const struct {
        const char* name;
        bool exists;
        const char* cause;
        bool areasRead;
    } cases[] = {
        {"gone.wav", false, "No such file or directory", false},
        {"broken.wav", true, "not a sound file it could read", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        if (c.exists) testing::WriteBytes(path, {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '});
        LeaveEarlierRun(path);
        const std::vector<std::uint8_t> areasBefore = testing::ReadBytes(dir.File("line.dat"));
        SetupData runSetup;
        TuneWork runTune{messages, nullptr};
        std::ostringstream runLog;
        {
            WorkFiles files(dir.Path().string(), runSetup, messages);
            EXPECT_EQ(files.RestoreLastWork(runTune, runLog).has_value(), c.areasRead);
            EXPECT_FALSE(runTune.Loaded());
            EXPECT_NE(runLog.str().find("harkwell: the last tune was not loaded: "), std::string::npos) << runLog.str();
            EXPECT_NE(runLog.str().find(c.name), std::string::npos) << runLog.str();
            EXPECT_NE(runLog.str().find(c.cause), std::string::npos) << runLog.str();
            const WaveformAreas none;
            files.SaveAtClose(runTune, {&none, &none, &none});
        }
        EXPECT_EQ(testing::ReadBytes(dir.File("line.dat")), areasBefore);
        SetupData saved;
        const std::vector<std::uint8_t> record = testing::ReadBytes(dir.File("setup.ini"));
        EXPECT_TRUE(SetupData::Parse(record, saved));
        EXPECT_EQ(saved.tunePath, path) << "the next run looks for the same tune";
    }
}

TEST_F(WorkFilesTest, AFirstRunLeavesBothFilesAndARunWithATuneSavesItsAreas)
{
    WaveformAreas kept;
    ASSERT_TRUE(kept.Add(10, 4000, 0x9F9F9F, "chorus"));
    const WaveformAreas none;
    {
        WorkFiles files(dir.Path().string(), setup, messages);
        EXPECT_FALSE(files.RestoreLastWork(tune, log).has_value());
        files.SaveAtClose(tune, {&none, &none, &none});
    }
    EXPECT_TRUE(std::filesystem::exists(dir.File("line.dat")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("setup.ini")));
    EXPECT_EQ(log.str(), "") << "no tune was named";

    {
        WorkFiles files(dir.Path().string(), setup, messages);
        ASSERT_TRUE(tune.OpenNew(WriteTune("new.wav"), setup));
        files.SaveAtClose(tune, {&kept, &none, &none});
    }
    const AreaLists read = LoadAreaFile(messages, dir.File("line.dat"));
    ASSERT_EQ(read[0].size(), 1u);
    EXPECT_EQ(read[0][0].name, "chorus");
    EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
}  // namespace harkwell
