#include "cd/AspiEmulation.h"

#include "fakes/SimulatedCdDrive.h"

#include <gtest/gtest.h>

namespace harkwell {
namespace {

using testing::SimulatedCdDrive;
using testing::SimulatedDisc;

aspi::ExecuteScsiCommand Command(std::initializer_list<std::uint8_t> cdb, std::uint8_t* data, std::uint32_t length)
{
    aspi::ExecuteScsiCommand block;
    block.head.adapter = 1;
    block.head.flags = aspi::kFlagDataIn | aspi::kFlagSignal;
    block.target = 2;
    block.data = data;
    block.dataLength = length;
    block.cdbLength = static_cast<std::uint8_t>(cdb.size());
    std::copy(cdb.begin(), cdb.end(), block.cdb);
    return block;
}

TEST(AspiEmulation, WithoutDrivesEveryCommandSaysThereIsNoTransport)
{
    SimulatedCdDrive drive(std::nullopt);
    drive.present = false;
    AspiEmulation emulation(drive);
    EXPECT_FALSE(emulation.Load());
    EXPECT_EQ(emulation.SupportInfo() >> 8, aspi::kStatusNoAspi);
    auto block = Command({0x43}, nullptr, 0);
    EXPECT_EQ(emulation.Send(block), aspi::kStatusNoAspi);
    aspi::HostAdapterInquiry inquiry;
    EXPECT_EQ(emulation.Send(inquiry), aspi::kStatusNoAspi);
}

TEST(AspiEmulation, PresentsTheDriveOnItsAdapter)
{
    SimulatedCdDrive drive(SimulatedDisc({{10, true}}));
    AspiEmulation emulation(drive);
    ASSERT_TRUE(emulation.Load());
    EXPECT_EQ(emulation.SupportInfo(), 0x0102u) << "adapters 0 and 1";
    EXPECT_EQ(drive.OpenHandles(), 0) << "reopened on demand";

    aspi::HostAdapterInquiry inquiry;
    inquiry.head.adapter = 1;
    EXPECT_EQ(emulation.Send(inquiry), aspi::kStatusComplete);
    EXPECT_EQ(std::string(inquiry.adapterId, 16), "SCSI Adapter 1  ");
    EXPECT_EQ(std::string(inquiry.managerId, 16), "MMASPI          ");
    EXPECT_EQ(inquiry.adapterUnique[3], 8);
    inquiry.head.adapter = 2;
    EXPECT_EQ(emulation.Send(inquiry), aspi::kStatusInvalidAdapter);

    aspi::GetDeviceType type;
    type.head.adapter = 1;
    type.target = 2;
    EXPECT_EQ(emulation.Send(type), aspi::kStatusComplete);
    EXPECT_EQ(DeviceQueryName(type.head.status, type.deviceType), "CD-ROM device");
    type.target = 3;
    EXPECT_EQ(emulation.Send(type), aspi::kStatusNoDevice);
    EXPECT_EQ(type.deviceType, 31);
    EXPECT_EQ(DeviceQueryName(type.head.status, type.deviceType), "SS_NO_DEVICE");
    EXPECT_EQ(DeviceQueryName(aspi::kStatusError, 5), "Unknown return");
    EXPECT_EQ(DeviceTypeName(11), "ASC IT8 device");
    EXPECT_EQ(DeviceTypeName(12), "");
}

TEST(AspiEmulation, DriveWithoutAnAddressIsKnownByItsIndex)
{
    SimulatedCdDrive drive(SimulatedDisc({{10, true}}));
    drive.address.reset();
    AspiEmulation emulation(drive);
    ASSERT_TRUE(emulation.Load());
    const AspiDriveEntry& entry = emulation.Drives().at(0);
    EXPECT_EQ(entry.adapter, 255);
    EXPECT_EQ(entry.target, 255);
    EXPECT_EQ(entry.lun, 0);
    EXPECT_EQ(emulation.SupportInfo(), 0x0101u) << "adapter 0 always counts";
}

TEST(AspiEmulation, AnswersInquiryFromTheScan)
{
    SimulatedCdDrive drive(SimulatedDisc({{10, true}}));
    AspiEmulation emulation(drive);
    ASSERT_TRUE(emulation.Load());
    const std::size_t before = drive.Commands().size();
    std::uint8_t answer[100] = {};
    auto block = Command({0x12, 0, 0, 0, 100, 0}, answer, sizeof answer);
    EXPECT_EQ(emulation.Send(block), aspi::kStatusComplete);
    EXPECT_EQ(drive.Commands().size(), before);
    EXPECT_EQ(answer[0], 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(answer + 8), 8), "SIMULATE");
}

TEST(AspiEmulation, ReopensAndResendsWhenTheDriveIsBecomingReady)
{
    SimulatedCdDrive drive(SimulatedDisc({{10, true}}));
    AspiEmulation emulation(drive);
    ASSERT_TRUE(emulation.Load());
    std::uint8_t toc[804] = {};
    drive.busyCommands = 1;
    auto block = Command({0x43, 0, 0, 0, 0, 0, 0, 3, 0x24, 0}, toc, sizeof toc);
    EXPECT_EQ(emulation.Send(block), aspi::kStatusComplete);
    EXPECT_EQ(toc[3], 1);

    // Refusals are not asked twice.
    drive.disc.reset();
    const std::size_t before = drive.Commands().size();
    EXPECT_EQ(emulation.Send(block), aspi::kStatusError);
    EXPECT_EQ(drive.Commands().size(), before + 1);
    EXPECT_EQ(block.sense[2] & 0x0F, sense::kNotReady);
    EXPECT_EQ(block.sense[12], sense::kAscNoMedium);

    // A drive that stays busy fails after one resend.
    drive.disc = SimulatedDisc({{10, true}});
    drive.busyCommands = 10;
    EXPECT_EQ(emulation.Send(block), aspi::kStatusError);
}

TEST(AspiEmulation, AllowsFiveRetriesInARow)
{
    SimulatedCdDrive drive(SimulatedDisc({{10, true}}));
    AspiEmulation emulation(drive);
    ASSERT_TRUE(emulation.Load());
    std::uint8_t toc[804] = {};
    auto block = Command({0x43, 0, 0, 0, 0, 0, 0, 3, 0x24, 0}, toc, sizeof toc);
    for (int i = 0; i < 5; ++i) {
        drive.busyCommands = 1;
        EXPECT_EQ(emulation.Send(block), aspi::kStatusComplete) << i;
    }
    drive.busyCommands = 1;
    EXPECT_EQ(emulation.Send(block), aspi::kStatusError) << "the sixth in a row";
    EXPECT_EQ(emulation.Send(block), aspi::kStatusComplete) << "the count starts over";
}

}  // namespace
}  // namespace harkwell
