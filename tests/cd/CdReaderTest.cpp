#include "cd/CdReader.h"

#include "fakes/SimulatedCdDrive.h"

#include <gtest/gtest.h>

#include <cstring>

namespace harkwell {
namespace {

using testing::SimulatedCdDrive;
using testing::SimulatedDisc;
using Read = SimulatedCdDrive::Read;
using ModeSelect = SimulatedCdDrive::ModeSelect;

// A started reader over one simulated drive with a disc of two audio tracks.
class CdReaderTest : public ::testing::Test {
protected:
    CdReaderTest() : drive_(SimulatedDisc({{200, true}, {100, true}})) {}
    ~CdReaderTest() override
    {
        if (started_) reader_.Stop();
    }

    int Open()
    {
        started_ = reader_.Start();
        const auto address = reader_.FindDrive(0);
        if (!address) return 0;
        CdOpenRequest request;
        request.address = *address;
        const auto bytes = request.Bytes();
        return reader_.OpenCD(bytes);
    }

    std::vector<std::uint8_t> Disc(std::uint32_t lba, std::uint32_t frames) const
    {
        const auto& bytes = drive_.disc->Bytes();
        return {bytes.begin() + lba * kFrameBytes, bytes.begin() + (lba + frames) * kFrameBytes};
    }

    static std::vector<std::uint8_t> Valid(const TrackBuffer& buffer)
    {
        return {buffer.Valid(), buffer.Valid() + buffer.length};
    }

    CdResult ReadAt(int handle, TrackBuffer& buffer, std::uint32_t lba, std::uint32_t frames)
    {
        buffer.startFrame = lba;
        buffer.frameCount = frames;
        return reader_.ReadAudio(handle, buffer);
    }

    SimulatedCdDrive drive_;
    CdReader reader_{drive_};
    bool started_ = false;
};

TEST_F(CdReaderTest, OpensADriveOnceAndCloses)
{
    const int handle = Open();
    EXPECT_EQ(handle, 1);
    const auto bytes = CdOpenRequest{{1, 2, 0}}.Bytes();
    EXPECT_EQ(reader_.OpenCD(bytes), 0) << "the same drive twice";
    EXPECT_EQ(reader_.CloseCD(handle), 1);
    EXPECT_EQ(reader_.CloseCD(handle), 0) << "an idle handle";
    EXPECT_EQ(reader_.CloseCD(17), 0);
    // Handles go round: the next open takes the slot after the last one given.
    EXPECT_EQ(reader_.OpenCD(bytes), 2);

    const auto other = CdOpenRequest{{1, 3, 0}}.Bytes();
    EXPECT_EQ(reader_.OpenCD(other), 0) << "no drive at that address";
    auto wrongVersion = bytes;
    wrongVersion[1] = 2;
    EXPECT_EQ(reader_.OpenCD(wrongVersion), 0);
    EXPECT_EQ(reader_.OpenCD(std::span(bytes).first(11)), 0);
}

TEST_F(CdReaderTest, MachineWithoutDrivesFindsNone)
{
    drive_.present = false;
    EXPECT_FALSE(reader_.Start());
    EXPECT_FALSE(reader_.FindDrive(0));
    reader_.Stop();
}

struct MethodCase {
    const char* name;
    std::set<Read> reads;
    std::set<ModeSelect> modeSelects;
    std::set<Read> ignored;
    int method;
    std::uint32_t blockLengthAfterClose;
};

class MethodChoice : public CdReaderTest, public ::testing::WithParamInterface<MethodCase> {};

TEST_P(MethodChoice, KeepsTheFirstMethodThatReadsAndPutsTheDriveBack)
{
    const MethodCase& c = GetParam();
    drive_.reads = c.reads;
    drive_.modeSelects = c.modeSelects;
    drive_.ignoredReads = c.ignored;
    const int handle = Open();
    TrackBuffer buffer(30);
    ASSERT_EQ(ReadAt(handle, buffer, 10, 27), CdResult::Ok);
    EXPECT_EQ(Valid(buffer), Disc(10, 27));
    EXPECT_EQ(reader_.Method(handle), c.method);
    // The method stays: the next read is one command.
    const std::size_t before = drive_.ReadRequests().size();
    ASSERT_EQ(ReadAt(handle, buffer, 40, 5), CdResult::Ok);
    EXPECT_EQ(drive_.ReadRequests().size(), before + 1);
    EXPECT_EQ(reader_.CloseCD(handle), 1);
    EXPECT_EQ(drive_.BlockLength(), c.blockLengthAfterClose);
}

INSTANTIATE_TEST_SUITE_P(
    Drives, MethodChoice,
    ::testing::Values(MethodCase{"ReadCdWholeSector", {Read::CdAll}, {}, {}, 2, 2048},
                      MethodCase{"ReadCdUserData", {Read::CdUserData}, {}, {}, 1, 2048},
                      MethodCase{"Read10AfterPages", {Read::Read10}, {ModeSelect::Pages, ModeSelect::Short}, {}, 8, 2048},
                      MethodCase{"Read10AfterShortModeSelect", {Read::Read10}, {ModeSelect::Short}, {}, 4, 2048},
                      MethodCase{"VendorD8", {Read::VendorD8}, {}, {}, 5, 2048},
                      // A drive that says it read but wrote nothing is passed over.
                      MethodCase{"IgnoredReadCd", {Read::CdAll, Read::VendorD4}, {}, {Read::CdAll}, 6, 2048}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(CdReaderTest, Method8SendsBothPagesAndRestoresOnClose)
{
    drive_.reads = {Read::Read10};
    drive_.modeSelects = {ModeSelect::Pages, ModeSelect::Short};
    const int handle = Open();
    TrackBuffer buffer(30);
    ASSERT_EQ(ReadAt(handle, buffer, 0, 3), CdResult::Ok);
    ASSERT_EQ(reader_.Method(handle), 8);
    EXPECT_EQ(drive_.BlockLength(), 2352u);
    EXPECT_EQ(reader_.CloseCD(handle), 1);

    std::vector<SimulatedCdDrive::Command> modeSelects;
    for (const auto& command : drive_.Commands())
        if (command.cdb[0] == 0x15) modeSelects.push_back(command);
    ASSERT_EQ(modeSelects.size(), 3u);
    const std::vector<std::uint8_t> pageCdb = {0x15, 0x10, 0, 0, 0x14, 0};
    EXPECT_EQ(modeSelects[0].cdb, pageCdb);
    EXPECT_EQ(modeSelects[0].sent,
              (std::vector<std::uint8_t>{0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x09, 0x30, 0x23, 6, 0, 0, 0, 0, 0, 0x80}));
    EXPECT_EQ(modeSelects[1].sent,
              (std::vector<std::uint8_t>{0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x09, 0x30, 1, 6, 0x20, 7, 0, 0, 0, 0}));
    EXPECT_EQ(modeSelects[2].cdb, (std::vector<std::uint8_t>{0x15, 0, 0, 0, 0x0C, 0}));
    EXPECT_EQ(modeSelects[2].sent, (std::vector<std::uint8_t>{0, 0, 0, 8, 0x53, 0, 0, 0, 0, 0, 8, 0}));
    for (const auto& command : modeSelects) EXPECT_EQ(command.direction, ScsiDirection::ToDevice);
}

TEST_F(CdReaderTest, ReadCommandsCarryTheBlockAddressAndCount)
{
    const int handle = Open();
    TrackBuffer buffer(30);
    ASSERT_EQ(ReadAt(handle, buffer, 0x012345 % 300, 7), CdResult::Ok);
    const auto commands = drive_.Commands();
    const auto& read = commands.back().cdb;
    const std::uint32_t lba = 0x012345 % 300;
    EXPECT_EQ(read, (std::vector<std::uint8_t>{0xBE, 0, 0, static_cast<std::uint8_t>(lba >> 16),
                                               static_cast<std::uint8_t>(lba >> 8), static_cast<std::uint8_t>(lba), 0,
                                               0, 7, 0xF0, 0, 0}));
    EXPECT_EQ(commands.back().direction, ScsiDirection::FromDevice);
}

TEST_F(CdReaderTest, FailsWhenNoMethodReadsAndTriesAgainNextTime)
{
    drive_.reads = {};
    drive_.modeSelects = {ModeSelect::Short, ModeSelect::Pages, ModeSelect::Vendor};
    const int handle = Open();
    TrackBuffer buffer(30);
    EXPECT_EQ(ReadAt(handle, buffer, 0, 27), CdResult::Failed);
    EXPECT_EQ(reader_.Method(handle), 0);
    // Three test reads for each of the seven methods.
    EXPECT_EQ(drive_.ReadRequests().size(), 7u * 3u);
    drive_.reads = {Read::CdUserData};
    EXPECT_EQ(ReadAt(handle, buffer, 0, 27), CdResult::Ok);
    EXPECT_EQ(reader_.Method(handle), 1);
}

TEST_F(CdReaderTest, RefusesReadsThatDoNotFitOrComeOnABadHandle)
{
    const int handle = Open();
    TrackBuffer small(3);
    EXPECT_EQ(ReadAt(handle, small, 0, 4), CdResult::Failed);
    EXPECT_EQ(ReadAt(handle + 1, small, 0, 3), CdResult::Failed);
    drive_.mediaErrors = {12};
    EXPECT_EQ(ReadAt(handle, small, 10, 3), CdResult::Failed);
    EXPECT_EQ(ReadAt(handle, small, 13, 3), CdResult::Ok);
}

TEST_F(CdReaderTest, ReadsTheTableOfContents)
{
    const int handle = Open();
    TocArea toc{};
    ASSERT_EQ(reader_.ReadTOC(handle, toc), CdResult::Ok);
    EXPECT_EQ(toc[2], 1);
    EXPECT_EQ(toc[3], 2);
    EXPECT_EQ(BigEndian32(&toc[4 + 8 + 4]), 200u);
    EXPECT_EQ(toc[4 + 16 + 2], 0xAA);
    EXPECT_EQ(BigEndian32(&toc[4 + 16 + 4]), 300u);
    EXPECT_EQ(drive_.Commands().back().cdb, (std::vector<std::uint8_t>{0x43, 0, 0, 0, 0, 0, 0, 0x03, 0x24, 0}));

    drive_.disc.reset();
    EXPECT_EQ(reader_.ReadTOC(handle, toc), CdResult::Failed);
}

TEST_F(CdReaderTest, SetsOnlyKnownParameters)
{
    const int handle = Open();
    EXPECT_EQ(reader_.SetParameter(handle, kParameterMsf, 0), 1);
    EXPECT_EQ(reader_.SetParameter(handle, kParameterRereadDistance, 4), 1);
    EXPECT_EQ(reader_.SetParameter(handle, kParameterOverlapCompare, 2), 1);
    EXPECT_EQ(reader_.SetParameter(handle, kParameterOverlapCompare, -1), 0);
    EXPECT_EQ(reader_.SetParameter(handle, 39, 0), 0);
    EXPECT_EQ(reader_.SetParameter(handle + 1, kParameterMsf, 0), 0);
}

// Aligned reads: the overlap kept from the read before finds where the new data begins.
class AlignedReadTest : public CdReaderTest {
protected:
    void SetUp() override
    {
        handle_ = Open();
        TocArea toc{};
        ASSERT_EQ(reader_.ReadTOC(handle_, toc), CdResult::Ok);
        // The first piece is read where it is asked for and leaves its last frame as the overlap.
        buffer_.startFrame = 0;
        buffer_.frameCount = 27;
        ASSERT_EQ(reader_.ReadAudioAligned(handle_, buffer_, overlap_), CdResult::Ok);
        ASSERT_EQ(overlap_.startFrame, 26u);
        ASSERT_EQ(overlap_.length, kFrameBytes);
    }

    CdResult Next(std::uint32_t frames)
    {
        buffer_.startFrame = overlap_.startFrame + 1;
        buffer_.frameCount = frames;
        return reader_.ReadAudioAligned(handle_, buffer_, overlap_);
    }

    int handle_ = 0;
    TrackBuffer buffer_{30};
    TrackBuffer overlap_{3};
};

TEST_F(AlignedReadTest, ExactDriveGivesTheFramesAfterThePreviousRead)
{
    ASSERT_EQ(Next(27), CdResult::Ok);
    EXPECT_EQ(buffer_.startOffset, 3 * kFrameBytes);
    EXPECT_EQ(buffer_.startFrame, 27u);
    EXPECT_EQ(buffer_.frameCount, 24u);
    EXPECT_EQ(Valid(buffer_), Disc(27, 24));
    EXPECT_EQ(drive_.ReadRequests().back().second, 24u) << "from three frames back";
}

TEST_F(AlignedReadTest, LateOrEarlyDriveStillJoins)
{
    for (const int error : {static_cast<int>(kFrameBytes), -4 * static_cast<int>(kFrameBytes) - 8, 12}) {
        drive_.positionErrors = {error};
        const std::uint32_t start = overlap_.startFrame + 1;
        ASSERT_EQ(Next(27), CdResult::Ok) << error;
        EXPECT_EQ(buffer_.startFrame, start);
        EXPECT_EQ(Valid(buffer_), Disc(start, buffer_.frameCount)) << error;
    }
}

TEST_F(AlignedReadTest, ReReadsFromFurtherBackWhenTheOverlapIsMissed)
{
    // Three frames late: the first read starts after the overlap; the re-read brings it.
    drive_.positionErrors = {3 * static_cast<int>(kFrameBytes) + 4, 0};
    ASSERT_EQ(Next(27), CdResult::Ok);
    EXPECT_EQ(Valid(buffer_), Disc(27, buffer_.frameCount));
    const auto requests = drive_.ReadRequests();
    EXPECT_EQ(requests[requests.size() - 2].second, 24u);
    EXPECT_EQ(requests.back().second, 21u);

    // A drive that never brings it fails the read after the re-reads.
    drive_.positionErrors = {20 * static_cast<int>(kFrameBytes)};
    const std::size_t before = drive_.ReadRequests().size();
    EXPECT_EQ(Next(27), CdResult::Failed);
    EXPECT_EQ(drive_.ReadRequests().size(), before + 4);
    EXPECT_EQ(buffer_.length, 0u);
}

TEST_F(AlignedReadTest, ShortLastPieceIsAlignedToo)
{
    drive_.positionErrors = {static_cast<int>(kFrameBytes)};
    ASSERT_EQ(Next(2), CdResult::Ok);
    EXPECT_EQ(buffer_.frameCount, 2u);
    EXPECT_EQ(Valid(buffer_), Disc(27, 2));
}

TEST_F(AlignedReadTest, SilentOverlapSkipsTheAlignment)
{
    std::fill(overlap_.data.begin(), overlap_.data.begin() + kFrameBytes, std::uint8_t{0});
    ASSERT_EQ(Next(27), CdResult::Ok);
    EXPECT_EQ(buffer_.startOffset, 0u);
    EXPECT_EQ(buffer_.frameCount, 27u);
    EXPECT_EQ(drive_.ReadRequests().back().second, 27u) << "read where it was asked for";
}

TEST_F(AlignedReadTest, OverlapThatDoesNotContinueIsDropped)
{
    buffer_.startFrame = 100;
    buffer_.frameCount = 27;
    ASSERT_EQ(reader_.ReadAudioAligned(handle_, buffer_, overlap_), CdResult::Ok);
    EXPECT_EQ(drive_.ReadRequests().back().second, 100u);
    EXPECT_EQ(overlap_.startFrame, 126u);
}

}  // namespace
}  // namespace harkwell
