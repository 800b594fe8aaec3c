#include "audio/WaveData.h"

#include "fakes/FifoTrap.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingTuneDecoder.h"
#include "fakes/TempDir.h"
#include "fakes/WavBuilder.h"

#include <gtest/gtest.h>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using testing::RecordingTuneDecoder;
using testing::TempDir;
using testing::WavBuilder;
using Bytes = WavBuilder::Bytes;

Bytes FormatWithTag(std::uint16_t tag, std::uint16_t channels, std::uint16_t bits, std::size_t size = 16)
{
    Bytes body = WavBuilder::FormatBody(channels, 48000, bits, size);
    body[0] = static_cast<std::uint8_t>(tag);
    body[1] = static_cast<std::uint8_t>(tag >> 8);
    return body;
}

Bytes Wave(const Bytes& format) { return WavBuilder().Riff().Chunk("fmt ", format).Chunk("data", {0, 0, 0, 0, 0, 0}).Build(); }

// The WAV reader keeps every file it reads today, and its refusals of broken
// ones; only samples it cannot hold, and other files, go to the decoder.
TEST(TuneFileKind, TheWaveReaderKeepsItsFilesAndTheDecoderTakesTheRest)
{
    const Bytes text = {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't'};
    Bytes rf64 = Wave(FormatWithTag(1, 2, 24));
    std::copy_n("RF64", 4, rf64.begin());
    const struct {
        const char* name;
        Bytes bytes;
        bool decoded;
    } cases[] = {
        {"16-bit stereo PCM", Wave(FormatWithTag(1, 2, 16)), false},
        {"8-bit mono PCM", Wave(FormatWithTag(1, 1, 8)), false},
        {"PCM with a long format chunk", Wave(FormatWithTag(1, 2, 16, 18)), false},
        {"PCM after an optional chunk", WavBuilder().Riff().Chunk("PAD ", {0, 0}).Chunk("fmt ", FormatWithTag(1, 1, 16)).Chunk("data", {0, 0}).Build(), false},
        {"PCM whose block size is wrong: refused by the reader", Wave(WavBuilder::FormatBody(1, 8000, 16, 16, 4)), false},
        {"no format chunk: refused by the reader", WavBuilder().Riff().Chunk("data", {0, 0}).Build(), false},
        {"a format chunk too short: refused by the reader", Wave(FormatWithTag(1, 1, 16, 14)), false},
        {"a RIFF header cut short", {'R', 'I', 'F', 'F', 0, 0}, false},
        {"24-bit PCM", Wave(FormatWithTag(1, 2, 24)), true},
        {"32-bit PCM", Wave(FormatWithTag(1, 1, 32)), true},
        {"float", Wave(FormatWithTag(3, 2, 32)), true},
        {"EXTENSIBLE, even of 16 bits", Wave(FormatWithTag(0xFFFE, 2, 16, 40)), true},
        {"three channels", Wave(FormatWithTag(1, 3, 16)), true},
        {"mu-law, 8 bits", Wave(FormatWithTag(7, 1, 8)), true},
        {"24-bit after an unknown chunk", WavBuilder().Riff().Chunk("LIST", {1, 2}).Chunk("fmt ", FormatWithTag(1, 2, 24)).Chunk("data", {}).Build(), true},
        {"RF64", rf64, true},
        {"RIFF of another kind", WavBuilder().Riff("RIFF", "AVI ").Chunk("LIST", {0, 0}).Build(), true},
        {"not RIFF at all", text, true},
        {"empty", {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("tune.wav");
        testing::WriteBytes(path, c.bytes);
        RecordingTuneDecoder decoder;
        RecordingMessageSink sink;
        const auto tune = WaveData::LoadMono(path, sink, decoder);
        EXPECT_EQ(decoder.paths, c.decoded ? std::vector<std::string>{path} : std::vector<std::string>{});
        if (c.decoded) {
            ASSERT_TRUE(tune);
            EXPECT_TRUE(sink.messages.empty());
        }
    }
}

TEST(TuneFileKind, ADecodedTuneLooksLikeAPlainMonoWave)
{
    TempDir dir;
    const std::string path = dir.File("tune.flac");
    testing::WriteBytes(path, {'f', 'L', 'a', 'C'});
    RecordingTuneDecoder decoder;
    decoder.frames = 5;
    RecordingMessageSink sink;
    const auto tune = WaveData::LoadMono(path, sink, decoder);
    ASSERT_TRUE(tune);
    EXPECT_EQ(tune->Format(), (WaveFormat{kWaveFormatPcm, 1, 48000, 96000, 2, 16}));
    EXPECT_EQ(tune->Frames(), 5u);
    EXPECT_EQ(tune->Header().dataSize, 10u);
    EXPECT_EQ(tune->Header().fmtSize, 16u);
    EXPECT_EQ(tune->Source().codec, "fake");
    EXPECT_EQ(tune->Source().channels, 6u);
    EXPECT_EQ(tune->Source().sampleRate, 96000u);
}

TEST(TuneFileKind, WhatIsNotARegularFileStaysWithTheWaveReaderAndIsNeverOpened)
{
    TempDir dir;
    testing::FifoTrap fifo(dir.File("fifo.mp3"));
    RecordingTuneDecoder decoder;
    RecordingMessageSink sink;
    for (const std::string& path : {fifo.Path(), dir.File("missing.mp3"), dir.Path().string()}) {
        SCOPED_TRACE(path);
        sink.messages.clear();
        EXPECT_FALSE(WaveData::LoadMono(path, sink, decoder));
        EXPECT_EQ(sink.messages.size(), 1u);
    }
    EXPECT_TRUE(decoder.paths.empty());
    EXPECT_FALSE(fifo.Sprung());
}

}  // namespace
}  // namespace harkwell
