#pragma once

#include "fakes/TempDir.h"
#include "platform/QuietSoundProbing.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace harkwell::testing {

using namespace std::chrono_literals;

inline bool HasProgram(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline int ReadPid(const std::string& path)
{
    std::ifstream in(path);
    int pid = 0;
    in >> pid;
    return pid;
}

// A sound server of the test's own, playing into a sink that nobody hears
// and whose monitor the test records. The sound libraries' reports of the
// backends they probe and cannot use are kept quiet, as the program keeps them.
class PrivateSoundServer {
public:
    explicit PrivateSoundServer(const TempDir& dir) : dir_(dir)
    {
        QuietSoundProbing();
        const std::string runtime = dir.File("run");
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        socket_ = dir.File("native");
        const std::string command = "pulseaudio -n -D --exit-idle-time=-1 --use-pid-file=yes --log-target=file:" +
                                    dir.File("server.log") + " -L 'module-null-sink sink_name=" + kSink +
                                    " rate=44100 channels=1' -L 'module-native-protocol-unix socket=" + socket_ +
                                    " auth-anonymous=1' >/dev/null 2>&1";
        started_ = std::system(command.c_str()) == 0;
        pid_ = ReadPid(runtime + "/pulse/pid");
        setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
    }
    ~PrivateSoundServer()
    {
        if (pid_ > 0) kill(pid_, SIGTERM);
        unsetenv("PULSE_SERVER");
    }
    bool Started() const { return started_ && pid_ > 0; }

    // Records the sink's monitor until StopRecording.
    void StartRecording()
    {
        recording_ = dir_.File("recording.raw");
        const std::string command = "parec --device=" + std::string(kSink) +
                                    ".monitor --format=s16le --rate=44100 --channels=1 --raw > '" + recording_ +
                                    "' 2>/dev/null & echo $! > '" + dir_.File("parec.pid") + "'";
        std::system(command.c_str());
        recorderPid_ = ReadPid(dir_.File("parec.pid"));
    }
    std::vector<std::int16_t> StopRecording()
    {
        if (recorderPid_ > 0) kill(recorderPid_, SIGINT);
        std::this_thread::sleep_for(300ms);
        std::ifstream in(recording_, std::ios::binary);
        std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::vector<std::int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }

    static constexpr const char* kSink = "harkwell_test";

private:
    const TempDir& dir_;
    std::string socket_;
    std::string recording_;
    bool started_ = false;
    int pid_ = 0;
    int recorderPid_ = 0;
};

}  // namespace harkwell::testing
