#include "cd/SgIoTransport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace harkwell {

namespace {

// "sr" followed by digits only.
bool IsCdNode(const std::string& name)
{
    return name.size() > 2 && name.compare(0, 2, "sr") == 0 &&
           std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int NodeNumber(const std::string& name) { return std::stoi(name.substr(2)); }

int DxferDirection(ScsiDirection direction)
{
    switch (direction) {
    case ScsiDirection::ToDevice: return SG_DXFER_TO_DEV;
    case ScsiDirection::FromDevice: return SG_DXFER_FROM_DEV;
    case ScsiDirection::None: break;
    }
    return SG_DXFER_NONE;
}

// The answer of the SCSI_IOCTL_GET_IDLUN ioctl.
struct IdLun {
    int deviceId = 0;  // target | lun << 8 | channel << 16 | host << 24
    int hostUniqueId = 0;
};

}  // namespace

SystemCallTable RealSystemCalls()
{
    SystemCallTable calls;
    calls.open = [](const char* path, int flags) { return ::open(path, flags); };
    calls.ioctl = [](int fd, unsigned long request, void* argument) { return ::ioctl(fd, request, argument); };
    calls.close = [](int fd) { return ::close(fd); };
    calls.deviceNames = [] {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir("/dev")) {
            while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
            ::closedir(dir);
        }
        return names;
    };
    calls.lastError = [] { return errno; };
    return calls;
}

std::vector<std::string> SgIoTransport::DrivePaths()
{
    std::vector<std::string> names;
    for (auto& name : calls_.deviceNames())
        if (IsCdNode(name)) names.push_back(std::move(name));
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NodeNumber(a) < NodeNumber(b); });
    std::vector<std::string> paths;
    for (const auto& name : names) paths.push_back("/dev/" + name);
    return paths;
}

ScsiOpenResult SgIoTransport::Open(const std::string& path)
{
    int fd = calls_.open(path.c_str(), O_RDWR | O_NONBLOCK);
    if (fd >= 0) return {fd, 0};
    // Without write access to the node, SG_IO still passes reads.
    fd = calls_.open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd >= 0) return {fd, 0};
    return {-1, calls_.lastError()};
}

ScsiOutcome SgIoTransport::Execute(int handle, const ScsiCommand& command)
{
    ScsiOutcome outcome;
    std::uint8_t cdb[16] = {};
    const std::size_t cdbLength = std::min(command.cdb.size(), sizeof cdb);
    std::copy_n(command.cdb.begin(), cdbLength, cdb);

    sg_io_hdr_t request;
    std::memset(&request, 0, sizeof request);
    request.interface_id = 'S';
    request.dxfer_direction = DxferDirection(command.direction);
    request.cmd_len = static_cast<unsigned char>(cdbLength);
    request.mx_sb_len = static_cast<unsigned char>(sizeof outcome.senseBytes);
    request.dxfer_len = static_cast<unsigned int>(command.length);
    request.dxferp = command.data;
    request.cmdp = cdb;
    request.sbp = outcome.senseBytes;
    request.timeout = command.timeoutMs;

    if (calls_.ioctl(handle, SG_IO, &request) != 0) {
        outcome.systemError = calls_.lastError();
        if (outcome.systemError == 0) outcome.systemError = EIO;
        return outcome;
    }
    // The ioctl succeeds even when the drive refused: the statuses tell.
    outcome.targetStatus = request.status;
    const int resid = std::clamp(request.resid, 0, static_cast<int>(request.dxfer_len));
    outcome.transferred = request.dxfer_len - static_cast<unsigned int>(resid);
    const bool senseWritten = request.sb_len_wr > 0;
    const std::uint8_t senseKey = senseWritten ? static_cast<std::uint8_t>(outcome.senseBytes[2] & 0x0F) : 0;
    const bool recovered = senseKey == 0x01;  // the drive managed after all
    if (request.host_status != 0) {
        outcome.systemError = EIO;  // the adapter lost the command (time-out, reset, bus error)
        return outcome;
    }
    const bool driverOk = (request.driver_status & ~0x08) == 0;  // 0x08: only "sense follows"
    outcome.good = driverOk && (request.status == 0 || (request.status == 2 && recovered)) &&
                   (senseKey == 0 || recovered);
    if (!outcome.good && request.status == 0 && !senseWritten) outcome.systemError = EIO;
    return outcome;
}

std::optional<ScsiAddress> SgIoTransport::Address(int handle)
{
    IdLun idLun;
    if (calls_.ioctl(handle, SCSI_IOCTL_GET_IDLUN, &idLun) != 0) return std::nullopt;
    const auto byte = [&](int shift) { return static_cast<std::uint8_t>((idLun.deviceId >> shift) & 0xFF); };
    return ScsiAddress{byte(24), byte(0), byte(8)};
}

void SgIoTransport::Close(int handle)
{
    // A close that fails leaves nothing to do: the descriptor is gone either way.
    (void)calls_.close(handle);
}

}  // namespace harkwell
