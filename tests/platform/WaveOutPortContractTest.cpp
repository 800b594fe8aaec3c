// One contract for every sound output: the fake the tests play through and
// the real one on the desktop's sound server (here a private one).
#include "audio/WaveOutPort.h"
#include "platform/PortAudioWaveOutPort.h"

#include "fakes/FakeWaveOutPort.h"
#include "fakes/TempDir.h"
#include "platform/PrivateSoundServer.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace harkwell {
namespace {

using namespace std::chrono_literals;

const WaveFormat kMono16{1, 1, 44100, 88200, 2, 16};
constexpr std::uint32_t kBufferBytes = 4096;
constexpr std::uint32_t kBufferFrames = kBufferBytes / 2;

// The fake: time passes when the test says so.
struct FakeOutput {
    static bool CanRun(std::string&) { return true; }
    WaveOutPort& Port() { return port; }
    void Pass(int ms) { port.Advance(static_cast<std::uint32_t>(ms * 441 / 10)); }
    testing::FakeWaveOutPort port;
};

// The real one, through a private sound server with a sink nobody hears:
// time passes as it does.
struct RealOutput {
    static bool CanRun(std::string& why)
    {
#if defined(__SANITIZE_ADDRESS__)
        why = "real-time sound is tested without the address sanitizer";
        return false;
#else
        if (!testing::HasProgram("pulseaudio")) {
            why = "no sound server to test with";
            return false;
        }
        return true;
#endif
    }
    RealOutput() : server(dir) {}
    WaveOutPort& Port() { return *port; }
    void Pass(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    bool Ready() { return server.Started() && session->Ready() && port->Supports(-1, kMono16); }

    testing::TempDir dir;
    testing::PrivateSoundServer server;
    // After the server: the sound library looks for devices when it starts.
    std::unique_ptr<PortAudioSession> session = std::make_unique<PortAudioSession>();
    std::unique_ptr<PortAudioWaveOutPort> port = std::make_unique<PortAudioWaveOutPort>(*session);
};

// A ring of buffers of known content, and the notices of played buffers.
template <typename Output>
class WaveOutPortContract : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string why;
        if (!Output::CanRun(why)) GTEST_SKIP() << why;
        output_ = std::make_unique<Output>();
        if constexpr (requires(Output& o) { o.Ready(); })
            if (!output_->Ready()) GTEST_SKIP() << "the private sound server's device was not found";
        for (std::size_t i = 0; i < headers_.size(); ++i) {
            data_[i].assign(kBufferBytes, static_cast<std::uint8_t>(i + 1));
            headers_[i].data = data_[i].data();
            headers_[i].length = kBufferBytes;
        }
    }
    void TearDown() override
    {
        if (output_) (void)Port().Close();
    }

    WaveOutPort& Port() { return output_->Port(); }

    bool Open()
    {
        return Port().Open(-1, kMono16, [this](WaveBufferHeader* header) {
            std::lock_guard lock(mutex_);
            notices_.push_back(header);
            noticed_.notify_all();
        });
    }

    // Queues the first `count` buffers on the paused output, all of them written.
    void QueueWritten(std::size_t count)
    {
        Port().Pause();
        for (std::size_t i = 0; i < count; ++i) {
            ASSERT_TRUE(Port().Prepare(headers_[i]));
            ASSERT_TRUE(Port().Write(headers_[i]));
        }
        Port().MarkWritten(static_cast<std::uint32_t>(count) * kBufferFrames);
    }

    std::size_t Notices()
    {
        std::lock_guard lock(mutex_);
        return notices_.size();
    }

    // Lets time pass until `count` buffers have come back; false when they do not in time.
    bool PlayUntilNoticed(std::size_t count)
    {
        for (int waited = 0; waited < 10'000; waited += 10) {
            if (Notices() >= count) return true;
            output_->Pass(10);
        }
        return Notices() >= count;
    }

    std::unique_ptr<Output> output_;
    std::array<WaveBufferHeader, 4> headers_;
    std::array<std::vector<std::uint8_t>, 4> data_;
    std::mutex mutex_;
    std::condition_variable noticed_;
    std::vector<WaveBufferHeader*> notices_;
};

using Outputs = ::testing::Types<FakeOutput, RealOutput>;
class OutputNames {
public:
    template <typename T>
    static std::string GetName(int)
    {
        return std::is_same_v<T, FakeOutput> ? "Fake" : "PortAudio";
    }
};
TYPED_TEST_SUITE(WaveOutPortContract, Outputs, OutputNames);

TYPED_TEST(WaveOutPortContract, RefusesBuffersItCannotPlay)
{
    WaveOutPort& port = this->Port();
    WaveBufferHeader empty;
    EXPECT_FALSE(port.Prepare(empty)) << "a buffer without data";
    ASSERT_TRUE(port.Prepare(this->headers_[0]));
    EXPECT_FALSE(port.Write(this->headers_[0])) << "nothing is queued while closed";
    EXPECT_TRUE(port.Close()) << "closing a closed output is no failure";

    ASSERT_TRUE(this->Open());
    EXPECT_FALSE(port.Write(this->headers_[1])) << "a buffer not prepared";
    port.Pause();
    ASSERT_TRUE(port.Write(this->headers_[0]));
    EXPECT_TRUE(this->headers_[0].flags & kBufferQueued);
    EXPECT_FALSE(port.Unprepare(this->headers_[0])) << "a queued buffer stays prepared";
}

TYPED_TEST(WaveOutPortContract, PlaysQueuedBuffersInOrderAndHandsEachBack)
{
    ASSERT_TRUE(this->Open());
    EXPECT_EQ(this->Port().PlayedFrames(), 0u);
    this->QueueWritten(4);
    this->Port().Restart();
    ASSERT_TRUE(this->PlayUntilNoticed(4));
    this->output_->Pass(100);

    std::lock_guard lock(this->mutex_);
    ASSERT_EQ(this->notices_.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(this->notices_[i], &this->headers_[i]);
        const std::uint32_t flags = this->headers_[i].flags;
        EXPECT_TRUE(flags & kBufferDone);
        EXPECT_FALSE(flags & kBufferQueued);
    }
    EXPECT_EQ(this->Port().PlayedFrames(), 4 * kBufferFrames) << "a starved output's position stands still";
}

TYPED_TEST(WaveOutPortContract, NothingPlaysWhilePaused)
{
    ASSERT_TRUE(this->Open());
    this->QueueWritten(2);
    this->output_->Pass(150);
    EXPECT_EQ(this->Port().PlayedFrames(), 0u);
    EXPECT_EQ(this->Notices(), 0u);
    this->Port().Restart();
    ASSERT_TRUE(this->PlayUntilNoticed(2));
}

TYPED_TEST(WaveOutPortContract, ResetHandsBackEveryQueuedBufferAndStops)
{
    ASSERT_TRUE(this->Open());
    this->QueueWritten(4);
    this->Port().Reset();
    const std::uint32_t played = this->Port().PlayedFrames();
    for (const WaveBufferHeader& header : this->headers_) {
        EXPECT_TRUE(header.flags & kBufferDone);
        EXPECT_FALSE(header.flags & kBufferQueued);
    }
    this->output_->Pass(150);
    EXPECT_EQ(this->Port().PlayedFrames(), played);
    EXPECT_EQ(this->Notices(), 0u) << "a reset tells of no buffer";
    for (WaveBufferHeader& header : this->headers_) EXPECT_TRUE(this->Port().Unprepare(header));
}

TYPED_TEST(WaveOutPortContract, AReopenedOutputCountsFromZero)
{
    ASSERT_TRUE(this->Open());
    this->QueueWritten(1);
    this->Port().Restart();
    ASSERT_TRUE(this->PlayUntilNoticed(1));
    ASSERT_TRUE(this->Port().Close());
    ASSERT_TRUE(this->Open());
    EXPECT_EQ(this->Port().PlayedFrames(), 0u);
}

}  // namespace
}  // namespace harkwell
