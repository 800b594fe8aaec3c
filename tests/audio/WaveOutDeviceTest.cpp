#include "audio/WaveOutDevice.h"
#include "audio/WavePlayer.h"

#include "fakes/FakeWaveOutPort.h"
#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <numeric>

namespace harkwell {
namespace {

using testing::FakeWaveOutPort;
using testing::RecordingMessageSink;
using Texts = std::vector<std::string>;

const WaveFormat kMono16{1, 1, 44100, 88200, 2, 16};
constexpr std::uint32_t kN = 8;
constexpr std::uint32_t kF = 2048;

// Frames numbered 1, 2, 3 ... as 16-bit samples.
std::vector<std::uint8_t> NumberedFrames(std::uint32_t count)
{
    std::vector<std::uint8_t> bytes(std::size_t{count} * 2);
    for (std::uint32_t i = 0; i < count; ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>((i + 1) & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>((i + 1) >> 8);
    }
    return bytes;
}

std::uint16_t FrameAt(WaveBufferSet& buffers, std::uint32_t buffer, std::uint32_t frame)
{
    const std::uint8_t* data = buffers.Data(buffer) + 2 * frame;
    return static_cast<std::uint16_t>(data[0] | data[1] << 8);
}

TEST(WaveOutDevice, WriteFramesGoesRoundTheRing)
{
    FakeWaveOutPort port;
    RecordingMessageSink messages;
    WaveOutDevice device(port, messages, -1, kMono16, 4096, kN);
    ASSERT_EQ(device.FramesPerBuffer(), kF);
    const auto frames = NumberedFrames(3 * kF);
    device.WriteFrames(kN - 1, kF - 1, frames.data(), 3 * kF);
    WaveBufferSet& ring = device.Buffers();
    EXPECT_EQ(FrameAt(ring, kN - 1, kF - 1), 1);
    EXPECT_EQ(FrameAt(ring, 0, 0), 2);
    EXPECT_EQ(FrameAt(ring, 1, kF - 1), 2 * kF + 1);
    EXPECT_EQ(FrameAt(ring, 2, 0), 2 * kF + 2);
    EXPECT_EQ(FrameAt(ring, 2, kF - 2), 3 * kF);
    EXPECT_EQ(FrameAt(ring, 2, kF - 1), 0);
}

TEST(WaveOutDevice, WriteFramesClampsItsPlace)
{
    struct Case {
        std::uint32_t index, offset, count;
        std::uint32_t expectBuffer, expectFrame;
    };
    const Case cases[] = {
        {kN, 5, 1, kN - 1, 5},           // a buffer past the ring: the last one
        {3, kF, 1, 3, kF - 1},           // a frame past the buffer: its last frame
        {0, 0, kN * kF + 99, kN - 1, kF - 1},  // more than the ring holds: one ring
    };
    for (const auto& c : cases) {
        FakeWaveOutPort port;
        RecordingMessageSink messages;
        WaveOutDevice device(port, messages, -1, kMono16, 4096, kN);
        const auto frames = NumberedFrames(c.count);
        device.WriteFrames(c.index, c.offset, frames.data(), c.count);
        EXPECT_NE(FrameAt(device.Buffers(), c.expectBuffer, c.expectFrame), 0) << c.index << " " << c.offset;
    }
}

TEST(WaveOutDevice, OpensQueuesAndRefusesWhatItCannotDo)
{
    FakeWaveOutPort port;
    RecordingMessageSink messages;
    WaveOutDevice device(port, messages, -1, kMono16, 4096, kN);
    EXPECT_TRUE(device.Close()) << "closing a closed device is fine";
    EXPECT_FALSE(device.QueueAll()) << "not open";
    ASSERT_TRUE(device.Open(nullptr));
    EXPECT_FALSE(device.Open(nullptr));
    ASSERT_TRUE(device.QueueAll());
    EXPECT_EQ(port.writes, static_cast<int>(kN));

    WaveBufferHeader& first = device.Buffers().Header(0);
    EXPECT_FALSE(device.Requeue(&first)) << "still queued, not done";
    WaveBufferHeader stranger;
    stranger.flags = kBufferDone | kBufferPrepared;
    EXPECT_FALSE(device.Requeue(&stranger)) << "not a buffer of this ring";
    EXPECT_EQ(port.writes, static_cast<int>(kN));
    EXPECT_EQ(messages.Texts(), Texts{"再生デバイスはオープン済みです。"});
    EXPECT_TRUE(device.Close());
}

TEST(WaveOutDevice, ShowsWhyItCannotPlay)
{
    struct Case {
        bool supports, opens, prepares;
        Texts messages;
    };
    const Case cases[] = {
        {false, true, true, {"オーディオデバイスがないか、サポートされていないフォーマットです。 [device -1, 44100 Hz, 16 bits, 1 channel(s): no output device]"}},
        {true, false, true, {"再生デバイスのオープンに失敗しました。"}},
        {true, true, false, {"バッファが再生用に準備できませんでした。"}},
    };
    for (const auto& c : cases) {
        FakeWaveOutPort port;
        port.supports = c.supports;
        port.opens = c.opens;
        port.prepares = c.prepares;
        RecordingMessageSink messages;
        WavePlayer player(port, messages, kMono16, nullptr, 0, {}, [](WaveBufferHeader*) {}, nullptr, [](int) {});
        EXPECT_FALSE(player.Play());
        EXPECT_FALSE(player.IsPlaying());
        EXPECT_EQ(messages.Texts(), c.messages);
    }
}

TEST(RingCursor, MeasuresForwardWithinOneTurn)
{
    struct Case {
        std::uint32_t from, to;
        std::int32_t distance;
    };
    const Case cases[] = {
        {10, 100, 90},
        {100, 10, -90},                             // behind in the same buffer
        {7 * kF + 5, 0 * kF + 9, kF + 4},           // buffer 7 to buffer 0
        {0 * kF + 9, 7 * kF + 5, 7 * kF - 4},       // buffer 0 to buffer 7
        {3 * kF + 10, 3 * kF + 20 + kN * kF, 10},   // a whole ring ahead: only the offsets count
        {0, 4851, 4851},
    };
    for (const auto& c : cases) {
        RingCursor from(kF, kN), to(kF, kN);
        from.Set(c.from);
        to.Set(c.to);
        EXPECT_EQ(from.DistanceTo(to), c.distance) << c.from << " to " << c.to;
    }
    // A ring of one buffer: every place is in the same buffer.
    RingCursor lonely(kF, 1), other(kF, 1);
    lonely.Set(5);
    other.Set(kF + 9);
    EXPECT_EQ(other.Index(), 0u);
    EXPECT_EQ(lonely.DistanceTo(other), 4);
}

}  // namespace
}  // namespace harkwell
