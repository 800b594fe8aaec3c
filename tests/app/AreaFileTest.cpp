#include "app/AreaFile.h"
#include "common/ShiftJis.h"

#include "fakes/FifoTrap.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace harkwell {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::array<const WaveformAreas*, kAreaListCount> Pointers(const AreaLists& lists)
{
    return {&lists[0], &lists[1], &lists[2]};
}

void Put32(Bytes& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutRecord(Bytes& out, std::int32_t start, std::int32_t end, std::uint32_t colour, const std::string& rawName)
{
    Put32(out, static_cast<std::uint32_t>(start));
    Put32(out, static_cast<std::uint32_t>(end));
    Put32(out, colour);
    Bytes name(32, 0);
    std::memcpy(name.data(), rawName.data(), std::min<std::size_t>(rawName.size(), 32));
    out.insert(out.end(), name.begin(), name.end());
}

TEST(AreaFile, WritesCountsAndRecordsAndReadsThemBack)
{
    AreaLists lists;
    EXPECT_TRUE(lists[0].Add(100, 5000, 0x7F7FFF, "Aメロ"));
    EXPECT_TRUE(lists[0].Add(6000, 9000, 0x9F9F9F, ""));
    EXPECT_TRUE(lists[2].Add(0, 300, 0xBFBFFF, "Undefined Name"));
    const Bytes bytes = SerializeAreaLists(Pointers(lists));
    ASSERT_EQ(bytes.size(), 12u + 3u * 44u);
    // List 0's count, then its first record with the name in Shift-JIS.
    EXPECT_EQ(bytes[0], 2);
    EXPECT_EQ(bytes[4], 100);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[16]), 5), "A\x83\x81\x83\x8D");
    EXPECT_EQ(bytes[21], 0);
    EXPECT_EQ(bytes[92], 0) << "list 1 is empty";

    AreaLists read;
    EXPECT_TRUE(ParseAreaLists(bytes, read));
    for (std::size_t list = 0; list < kAreaListCount; ++list) {
        ASSERT_EQ(read[list].size(), lists[list].size());
        for (std::size_t i = 0; i < read[list].size(); ++i) EXPECT_EQ(read[list][i], lists[list][i]);
    }
}

TEST(AreaFile, LongJapaneseNamesKeepEveryCharacterThatFits)
{
    // Fifteen kanji are 30 Shift-JIS bytes: all of them fit the 31-byte field.
    const std::string kanji = "一二三四五六七八九十百千万億兆";
    AreaLists lists;
    EXPECT_TRUE(lists[1].Add(0, 10, 0x9F9F9F, kanji + "円"));
    AreaLists read;
    ASSERT_TRUE(ParseAreaLists(SerializeAreaLists(Pointers(lists)), read));
    ASSERT_EQ(read[1].size(), 1u);
    EXPECT_EQ(read[1][0].name, kanji);
}

TEST(AreaFile, ReadsWhatABrokenFileHoldsAndNoMore)
{
    struct Case {
        const char* name;
        Bytes bytes;
        std::array<std::size_t, 3> sizes;
    };
    Bytes negative;
    Put32(negative, static_cast<std::uint32_t>(-5));
    Put32(negative, 1);
    PutRecord(negative, 1, 2, 3, "ok");
    Put32(negative, 0);

    Bytes truncated;
    Put32(truncated, 2);
    PutRecord(truncated, 1, 2, 3, "first");
    truncated.insert(truncated.end(), 20, 0);

    Bytes tooMany;
    Put32(tooMany, 120);
    for (int i = 0; i < 120; ++i) PutRecord(tooMany, i, i + 1, 0, "");
    Put32(tooMany, 1);
    PutRecord(tooMany, 7, 8, 0, "");
    Put32(tooMany, 0);

    Bytes backwards;
    Put32(backwards, 2);
    PutRecord(backwards, 50, 10, 0, "");
    PutRecord(backwards, -3, 10, 0, "");
    Put32(backwards, 0);
    Put32(backwards, 0);

    Bytes hugeCount;
    Put32(hugeCount, 0x7FFFFFFF);
    PutRecord(hugeCount, 1, 2, 3, "");

    const Case cases[] = {
        {"empty", {}, {0, 0, 0}},
        {"negative count", negative, {0, 1, 0}},
        {"truncated record", truncated, {1, 0, 0}},
        {"more than a list holds", tooMany, {100, 1, 0}},
        {"areas ending before they start", backwards, {0, 0, 0}},
        {"count past the end", hugeCount, {1, 0, 0}},
    };
    for (const auto& c : cases) {
        AreaLists lists;
        EXPECT_FALSE(ParseAreaLists(c.bytes, lists)) << c.name;
        for (std::size_t list = 0; list < kAreaListCount; ++list) EXPECT_EQ(lists[list].size(), c.sizes[list]) << c.name;
    }

    // A name field without a terminator is cut to 31 bytes.
    Bytes unterminated;
    Put32(unterminated, 1);
    PutRecord(unterminated, 1, 2, 3, std::string(32, 'n'));
    Put32(unterminated, 0);
    Put32(unterminated, 0);
    AreaLists lists;
    EXPECT_FALSE(ParseAreaLists(unterminated, lists)) << "the name was cut";
    ASSERT_EQ(lists[0].size(), 1u);
    EXPECT_EQ(lists[0][0].name, std::string(31, 'n'));
}

TEST(AreaFile, MissingFileGivesEmptyListsAndSavingWritesTwelveBytesForThem)
{
    testing::TempDir dir;
    testing::RecordingMessageSink sink;
    const AreaLists lists = LoadAreaFile(sink, dir.File("line.dat"));
    for (const auto& list : lists) EXPECT_EQ(list.size(), 0u);
    EXPECT_TRUE(SaveAreaFile(sink, dir.File("line.dat"), Pointers(lists)));
    EXPECT_EQ(testing::ReadBytes(dir.File("line.dat")), Bytes(12, 0));
    EXPECT_TRUE(sink.messages.empty());
}

TEST(AreaFile, AFifoIsNamedAndNeverOpened)
{
    testing::TempDir dir;
    testing::FifoTrap fifo(dir.File("line.dat"));
    testing::RecordingMessageSink sink;
    const AreaLists lists = LoadAreaFile(sink, fifo.Path());
    for (const auto& list : lists) EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(sink.Texts(), (std::vector<std::string>{
                                fifo.Path(), "GENE01000007 Cant open file! [" + fifo.Path() + ": a FIFO, not a regular file]"}));
    EXPECT_FALSE(fifo.Sprung());
}

}  // namespace
}  // namespace harkwell
