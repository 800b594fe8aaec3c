#include "Cli.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/TempDir.h"
#include "fakes/WavBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace harkwell {
namespace {

using testing::TempDir;
using testing::WavBuilder;

// An in-memory stream whose text can be read once it is closed.
class Capture {
public:
    Capture() : file_(open_memstream(&data_, &size_)) {}
    ~Capture()
    {
        if (file_ != nullptr) std::fclose(file_);
        std::free(data_);
    }
    std::FILE* get() const { return file_; }
    std::string Text()
    {
        std::fflush(file_);
        return std::string(data_, size_);
    }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_;
};

struct Outcome {
    int code;
    std::string out, err;
};

Outcome RunInProcess(std::vector<std::string> arguments, testing::RecordingMessageSink& sink)
{
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    Capture out, err;
    const int code = cli::RunCli(pointers, sink, out.get(), err.get());
    return {code, out.Text(), err.Text()};
}

TEST(RunCli, UsageGoesToTheGivenStreamWithTheProcessExitCodes)
{
    testing::RecordingMessageSink sink;
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{}, {"info"}, {"info", "a", "b"}, {"play"}, {"stretch", "a"},
                                               {"stretch", "a", "fast", "b"}, {"analyze", "a", "1"}}) {
        const Outcome outcome = RunInProcess(arguments, sink);
        EXPECT_EQ(outcome.code, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(outcome.err.find("usage: harkwell-cli"), std::string::npos);
    }
    EXPECT_TRUE(sink.messages.empty());
}

TEST(RunCli, RunsACommandThroughTheSinkAndStreams)
{
    TempDir dir;
    const std::string path = dir.File("tune.wav");
    testing::WriteBytes(path, WavBuilder().Riff().Format(1, 8000, 16).Chunk("data", WavBuilder::Samples16({1, 2})).Build());
    testing::RecordingMessageSink sink;
    Outcome outcome = RunInProcess({"info", path}, sink);
    EXPECT_EQ(outcome.code, 0);
    EXPECT_NE(outcome.out.find("frames=2\n"), std::string::npos);
    EXPECT_EQ(outcome.err, "");

    outcome = RunInProcess({"info", dir.File("missing.wav")}, sink);
    EXPECT_EQ(outcome.code, 1);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"file is not found"});
}

}  // namespace
}  // namespace harkwell
