#include "audio/WaveData.h"

#include "fakes/FifoTrap.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/TempDir.h"
#include "fakes/WavBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using testing::TempDir;
using testing::WavBuilder;
using Bytes = WavBuilder::Bytes;
using Texts = std::vector<std::string>;

std::string Refused(const std::string& id) { return "file is different format [" + id + "]"; }

class WaveDataTest : public ::testing::Test {
protected:
    std::optional<WaveData> Load(const Bytes& bytes)
    {
        testing::WriteBytes(path_, bytes);
        return WaveData::Load(path_, sink_);
    }

    static std::vector<std::int16_t> Samples16(const WaveData& wave)
    {
        std::vector<std::int16_t> samples(wave.Length() / 2);
        std::memcpy(samples.data(), wave.Samples().data(), samples.size() * 2);
        return samples;
    }

    TempDir dir_;
    std::string path_ = dir_.File("tune.wav");
    RecordingMessageSink sink_;
};

const Bytes kFourFrames = WavBuilder::Samples16({-3, 0, 5, 6, 100, -100, -32768, -32768});

TEST_F(WaveDataTest, LoadsAStereoTuneAndMixesItToMono)
{
    auto wave = Load(WavBuilder().Riff().Format(2, 44100, 16).Chunk("data", kFourFrames).Build());
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->Header().fmtSize, 16u);
    EXPECT_EQ(wave->Header().dataSize, 16u);
    EXPECT_EQ(wave->Format(), (WaveFormat{1, 2, 44100, 176400, 4, 16}));
    EXPECT_EQ(wave->Frames(), 4u);

    wave->MixToMono();
    EXPECT_EQ(wave->Format(), (WaveFormat{1, 1, 44100, 88200, 2, 16}));
    EXPECT_EQ(wave->Length(), 8u);
    EXPECT_EQ(wave->Frames(), 4u);
    EXPECT_EQ(wave->Header().dataSize, 16u) << "the header keeps the file's data size";
    EXPECT_EQ(Samples16(*wave), (std::vector<std::int16_t>{-1, 5, 0, -32768}));
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(WaveDataTest, MixesEightBitSamplesAroundTheMiddle)
{
    const Bytes samples = {0x00, 0xFF, 0x80, 0x80, 0xFF, 0xFF, 0x00, 0x01, 0x7F, 0x80};
    auto wave = Load(WavBuilder().Riff().Format(2, 8000, 8).Chunk("data", samples).Build());
    ASSERT_TRUE(wave);
    wave->MixToMono();
    EXPECT_EQ(wave->Format().blockAlign, 1u);
    EXPECT_EQ(wave->Format().avgBytesPerSec, 8000u);
    const Bytes mixed(wave->Samples().begin(), wave->Samples().end());
    // 0x00, 0x01 is -128 and -127: -127.5 truncates to -127. 0x7F, 0x80: -0.5 truncates to 0.
    EXPECT_EQ(mixed, (Bytes{0x80, 0x80, 0xFF, 0x01, 0x80}));
}

TEST_F(WaveDataTest, LeavesMonoAlone)
{
    auto wave = Load(WavBuilder().Riff().Format(1, 22050, 16).Chunk("data", kFourFrames).Build());
    ASSERT_TRUE(wave);
    wave->MixToMono();
    EXPECT_EQ(wave->Format(), (WaveFormat{1, 1, 22050, 44100, 2, 16}));
    EXPECT_EQ(wave->Frames(), 8u);
    EXPECT_EQ(Bytes(wave->Samples().begin(), wave->Samples().end()), kFourFrames);
}

TEST_F(WaveDataTest, MixesALongBlockLikeOneFrameAtATime)
{
    // Long enough for the mix to work in runs of many sizes; odd length leaves a stray sample.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::vector<std::int16_t> stereo(2 * 200003 + 1);
    for (auto& s : stereo) s = static_cast<std::int16_t>(sample(random));
    WaveFormat format{1, 2, 44100, 176400, 4, 16};
    WaveData wave(format, reinterpret_cast<const std::uint8_t*>(stereo.data()), 200003);
    wave.MixToMono();
    const auto mono = Samples16(wave);
    ASSERT_EQ(mono.size(), 200003u);
    for (std::size_t i = 0; i < mono.size(); ++i)
        ASSERT_EQ(mono[i], (stereo[2 * i] + stereo[2 * i + 1]) / 2) << "frame " << i;
}

TEST_F(WaveDataTest, LoadMonoGivesWhatLoadAndMixToMonoGive)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    const struct {
        std::uint16_t channels, bits;
        std::size_t bytes;  // several read blocks, a partial frame at the end
    } cases[] = {{2, 16, 4 * 150001 + 3}, {2, 8, 2 * 150001 + 1}, {1, 16, 2 * 1000}, {2, 16, 0}};
    for (const auto& c : cases) {
        Bytes data(c.bytes);
        for (auto& b : data) b = static_cast<std::uint8_t>(byte(random));
        testing::WriteBytes(path_, WavBuilder().Riff().Format(c.channels, 44100, c.bits).Chunk("data", data).Build());
        auto mixed = WaveData::Load(path_, sink_);
        ASSERT_TRUE(mixed);
        mixed->MixToMono();
        const auto mono = WaveData::LoadMono(path_, sink_);
        ASSERT_TRUE(mono);
        EXPECT_TRUE(std::equal(mono->Samples().begin(), mono->Samples().end(), mixed->Samples().begin(),
                               mixed->Samples().end()))
            << c.channels << " " << c.bits;
        EXPECT_EQ(mono->Format(), mixed->Format());
        EXPECT_EQ(mono->Header().dataSize, mixed->Header().dataSize);
    }
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(WaveDataTest, FollowsTheChunkOrderRules)
{
    const Bytes fmt = WavBuilder::FormatBody(1, 44100, 16);
    const Bytes two = {1, 2};
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, Bytes>> chunks;
        bool loads;
        Texts messages;
    };
    const Case cases[] = {
        {"plain", {{"fmt ", fmt}, {"data", two}}, true, {}},
        {"JUNK before fmt", {{"JUNK", two}, {"fmt ", fmt}, {"data", two}}, false, {Refused("fmt ")}},
        {"LIST before fmt", {{"LIST", two}, {"fmt ", fmt}, {"data", two}}, false, {Refused("fmt ")}},
        {"PAD then bext", {{"PAD ", two}, {"bext", two}, {"fmt ", fmt}, {"data", two}}, true, {}},
        {"bext then PAD", {{"bext", two}, {"PAD ", two}, {"fmt ", fmt}, {"data", two}}, false, {Refused("fmt ")}},
        {"all four in order",
         {{"PAD ", two}, {"bext", two}, {"minf", two}, {"elm1", two}, {"fmt ", fmt}, {"data", two}}, true, {}},
        {"vphd before fmt", {{"vphd", two}, {"fmt ", fmt}, {"data", two}}, false, {Refused("fmt ")}},
        {"LIST between", {{"fmt ", fmt}, {"LIST", two}, {"data", two}}, true, {Refused("LIST")}},
        {"two unknown between", {{"fmt ", fmt}, {"LIST", two}, {"cue ", two}, {"data", two}}, true,
         {Refused("LIST"), Refused("cue ")}},
        {"fact of 4", {{"fmt ", fmt}, {"fact", {1, 2, 3, 4}}, {"data", two}}, true, {}},
        {"fact of 8", {{"fmt ", fmt}, {"fact", Bytes(8)}, {"data", two}}, false, {Refused("fact")}},
        {"optional after fmt",
         {{"fmt ", fmt}, {"fact", Bytes(4)}, {"PAD ", two}, {"bext", two}, {"minf", two}, {"elm1", two}, {"vphd", two},
          {"data", two}},
         true, {}},
        {"optional out of order after fmt", {{"fmt ", fmt}, {"vphd", two}, {"PAD ", two}, {"data", two}}, true,
         {Refused("PAD ")}},
        {"odd chunk, no pad", {{"fmt ", fmt}, {"LIST", {9, 9, 9}}, {"data", two}}, true, {Refused("LIST")}},
        {"18-byte fmt", {{"fmt ", WavBuilder::FormatBody(1, 44100, 16, 18)}, {"data", two}}, true, {}},
        {"40-byte fmt", {{"fmt ", WavBuilder::FormatBody(1, 44100, 16, 40)}, {"data", two}}, true, {}},
        {"14-byte fmt", {{"fmt ", WavBuilder::FormatBody(1, 44100, 16, 14)}, {"data", two}}, false, {Refused("fmt ")}},
        {"chunks after data", {{"fmt ", fmt}, {"data", two}, {"LIST", two}, {"JUNK", Bytes(3)}}, true, {}},
        {"unprintable id", {{"fmt ", fmt}, {std::string("\x01" "ab\xFF", 4), two}, {"data", two}}, true,
         {Refused("?ab?")}},
    };
    for (const auto& c : cases) {
        WavBuilder builder;
        builder.Riff();
        for (const auto& [id, body] : c.chunks) builder.Chunk(id, body);
        RecordingMessageSink sink;
        testing::WriteBytes(path_, builder.Build());
        auto wave = WaveData::Load(path_, sink);
        EXPECT_EQ(wave.has_value(), c.loads) << c.name;
        EXPECT_EQ(sink.Texts(), c.messages) << c.name;
        for (const auto& message : sink.messages) EXPECT_EQ(message.kind, MessageKind::Plain);
        if (wave) {
            EXPECT_EQ(Bytes(wave->Samples().begin(), wave->Samples().end()), two) << c.name;
            EXPECT_EQ(wave->Format().samplesPerSec, 44100u) << c.name;
        }
    }
}

TEST_F(WaveDataTest, RefusesBrokenFilesWithoutReadingPastTheirEnd)
{
    const Bytes good = WavBuilder()
                           .Riff()
                           .Format(1, 44100, 16)
                           .Chunk("LIST", {1, 2, 3, 4})
                           .Chunk("data", WavBuilder::Samples16({1, 2, 3, 4}))
                           .Build();
    // Layout: RIFF header 0..12, fmt 12..36, LIST 36..48, data header 48..56, samples 56..64.
    ASSERT_EQ(good.size(), 64u);
    struct Cut {
        std::size_t size;
        Texts messages;
    };
    const Cut cuts[] = {
        {0, {Refused("RIFF")}},         {3, {Refused("RIFF")}},
        {4, {Refused("WAVE")}},         {11, {Refused("WAVE")}},
        {12, {Refused("fmt ")}},        {19, {Refused("fmt ")}},
        {20, {Refused("fmt ")}},        {35, {Refused("fmt ")}},
        {36, {Refused("data")}},        {43, {Refused("data")}},
        {44, {Refused("LIST")}},        {47, {Refused("LIST")}},
        {48, {Refused("LIST"), Refused("data")}}, {56, {Refused("LIST"), Refused("data")}},
        {63, {Refused("LIST"), Refused("data")}},
    };
    for (const auto& cut : cuts) {
        RecordingMessageSink sink;
        testing::WriteBytes(path_, Bytes(good.begin(), good.begin() + static_cast<long>(cut.size)));
        EXPECT_FALSE(WaveData::Load(path_, sink)) << "cut at " << cut.size;
        EXPECT_EQ(sink.Texts(), cut.messages) << "cut at " << cut.size;
    }
    // Every other cut is refused too, with a message.
    for (std::size_t size = 0; size < good.size(); ++size) {
        RecordingMessageSink sink;
        testing::WriteBytes(path_, Bytes(good.begin(), good.begin() + static_cast<long>(size)));
        EXPECT_FALSE(WaveData::Load(path_, sink)) << "cut at " << size;
        EXPECT_FALSE(sink.messages.empty()) << "cut at " << size;
    }
    EXPECT_TRUE(Load(good));
}

TEST_F(WaveDataTest, RefusesFormatsNoStageCanUse)
{
    const Bytes two = {0, 0, 0, 0};
    struct Case {
        Bytes fmt;
        std::string message;
    };
    const Case cases[] = {
        {WavBuilder::FormatBody(0, 44100, 16), "channel count is not supported [0]"},
        {WavBuilder::FormatBody(6, 44100, 16), "channel count is not supported [6]"},
        {WavBuilder::FormatBody(2, 44100, 24), "sample width is not supported [24 bits]"},
        {WavBuilder::FormatBody(1, 44100, 0), "sample width is not supported [0 bits]"},
        {WavBuilder::FormatBody(2, 44100, 16, 16, 2), "block size does not fit the format [2]"},
        {WavBuilder::FormatBody(1, 0, 16), "sample rate is zero [0 Hz]"},
    };
    for (const auto& c : cases) {
        RecordingMessageSink sink;
        testing::WriteBytes(path_, WavBuilder().Riff().Chunk("fmt ", c.fmt).Chunk("data", two).Build());
        EXPECT_FALSE(WaveData::Load(path_, sink)) << c.message;
        EXPECT_EQ(sink.Texts(), Texts{c.message});
    }
}

TEST_F(WaveDataTest, RefusesWrongHeadersDataPastTheEndAndMissingFiles)
{
    const Bytes fmt = WavBuilder::FormatBody(1, 44100, 16);
    struct Case {
        const char* name;
        Bytes file;
        Texts messages;
    };
    const Case cases[] = {
        {"RIFX", WavBuilder().Riff("RIFX").Format(1, 44100, 16).Chunk("data", Bytes(4)).Build(), {Refused("RIFF")}},
        {"AVI ", WavBuilder().Riff("RIFF", "AVI ").Format(1, 44100, 16).Chunk("data", Bytes(4)).Build(),
         {Refused("WAVE")}},
        {"data larger than file", WavBuilder().Riff().Chunk("fmt ", fmt).Chunk("data", Bytes(4), 4000).Build(),
         {Refused("data")}},
        {"data size 0xFFFFFFFF", WavBuilder().Riff().Chunk("fmt ", fmt).Chunk("data", Bytes(4), 0xFFFFFFFF).Build(),
         {Refused("data")}},
        {"fmt larger than file", WavBuilder().Riff().Chunk("fmt ", fmt, 0xFFFFFFF0).Build(), {Refused("fmt ")}},
        {"skipped chunk past the end",
         WavBuilder().Riff().Chunk("PAD ", Bytes(2), 0xFFFFFFFF).Chunk("fmt ", fmt).Build(), {Refused("PAD ")}},
        {"no data chunk", WavBuilder().Riff().Chunk("fmt ", fmt).Build(), {Refused("data")}},
    };
    for (const auto& c : cases) {
        RecordingMessageSink sink;
        testing::WriteBytes(path_, c.file);
        EXPECT_FALSE(WaveData::Load(path_, sink)) << c.name;
        EXPECT_EQ(sink.Texts(), c.messages) << c.name;
    }

    for (const std::string& path : {dir_.File("none.wav"), dir_.Path().string()}) {
        RecordingMessageSink sink;
        EXPECT_FALSE(WaveData::Load(path, sink));
        EXPECT_EQ(sink.Texts(), Texts{"file is not found"});
    }

    // A FIFO is named and never opened, so the load cannot block on it.
    testing::FifoTrap fifo(dir_.File("fifo.wav"));
    RecordingMessageSink fifoSink;
    EXPECT_FALSE(WaveData::Load(fifo.Path(), fifoSink));
    EXPECT_EQ(fifoSink.Texts(), Texts{"file can not open [" + fifo.Path() + ": a FIFO, not a regular file]"});
    EXPECT_FALSE(fifo.Sprung());
}

TEST_F(WaveDataTest, LoadsAnEmptyDataChunk)
{
    auto wave = Load(WavBuilder().Riff().Format(2, 44100, 16).Chunk("data", {}).Build());
    ASSERT_TRUE(wave);
    wave->MixToMono();
    EXPECT_EQ(wave->Frames(), 0u);
    EXPECT_EQ(wave->Length(), 0u);
}

TEST(WaveDataFromSamples, CopiesTheFramesInTheGivenFormat)
{
    const std::int16_t samples[] = {1, -1, 2, -2, 3, -3};
    const WaveFormat format{1, 2, 48000, 192000, 4, 16};
    WaveData wave(format, reinterpret_cast<const std::uint8_t*>(samples), 2);
    EXPECT_EQ(wave.Format(), format);
    EXPECT_EQ(wave.Length(), 8u);
    EXPECT_EQ(wave.Frames(), 2u);
    std::uint8_t copy[8] = {};
    EXPECT_EQ(wave.CopySamples(copy), 8u);
    EXPECT_EQ(std::memcmp(copy, samples, 8), 0);
}

TEST(WaveReporters, ShowTheReaderTexts)
{
    const std::pair<int, const char*> fileCases[] = {
        {0, "file is not found"}, {1, "file is different format"}, {2, "file can not open"}, {3, ""}, {-1, ""}};
    for (const auto& [code, text] : fileCases) {
        RecordingMessageSink sink;
        ReportFileError(sink, static_cast<WaveFileError>(code));
        EXPECT_EQ(sink.Texts(), Texts{text}) << code;
    }
    RecordingMessageSink sink;
    ReportFormatError(sink, WaveFileError::DifferentFormat, "LIST");
    ReportFormatError(sink, WaveFileError::CannotOpen, "LIST");
    EXPECT_EQ(sink.Texts(), (Texts{"file is different format [LIST]", " [LIST]"}));
}

}  // namespace
}  // namespace harkwell
