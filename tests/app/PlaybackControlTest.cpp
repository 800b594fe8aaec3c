#include "app/PlaybackControl.h"

#include "fakes/FakeWaveOutPort.h"
#include "fakes/ManualInterfaceThread.h"
#include "fakes/RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace harkwell {
namespace {

using namespace std::chrono_literals;

const WaveFormat kMono16{1, 1, 44100, 88200, 2, 16};
const WaveFormat kMono8{1, 1, 44100, 44100, 1, 8};
constexpr std::uint32_t kLeadInFrames = 2048;  // 4096 bytes of 16-bit mono

// The control over the fake sound output, whose clock runs 44.1 frames for
// every millisecond the player's worker waits (and a real millisecond, so
// that a playback lasts while the test acts). The interface thread is the
// test's own.
class PlaybackControlTest : public ::testing::Test {
protected:
    PlaybackControlTest()
    {
        // A sawtooth through zero, which the speed change can splice.
        for (std::size_t i = 0; i < tune_.size(); ++i)
            tune_[i] = static_cast<std::int16_t>(static_cast<int>(i % 400) * 100 - 19'999);
    }

    PlaySource Tune(const WaveFormat& format = kMono16) const
    {
        return {format, {reinterpret_cast<const std::uint8_t*>(tune_.data()), tune_.size() * 2}};
    }

    std::vector<std::int16_t> Played() const
    {
        std::vector<std::int16_t> samples(port_.played.size() / 2);
        std::memcpy(samples.data(), port_.played.data(), samples.size() * 2);
        return samples;
    }

    std::string LastCaption(PlayMode mode) const
    {
        std::string caption = "(none)";
        for (const auto& [m, text] : captions_)
            if (m == mode) caption = text;
        return caption;
    }

    bool RunUntilIdle() { return ui_.RunUntil([&] { return !control_.IsPlaying(); }); }

    std::vector<std::int16_t> tune_ = std::vector<std::int16_t>(100'000);
    testing::FakeWaveOutPort port_;
    testing::RecordingMessageSink messages_;
    testing::ManualInterfaceThread ui_;
    std::vector<std::pair<PlayMode, std::string>> captions_;
    int changes_ = 0;
    PlaybackControl control_{port_, messages_,
                             PlaybackControl::Hooks{
                                 [this](std::function<void()> task) { ui_.Post(std::move(task)); },
                                 [this](PlayMode mode, std::string_view caption) {
                                     captions_.emplace_back(mode, std::string(caption));
                                 },
                                 [this] { ++changes_; },
                                 [this](int ms) {
                                     std::this_thread::sleep_for(1ms);
                                     port_.Advance(static_cast<std::uint32_t>(ms * 441 / 10));
                                 }}};
};

constexpr PlayMode kModes[] = {PlayMode::Main, PlayMode::AreaPanel, PlayMode::AnalyzeDialog, PlayMode::AreaList};

TEST_F(PlaybackControlTest, EachModeStartsItsStretchAfterTheLeadInAndStopsItself)
{
    for (PlayMode mode : kModes) {
        SCOPED_TRACE(static_cast<int>(mode));
        port_.played.clear();
        control_.Toggle(mode, Tune(), 1000, 5410, 1.0);
        EXPECT_TRUE(control_.IsPlaying());
        EXPECT_EQ(control_.Mode(), mode);
        EXPECT_EQ(LastCaption(mode), "  Stop");
        EXPECT_EQ(control_.PlayFrames(), 4410u + kLeadInFrames);

        ASSERT_TRUE(RunUntilIdle()) << "the end of the stretch ends the playback";
        EXPECT_EQ(LastCaption(mode), "  Play");
        const auto played = Played();
        ASSERT_GE(played.size(), 4410u + kLeadInFrames);
        EXPECT_TRUE(std::all_of(played.begin(), played.begin() + kLeadInFrames, [](auto s) { return s == 0; }));
        EXPECT_TRUE(std::equal(played.begin() + kLeadInFrames, played.begin() + kLeadInFrames + 4410,
                               tune_.begin() + 1000));
    }
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(PlaybackControlTest, APlayButtonStopsOnlyWhatItMayStopAndIsOtherwiseRefused)
{
    for (PlayMode playing : kModes) {
        for (PlayMode pressed : kModes) {
            SCOPED_TRACE(std::to_string(static_cast<int>(playing)) + " pressed " +
                         std::to_string(static_cast<int>(pressed)));
            messages_.messages.clear();
            captions_.clear();
            control_.Toggle(playing, Tune(), 0, 90'000, 1.0);
            ASSERT_TRUE(control_.IsPlaying());
            const int closes = port_.Closes();

            control_.Toggle(pressed, Tune(), 0, 1000, 1.0);
            const bool stops = pressed == playing || (pressed == PlayMode::AnalyzeDialog && playing == PlayMode::AreaList);
            if (stops) {
                EXPECT_FALSE(control_.IsPlaying());
                EXPECT_EQ(port_.Closes(), closes + 1);
                EXPECT_EQ(LastCaption(playing), "  Play") << "the window that started it shows Play again";
                EXPECT_TRUE(messages_.messages.empty());
            } else {
                EXPECT_TRUE(control_.IsPlaying());
                EXPECT_EQ(control_.Mode(), playing);
                EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"Now playing."});
                EXPECT_EQ(LastCaption(pressed), "(none)");
                control_.StopMode(playing);
                EXPECT_FALSE(control_.IsPlaying());
            }
            ui_.RunPending();
        }
    }
}

TEST_F(PlaybackControlTest, StopModeStopsOnlyThePlaybackOfItsMode)
{
    control_.Toggle(PlayMode::AreaList, Tune(), 0, 90'000, 1.0);
    control_.StopMode(PlayMode::Main);
    EXPECT_TRUE(control_.IsPlaying());
    control_.StopMode(PlayMode::AreaList);
    EXPECT_FALSE(control_.IsPlaying());
    EXPECT_EQ(LastCaption(PlayMode::AreaList), "  Play");
}

TEST_F(PlaybackControlTest, AStartWithoutADeviceLeavesNothingPlaying)
{
    port_.supports = false;
    const int changes = changes_;
    control_.Toggle(PlayMode::AreaPanel, Tune(), 0, 1000, 1.0);
    EXPECT_FALSE(control_.IsPlaying());
    EXPECT_EQ(messages_.Texts(),
              std::vector<std::string>{"オーディオデバイスがないか、サポートされていないフォーマットです。 [device -1, 44100 Hz, 16 bits, 1 channel(s): no output device]"});
    EXPECT_EQ(captions_, (std::vector<std::pair<PlayMode, std::string>>{{PlayMode::AreaPanel, "  Stop"},
                                                                         {PlayMode::AreaPanel, "  Play"}}));
    EXPECT_EQ(changes_, changes + 1);

    port_.supports = true;
    control_.Toggle(PlayMode::Main, Tune(), 0, 1000, 1.0);
    EXPECT_TRUE(control_.IsPlaying()) << "the next press plays";
}

TEST_F(PlaybackControlTest, PlayBufferCoversTheStretchOrTheTuneToItsEnd)
{
    struct Case {
        std::uint32_t start, end;
        double speed;
        std::uint32_t frames;
    };
    const Case cases[] = {
        {1000, 45'100, 1.0, 44'100 + kLeadInFrames},
        {0, 0, 1.0, 100'000 + kLeadInFrames},            // an end of 0 plays the whole tune
        {90'000, 0, 1.0, 10'000 + kLeadInFrames},        // from the start to the tune's end
        {99'000, 200'000, 1.0, 1000 + kLeadInFrames},    // a mark of a longer tune is cut
        {200'000, 300'000, 1.0, kLeadInFrames},          // nothing of the tune is left: the lead-in alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end));
        control_.Toggle(PlayMode::Main, Tune(), c.start, c.end, c.speed);
        EXPECT_EQ(control_.PlayFrames(), c.frames);
        control_.Toggle(PlayMode::Main, Tune(), 0, 0, 1.0);
        ui_.RunPending();
    }
}

TEST_F(PlaybackControlTest, OtherSpeedsChangeTheLengthAndEightBitTunesPlayAtNormalSpeed)
{
    // The stretch changes speed, the lead-in stays: the stretch begins on the same frame at every speed.
    for (double speed : {0.5, 2.0}) {
        SCOPED_TRACE(speed);
        port_.played.clear();
        control_.Toggle(PlayMode::AnalyzeDialog, Tune(), 1000, 45'100, speed);
        const double frames = 44'100 / speed + kLeadInFrames;
        EXPECT_NEAR(control_.PlayFrames(), frames, 0.05 * frames);
        ASSERT_TRUE(RunUntilIdle());
        const auto played = Played();
        ASSERT_GT(played.size(), kLeadInFrames + 400u);
        EXPECT_TRUE(std::all_of(played.begin(), played.begin() + kLeadInFrames, [](auto s) { return s == 0; }));
        EXPECT_TRUE(std::equal(played.begin() + kLeadInFrames, played.begin() + kLeadInFrames + 400, tune_.begin() + 1000))
            << "the stretch's first frames play first, neither repeated nor dropped";
    }

    // 8-bit samples cannot change speed: the refusal is shown and the stretch plays as it is.
    control_.Toggle(PlayMode::AnalyzeDialog, Tune(kMono8), 0, 44'100, 0.5);
    EXPECT_TRUE(control_.IsPlaying());
    EXPECT_EQ(control_.PlayFrames(), 44'100u + 4096u);
    EXPECT_EQ(messages_.messages.size(), 1u);
}

TEST_F(PlaybackControlTest, AnEightBitPlaybackStartsInSilenceOfItsOwnFormat)
{
    // The same bytes as 8-bit samples: 4096 frames of lead-in at one byte each.
    control_.Toggle(PlayMode::Main, Tune(kMono8), 0, 4000, 1.0);
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_GE(port_.played.size(), PlaybackControl::kLeadInBytes);
    EXPECT_TRUE(std::all_of(port_.played.begin(), port_.played.begin() + PlaybackControl::kLeadInBytes,
                            [](std::uint8_t b) { return b == 0x80; }))
        << "no thump: unsigned 8-bit silence is 0x80, not 0";
}

TEST_F(PlaybackControlTest, APlaybackPlaysItsOwnCopyOfTheStretch)
{
    const std::vector<std::int16_t> original = tune_;
    control_.Toggle(PlayMode::Main, Tune(), 0, 4000, 1.0);
    std::fill(tune_.begin(), tune_.end(), std::int16_t{-7});  // another tune is loaded meanwhile
    ASSERT_TRUE(RunUntilIdle());
    const auto played = Played();
    ASSERT_GE(played.size(), 4000u + kLeadInFrames);
    EXPECT_TRUE(std::equal(played.begin() + kLeadInFrames, played.begin() + kLeadInFrames + 4000, original.begin()));
}

TEST_F(PlaybackControlTest, TheEndOfAnEarlierPlayerDoesNotEndTheNextPlayback)
{
    control_.Toggle(PlayMode::Main, Tune(), 0, 2000, 1.0);
    // The first player reaches its end and closes the output; its end notice
    // waits for the interface thread, which stops and restarts meanwhile.
    for (int i = 0; i < 2000 && port_.Closes() == 0; ++i) std::this_thread::sleep_for(5ms);
    ASSERT_EQ(port_.Closes(), 1);
    control_.Toggle(PlayMode::Main, Tune(), 0, 2000, 1.0);
    EXPECT_FALSE(control_.IsPlaying());
    control_.Toggle(PlayMode::Main, Tune(), 0, 90'000, 1.0);
    std::this_thread::sleep_for(50ms);
    ui_.RunPending();
    EXPECT_TRUE(control_.IsPlaying());
    EXPECT_EQ(LastCaption(PlayMode::Main), "  Stop");
}

TEST_F(PlaybackControlTest, NoticesPostedAfterTheControlIsGoneAreDropped)
{
    testing::FakeWaveOutPort port;
    testing::ManualInterfaceThread ui;
    {
        PlaybackControl control(port, messages_,
                                {[&](std::function<void()> task) { ui.Post(std::move(task)); },
                                 [](PlayMode, std::string_view) {}, [] {},
                                 [&](int ms) { port.Advance(static_cast<std::uint32_t>(ms * 441 / 10)); }});
        control.Toggle(PlayMode::Main, Tune(), 0, 1000, 1.0);
        for (int i = 0; i < 2000 && port.Closes() == 0; ++i) std::this_thread::sleep_for(5ms);
    }
    EXPECT_GT(ui.RunPending(), 0) << "notices were waiting; running them must not touch the gone control";
}

}  // namespace
}  // namespace harkwell
