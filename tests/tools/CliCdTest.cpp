#include "CdCommand.h"

#include "cd/TrackExtraction.h"
#include "common/StderrMessageSink.h"

#include "fakes/CliRunner.h"
#include "fakes/SimulatedCdDrive.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace harkwell {
namespace {

using testing::SimulatedCdDrive;
using testing::SimulatedDisc;
using testing::TempDir;

// Runs the cd command in this process over a simulated drive, its output caught in files.
class CliCd : public ::testing::Test {
protected:
    int Run(std::vector<std::string> arguments)
    {
        std::vector<char*> pointers;
        for (auto& argument : arguments) pointers.push_back(argument.data());
        std::FILE* out = std::fopen(dir_.File("out").c_str(), "w+");
        std::FILE* err = std::fopen(dir_.File("err").c_str(), "w+");
        StderrMessageSink sink(err);
        CdReader reader(drive_);
        const int code = cli::RunCd(pointers, reader, sink, out, err);
        std::fclose(out);
        std::fclose(err);
        out_ = Text("out");
        err_ = Text("err");
        return code;
    }

    std::string Text(const std::string& name) const
    {
        const auto bytes = testing::ReadBytes(dir_.File(name));
        return {bytes.begin(), bytes.end()};
    }

    SimulatedCdDrive drive_{SimulatedDisc({{150, true}, {75, true}, {30, false}})};
    TempDir dir_;
    std::string out_, err_;
};

TEST_F(CliCd, ListsDrivesAndTheTableOfContents)
{
    EXPECT_EQ(Run({"drives"}), 0);
    EXPECT_EQ(out_, "/dev/sr0\n");
    EXPECT_EQ(Run({"toc", "/dev/sr0"}), 0);
    EXPECT_EQ(out_,
              "track=1 start=0 frames=150 seconds=2.00 type=audio\n"
              "track=2 start=150 frames=75 seconds=1.00 type=audio\n"
              "track=3 start=225 frames=30 seconds=0.40 type=data\n");
    EXPECT_EQ(err_, "");
}

TEST_F(CliCd, RipsTheTrackAsTheDiscNumbersIt)
{
    drive_.firstTrackNumber = 3;  // a disc whose first track is numbered 3
    const std::string path = dir_.File("t.wav");
    EXPECT_EQ(Run({"rip", "/dev/sr0", "4", path}), 0);
    const auto file = testing::ReadBytes(path);
    ASSERT_EQ(file.size(), 46u + 75u * 2352u);
    EXPECT_TRUE(std::equal(file.begin() + 46, file.end(), drive_.disc->TrackBytes(1).begin()));
    EXPECT_EQ(err_.substr(err_.size() - std::strlen(cd_text::kRipSucceeded) - 10),
              std::string("message: ") + cd_text::kRipSucceeded + "\n");
}

TEST_F(CliCd, FailedRipSaysSoAndExitsWithOne)
{
    drive_.mediaErrors = {40};
    EXPECT_EQ(Run({"rip", "/dev/sr0", "1", dir_.File("t.wav")}), 1);
    EXPECT_EQ(err_.substr(err_.find("message:")), std::string("message: ") + cd_text::kRipFailed + "\n");
    EXPECT_EQ(Run({"rip", "/dev/sr0", "3", dir_.File("t.wav")}), 1);
    EXPECT_NE(err_.find(cd_text::kNotAudioTrack), std::string::npos);
    EXPECT_EQ(Run({"toc", "/dev/sr9"}), 1);
    EXPECT_EQ(err_, std::string("message: ") + cd_text::kNotCdDrive + "\n");
    drive_.disc.reset();
    EXPECT_EQ(Run({"toc", "/dev/sr0"}), 1);
    EXPECT_EQ(err_, std::string("message: ") + cd_text::kNoDisc + "\n");
    drive_.present = false;
    EXPECT_EQ(Run({"drives"}), 1);
    EXPECT_EQ(err_, std::string("message: ") + cd_text::kNoDrive + "\n");
}

TEST_F(CliCd, WrongUsageExitsWithTwo)
{
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"drives", "x"}, {"toc"}, {"rip", "/dev/sr0", "0", "a.wav"},
          {"rip", "/dev/sr0", "1x", "a.wav"}, {"rip", "/dev/sr0", "1"}, {"eject"}}) {
        EXPECT_EQ(Run(arguments), 2);
        EXPECT_EQ(err_.rfind("usage: harkwell-cli cd", 0), 0u);
    }
}

TEST(CliCdProgram, SaysSoOnAMachineWithoutDrives)
{
    TempDir dir;
    const testing::CliResult result = testing::RunCli(dir, "cd rip /dev/no-such-drive 1 '" + dir.File("a.wav") + "'");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, std::string("message: ") + cd_text::kNotCdDrive + "\n");
    EXPECT_EQ(testing::RunCli(dir, "cd rip /dev/sr0").exitCode, 2);
}

}  // namespace
}  // namespace harkwell
