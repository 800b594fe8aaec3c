#include "cd/SgIoTransport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>

namespace harkwell {
namespace {

// A system whose SG_IO answers as the test says and keeps the request it was given.
struct ScriptedSystem {
    std::vector<std::pair<std::string, int>> opens;
    std::vector<int> openAnswers = {7};
    int error = 0;
    sg_io_hdr_t seen{};
    std::vector<std::uint8_t> cdb;
    int ioctlAnswer = 0;
    std::function<void(sg_io_hdr_t&)> answer;
    int idLun = -1;  // -1: the address ioctl fails
    std::vector<int> closed;

    SystemCallTable Table()
    {
        SystemCallTable calls;
        calls.open = [this](const char* path, int flags) {
            opens.emplace_back(path, flags);
            const int fd = openAnswers.empty() ? -1 : openAnswers.front();
            if (!openAnswers.empty()) openAnswers.erase(openAnswers.begin());
            return fd;
        };
        calls.ioctl = [this](int, unsigned long request, void* argument) {
            if (request == SCSI_IOCTL_GET_IDLUN) {
                if (idLun < 0) return -1;
                std::memcpy(argument, &idLun, sizeof idLun);
                return 0;
            }
            auto& header = *static_cast<sg_io_hdr_t*>(argument);
            seen = header;
            cdb.assign(header.cmdp, header.cmdp + header.cmd_len);
            if (answer) answer(header);
            return ioctlAnswer;
        };
        calls.close = [this](int fd) {
            closed.push_back(fd);
            return 0;
        };
        calls.deviceNames = [] {
            return std::vector<std::string>{"sr10", "sda", "sr2", "sr", "srx1", ".", "sr0"};
        };
        calls.lastError = [this] { return error; };
        return calls;
    }
};

TEST(SgIoTransport, ListsTheCdNodesInNumberOrder)
{
    ScriptedSystem system;
    SgIoTransport transport(system.Table());
    EXPECT_EQ(transport.DrivePaths(), (std::vector<std::string>{"/dev/sr0", "/dev/sr2", "/dev/sr10"}));
}

TEST(SgIoTransport, OpensReadWriteThenReadOnly)
{
    ScriptedSystem system;
    system.openAnswers = {-1, 9};
    SgIoTransport transport(system.Table());
    const ScsiOpenResult opened = transport.Open("/dev/sr0");
    EXPECT_EQ(opened.handle, 9);
    ASSERT_EQ(system.opens.size(), 2u);
    EXPECT_EQ(system.opens[0].second, O_RDWR | O_NONBLOCK);
    EXPECT_EQ(system.opens[1].second, O_RDONLY | O_NONBLOCK);

    system.openAnswers = {-1, -1};
    system.error = EACCES;
    EXPECT_EQ(transport.Open("/dev/sr0").error, EACCES);
    transport.Close(9);
    EXPECT_EQ(system.closed, std::vector<int>{9});
}

TEST(SgIoTransport, BuildsTheRequestFromTheCommand)
{
    ScriptedSystem system;
    system.answer = [](sg_io_hdr_t& header) { header.resid = 0; };
    SgIoTransport transport(system.Table());
    std::uint8_t data[2352 * 2] = {};
    const std::uint8_t read[12] = {0xBE, 0, 0, 0, 1, 2, 0, 0, 2, 0xF0, 0, 0};
    const ScsiOutcome outcome = transport.Execute(7, {read, ScsiDirection::FromDevice, data, sizeof data, 5000});
    EXPECT_TRUE(outcome.good);
    EXPECT_EQ(outcome.transferred, sizeof data);
    EXPECT_EQ(system.seen.interface_id, 'S');
    EXPECT_EQ(system.seen.dxfer_direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(system.cdb, std::vector<std::uint8_t>(read, read + 12));
    EXPECT_EQ(system.seen.dxfer_len, sizeof data);
    EXPECT_EQ(system.seen.dxferp, data);
    EXPECT_EQ(system.seen.timeout, 5000u);
    EXPECT_GE(system.seen.mx_sb_len, 14);

    std::uint8_t list[12] = {};
    const std::uint8_t modeSelect[6] = {0x15, 0, 0, 0, 12, 0};
    (void)transport.Execute(7, {modeSelect, ScsiDirection::ToDevice, list, sizeof list, 5000});
    EXPECT_EQ(system.seen.dxfer_direction, SG_DXFER_TO_DEV);
    const std::uint8_t unitReady[6] = {};
    (void)transport.Execute(7, {unitReady, ScsiDirection::None, nullptr, 0, 2000});
    EXPECT_EQ(system.seen.dxfer_direction, SG_DXFER_NONE);
    EXPECT_EQ(system.seen.cmd_len, 6);
    EXPECT_EQ(system.seen.timeout, 2000u);
}

struct AnswerCase {
    const char* name;
    int ioctlAnswer;
    int error;
    unsigned char status;
    unsigned short hostStatus;
    unsigned short driverStatus;
    std::uint8_t senseKey;
    int resid;
    bool good;
    ScsiFailureKind kind;
    std::size_t transferred;
};

class SgIoAnswer : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(SgIoAnswer, DecidesTheResultFromEveryStatus)
{
    const AnswerCase& c = GetParam();
    ScriptedSystem system;
    system.ioctlAnswer = c.ioctlAnswer;
    system.error = c.error;
    system.answer = [&](sg_io_hdr_t& header) {
        header.status = c.status;
        header.masked_status = static_cast<unsigned char>(c.status >> 1);
        header.host_status = c.hostStatus;
        header.driver_status = c.driverStatus;
        header.resid = c.resid;
        if (c.senseKey != 0) {
            header.sbp[0] = 0x70;
            header.sbp[2] = c.senseKey;
            header.sbp[12] = 0x11;
            header.sb_len_wr = 18;
        }
    };
    SgIoTransport transport(system.Table());
    std::uint8_t data[100] = {};
    const std::uint8_t cdb[10] = {0x28};
    const ScsiOutcome outcome = transport.Execute(7, {cdb, ScsiDirection::FromDevice, data, sizeof data, 5000});
    EXPECT_EQ(outcome.good, c.good);
    if (!c.good) {
        EXPECT_EQ(ClassifyFailure(outcome), c.kind);
    }
    if (c.ioctlAnswer == 0) {
        EXPECT_EQ(outcome.transferred, c.transferred);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SgIoAnswer,
    ::testing::Values(AnswerCase{"Good", 0, 0, 0, 0, 0, 0, 0, true, ScsiFailureKind::Refused, 100},
                      AnswerCase{"ShortTransfer", 0, 0, 0, 0, 0, 0, 36, true, ScsiFailureKind::Refused, 64},
                      AnswerCase{"RecoveredError", 0, 0, 2, 0, 8, 0x01, 0, true, ScsiFailureKind::Refused, 100},
                      AnswerCase{"MediumError", 0, 0, 2, 0, 8, 0x03, 100, false, ScsiFailureKind::Refused, 0},
                      AnswerCase{"HostLostIt", 0, 0, 0, 3, 0, 0, 100, false, ScsiFailureKind::DeviceIo, 0},
                      AnswerCase{"DriverError", 0, 0, 0, 0, 6, 0, 100, false, ScsiFailureKind::DeviceIo, 0},
                      AnswerCase{"Busy", 0, 0, 8, 0, 0, 0, 100, false, ScsiFailureKind::DeviceIo, 0},
                      AnswerCase{"NoRawIo", -1, EPERM, 0, 0, 0, 0, 0, false, ScsiFailureKind::Refused, 0},
                      AnswerCase{"IoctlIoError", -1, EIO, 0, 0, 0, 0, 0, false, ScsiFailureKind::DeviceIo, 0},
                      AnswerCase{"HandleGone", -1, ENODEV, 0, 0, 0, 0, 0, false, ScsiFailureKind::InvalidHandle,
                                 0}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST(SgIoTransport, TellsTheBusAddress)
{
    ScriptedSystem system;
    SgIoTransport transport(system.Table());
    EXPECT_FALSE(transport.Address(7));
    system.idLun = 3 | 1 << 8 | 0 << 16 | 2 << 24;
    const auto address = transport.Address(7);
    ASSERT_TRUE(address);
    EXPECT_EQ(address->adapter, 2);
    EXPECT_EQ(address->target, 3);
    EXPECT_EQ(address->lun, 1);
}

}  // namespace
}  // namespace harkwell
