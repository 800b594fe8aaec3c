#pragma once

#include "cd/ScsiTransport.h"

#include <functional>

namespace harkwell {

// The system calls the SG_IO transport makes, handed in so that the request
// it builds and the way it reads the answer can be checked without a drive.
struct SystemCallTable {
    std::function<int(const char* path, int flags)> open;
    std::function<int(int fd, unsigned long request, void* argument)> ioctl;
    std::function<int(int fd)> close;
    // The names of the entries of /dev.
    std::function<std::vector<std::string>()> deviceNames;
    // errno after a failed call.
    std::function<int()> lastError;
};

// The calls of the running system.
SystemCallTable RealSystemCalls();

// Carries SCSI commands to the CD drives (/dev/sr0, ...) through the generic
// SCSI pass-through ioctl SG_IO. A drive is opened read-write and
// non-blocking (non-blocking so that a drive without a disc still opens),
// falling back to read-only.
class SgIoTransport final : public ScsiTransport {
public:
    explicit SgIoTransport(SystemCallTable calls) : calls_(std::move(calls)) {}

    std::vector<std::string> DrivePaths() override;
    ScsiOpenResult Open(const std::string& path) override;
    ScsiOutcome Execute(int handle, const ScsiCommand& command) override;
    std::optional<ScsiAddress> Address(int handle) override;
    void Close(int handle) override;

private:
    SystemCallTable calls_;
};

}  // namespace harkwell
