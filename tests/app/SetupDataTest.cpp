#include "app/SetupData.h"
#include "app/SetupFile.h"

#include "fakes/FifoTrap.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t Read32(const std::uint8_t* at)
{
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

void Write32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

void WriteDouble(Bytes& bytes, std::size_t at, double value)
{
    std::uint64_t raw = 0;
    std::memcpy(&raw, &value, 8);
    Write32(bytes, at, static_cast<std::uint32_t>(raw));
    Write32(bytes, at + 4, static_cast<std::uint32_t>(raw >> 32));
}

Bytes Serialized(const SetupData& setup)
{
    const auto bytes = setup.Serialize();
    return {bytes.begin(), bytes.end()};
}

TEST(SetupData, DefaultsLieAtTheirOffsets)
{
    const auto bytes = SetupData().Serialize();
    ASSERT_EQ(bytes.size(), 4376u);
    EXPECT_EQ(Read32(&bytes[0]), 0u);
    EXPECT_EQ(Read32(&bytes[1024]), 0u);
    EXPECT_EQ(Read32(&bytes[2048]), 22050u);
    EXPECT_EQ(Read32(&bytes[2052]), 0u);
    EXPECT_EQ(Read32(&bytes[4096]), 1u);
    EXPECT_EQ(Read32(&bytes[4100]), 0u);
    EXPECT_EQ(bytes[4104], 0);
    EXPECT_EQ(Read32(&bytes[4364]), 1u);
    EXPECT_EQ(Read32(&bytes[4368]), 0u);
    EXPECT_EQ(Read32(&bytes[4372]), 0x3FF00000u);  // 1.0
}

TEST(SetupData, RoundTripsEveryField)
{
    SetupData setup;
    setup.separators.InsertSeparator(88200);
    setup.separators.ChangeBaseNote(1, 2);
    setup.separators.timeSignature[1] = 1;
    setup.instrument = 40;
    setup.tunePath = "/home/me/曲/tune.wav";
    setup.includeHarmonics = 0;
    setup.playSpeed = 0.75;
    SetupData read;
    const Bytes bytes = Serialized(setup);
    EXPECT_TRUE(SetupData::Parse(bytes, read));
    EXPECT_EQ(Serialized(read), bytes);
    EXPECT_EQ(read.tunePath, setup.tunePath);
    EXPECT_EQ(read.separators.separatorCount, 2);
    EXPECT_EQ(read.playSpeed, 0.75);
}

TEST(SetupData, FieldsThatCannotBeRightTakeTheirDefaults)
{
    struct Case {
        const char* name;
        std::function<void(Bytes&)> spoil;
        std::function<void(const SetupData&)> check;
    };
    const Case cases[] = {
        {"separator count 0", [](Bytes& b) { Write32(b, 4096, 0); },
         [](const SetupData& s) { EXPECT_EQ(s.separators.separatorCount, 1); }},
        {"separator count 257", [](Bytes& b) { Write32(b, 4096, 257); },
         [](const SetupData& s) { EXPECT_EQ(s.separators.separatorCount, 1); }},
        {"base note 4", [](Bytes& b) { Write32(b, 0, 4); }, [](const SetupData& s) { EXPECT_EQ(s.separators.baseNote[0], 0); }},
        {"time signature -1", [](Bytes& b) { Write32(b, 1024, 0xFFFFFFFF); },
         [](const SetupData& s) { EXPECT_EQ(s.separators.timeSignature[0], 0); }},
        {"base length 0", [](Bytes& b) { Write32(b, 2048, 0); },
         [](const SetupData& s) { EXPECT_EQ(s.separators.baseLength[0], 22050); }},
        {"first start not 0", [](Bytes& b) { Write32(b, 3072, 5); },
         [](const SetupData& s) { EXPECT_EQ(s.separators.start[0], 0); }},
        {"path without terminator", [](Bytes& b) { std::fill(b.begin() + 4104, b.begin() + 4364, 'a'); },
         [](const SetupData& s) { EXPECT_EQ(s.tunePath, ""); }},
        {"speed NaN", [](Bytes& b) { WriteDouble(b, 4368, std::numeric_limits<double>::quiet_NaN()); },
         [](const SetupData& s) { EXPECT_EQ(s.playSpeed, 1.0); }},
        {"speed -2", [](Bytes& b) { WriteDouble(b, 4368, -2.0); }, [](const SetupData& s) { EXPECT_EQ(s.playSpeed, 1.0); }},
        {"speed infinite", [](Bytes& b) { WriteDouble(b, 4368, std::numeric_limits<double>::infinity()); },
         [](const SetupData& s) { EXPECT_EQ(s.playSpeed, 1.0); }},
        {"instrument 200", [](Bytes& b) { Write32(b, 4100, 200); }, [](const SetupData& s) { EXPECT_EQ(s.instrument, 0); }},
        {"harmonics 7", [](Bytes& b) { Write32(b, 4364, 7); }, [](const SetupData& s) { EXPECT_EQ(s.includeHarmonics, 1); }},
    };
    SetupData good;
    good.tunePath = "/music/tune.wav";
    good.playSpeed = 1.5;
    for (const auto& c : cases) {
        Bytes bytes = Serialized(good);
        c.spoil(bytes);
        SetupData read;
        EXPECT_FALSE(SetupData::Parse(bytes, read)) << c.name;
        c.check(read);
    }
}

TEST(SetupFile, StartsFromTheDefaultsAndWritesTheRecordWhenDone)
{
    TempDir dir;
    const std::string path = WorkFilePath(dir.Path().string(), "setup.ini");
    RecordingMessageSink sink;
    {
        SetupData setup;
        setup.playSpeed = 3.0;
        SetupFile file(path, setup, sink);
        EXPECT_EQ(setup.playSpeed, 1.0);
        EXPECT_EQ(setup.separators.separatorCount, 1);
        setup.tunePath = "/music/a.wav";
    }
    EXPECT_TRUE(sink.messages.empty());
    const Bytes written = testing::ReadBytes(path);
    ASSERT_EQ(written.size(), 4376u);

    SetupData again;
    SetupFile file(path, again, sink);
    EXPECT_EQ(again.tunePath, "/music/a.wav");
    EXPECT_TRUE(sink.messages.empty());
}

TEST(SetupFile, AShortFileIsReportedAndFillsOnlyTheStart)
{
    TempDir dir;
    const std::string path = dir.File("setup.ini");
    SetupData original;
    original.separators.baseLength[0] = 30000;
    original.playSpeed = 0.5;
    Bytes bytes = Serialized(original);
    bytes.resize(3000);
    testing::WriteBytes(path, bytes);

    RecordingMessageSink sink;
    SetupData setup;
    SetupFile file(path, setup, sink);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"GENE0100000A data size is too large!"});
    EXPECT_EQ(setup.separators.baseLength[0], 30000);
    EXPECT_EQ(setup.playSpeed, 1.0);
}

TEST(SetupFile, AFifoIsNamedNeverOpenedAndNeverReplaced)
{
    TempDir dir;
    testing::FifoTrap fifo(dir.File("setup.ini"));
    RecordingMessageSink sink;
    {
        SetupData setup;
        SetupFile file(fifo.Path(), setup, sink);
        EXPECT_EQ(setup.playSpeed, 1.0);
    }
    const std::string refused = "GENE01000007 Cant open file! [" + fifo.Path() + ": a FIFO, not a regular file]";
    EXPECT_EQ(sink.Texts(), (std::vector<std::string>{refused, refused}));
    EXPECT_FALSE(fifo.Sprung());
}

TEST(WorkFilePath, AddsOneSeparator)
{
    EXPECT_EQ(WorkFilePath("/", "setup.ini"), "/setup.ini");
    EXPECT_EQ(WorkFilePath("/home/me/work", "setup.ini"), "/home/me/work/setup.ini");
    EXPECT_EQ(WorkFilePath("/home/me/work/", "line.dat"), "/home/me/work/line.dat");
}

}  // namespace
}  // namespace harkwell
