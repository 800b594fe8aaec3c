// What every MidiOutPort keeps, checked on the real synth (rendered offline)
// and on the recording port the other tests use.
#include "platform/FluidSynthMidiPort.h"

#include "fakes/RecordingMidiPort.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace harkwell {
namespace {

// Each implementation opens one port and tells whether anything still
// sounds: the synth renders a little sound and counts its voices, the
// recording port keeps the notes it was told to sound.
struct SynthPort {
    static bool Available() { return IsUsableSoundFont(kDefaultGmSoundFont); }
    static constexpr const char* kMissing = "no General MIDI SoundFont";

    SynthPort() : synth(FluidSynthMidiPort::OpenOffline(kDefaultGmSoundFont)) {}
    MidiOutPort* Port() { return synth.get(); }
    bool Sounding()
    {
        constexpr int kFrames = FluidSynthMidiPort::kSampleRate / 20;
        std::vector<float> left(kFrames);
        std::vector<float> right(kFrames);
        EXPECT_TRUE(synth->Render(left.data(), right.data(), kFrames));
        return synth->SoundingVoices() > 0;
    }

    std::unique_ptr<FluidSynthMidiPort> synth;
};

struct RecordingPort {
    static bool Available() { return true; }
    static constexpr const char* kMissing = "";

    MidiOutPort* Port() { return port.get(); }
    bool Sounding() { return !devices.SoundingNotes().empty(); }

    testing::RecordingMidiDevices devices;
    std::unique_ptr<MidiOutPort> port = devices.Open(MidiOutDevices::kBuiltInSynth);
};

template <typename Impl>
class MidiOutPortContract : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Impl::Available()) GTEST_SKIP() << Impl::kMissing;
        impl_ = std::make_unique<Impl>();
        ASSERT_NE(impl_->Port(), nullptr);
    }
    MidiOutPort& Port() { return *impl_->Port(); }
    bool Sounding() { return impl_->Sounding(); }

    std::unique_ptr<Impl> impl_;
};

struct PortNames {
    template <typename T>
    static std::string GetName(int)
    {
        return std::is_same_v<T, SynthPort> ? "FluidSynthMidiPort" : "RecordingMidiPort";
    }
};

using Implementations = ::testing::Types<SynthPort, RecordingPort>;
TYPED_TEST_SUITE(MidiOutPortContract, Implementations, PortNames);

constexpr std::uint32_t Pack(std::uint32_t status, std::uint32_t data1, std::uint32_t data2 = 0)
{
    return status | data1 << 8 | data2 << 16;
}

struct ShortCase {
    const char* what;
    std::uint32_t packed;
    bool accepted;
};

const ShortCase kShortCases[] = {
    {"note on", Pack(0x90, 60, 100), true},
    {"note on, channel 16", Pack(0x9F, 72, 1), true},
    {"note off", Pack(0x80, 60, 64), true},
    {"note on at velocity 0", Pack(0x90, 60, 0), true},
    {"note off of a silent note", Pack(0x83, 20), true},
    {"key pressure", Pack(0xA0, 60, 30), true},
    {"volume", Pack(0xB0, 7, 100), true},
    {"program change", Pack(0xC2, 40), true},
    {"channel pressure", Pack(0xD0, 50), true},
    {"pitch bend", Pack(0xE0, 0x00, 0x40), true},
    {"timing clock", Pack(0xF8, 0), true},
    {"a data byte for a status", Pack(0x3C, 100), false},
    {"nothing", 0, false},
    {"system-exclusive start", Pack(0xF0, 0x7E), false},
    {"system-exclusive end", Pack(0xF7, 0), false},
};

TYPED_TEST(MidiOutPortContract, ShortMessagesNeedAStatusByteOfTheirOwn)
{
    for (const auto& c : kShortCases) EXPECT_EQ(this->Port().SendShort(c.packed), c.accepted) << c.what;
}

struct LongCase {
    const char* what;
    std::vector<std::uint8_t> bytes;
};

const LongCase kCompleteSysEx[] = {
    {"General MIDI system on", {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
    {"master volume", {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7}},
    {"one data byte", {0xF0, 0x7D, 0xF7}},
};

const LongCase kBrokenSysEx[] = {
    {"empty", {}},
    {"F0 alone", {0xF0}},
    {"no body", {0xF0, 0xF7}},
    {"no F0", {0x7E, 0x7F, 0x09, 0x01}},
    {"no F7", {0xF0, 0x7E, 0x7F, 0x09, 0x01}},
    {"a status byte in the body", {0xF0, 0x7E, 0x90, 0x3C, 0xF7}},
    {"a short message", {0x90, 0x3C, 0x64}},
};

TYPED_TEST(MidiOutPortContract, OnlyCompleteSystemExclusiveMessagesAreSent)
{
    for (const auto& c : kCompleteSysEx) EXPECT_EQ(this->Port().SendLong(c.bytes.data(), c.bytes.size()), 0) << c.what;
    for (const auto& c : kBrokenSysEx) EXPECT_NE(this->Port().SendLong(c.bytes.data(), c.bytes.size()), 0) << c.what;
    EXPECT_NE(this->Port().SendLong(nullptr, 6), 0);
}

TYPED_TEST(MidiOutPortContract, ResetSilencesEveryNoteAtOnceEvenUnderTheSustainPedal)
{
    EXPECT_FALSE(this->Sounding());
    ASSERT_TRUE(this->Port().SendShort(Pack(0x90, 60, 100)));
    EXPECT_TRUE(this->Sounding());
    ASSERT_TRUE(this->Port().Reset());
    EXPECT_FALSE(this->Sounding());

    ASSERT_TRUE(this->Port().SendShort(Pack(0xB1, 64, 127)));  // sustain pedal down
    ASSERT_TRUE(this->Port().SendShort(Pack(0x91, 64, 100)));
    ASSERT_TRUE(this->Port().SendShort(Pack(0x81, 64)));
    EXPECT_TRUE(this->Sounding()) << "the pedal holds a released note";
    ASSERT_TRUE(this->Port().Reset());
    EXPECT_FALSE(this->Sounding());
    // The port still plays after a reset.
    ASSERT_TRUE(this->Port().SendShort(Pack(0x90, 67, 100)));
    EXPECT_TRUE(this->Sounding());
}

TYPED_TEST(MidiOutPortContract, AfterCloseEverySendFailsAndClosingAgainIsHarmless)
{
    const std::vector<std::uint8_t> gmOn{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    ASSERT_TRUE(this->Port().SendShort(Pack(0x90, 60, 100)));
    EXPECT_TRUE(this->Port().Close());
    EXPECT_FALSE(this->Port().SendShort(Pack(0x90, 60, 100)));
    EXPECT_FALSE(this->Port().SendShort(Pack(0xC0, 5)));
    EXPECT_NE(this->Port().SendLong(gmOn.data(), gmOn.size()), 0);
    EXPECT_FALSE(this->Port().Reset());
    EXPECT_TRUE(this->Port().Close());
}

}  // namespace
}  // namespace harkwell
