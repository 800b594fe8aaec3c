#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace harkwell {

// Which way a command's data goes.
enum class ScsiDirection { None, ToDevice, FromDevice };

// One SCSI command as the CD layer hands it to a drive.
struct ScsiCommand {
    std::span<const std::uint8_t> cdb;
    ScsiDirection direction = ScsiDirection::None;
    std::uint8_t* data = nullptr;  // filled (FromDevice) or sent (ToDevice)
    std::size_t length = 0;
    unsigned timeoutMs = 5000;
};

// The fixed-format sense bytes that tell why a drive refused a command.
struct ScsiSense {
    std::uint8_t key = 0;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;
};

inline constexpr std::size_t kSenseBytes = 18;

// How a command ended. systemError is the errno of a call the system itself
// refused (0 otherwise); a drive that refused the command says why in sense.
struct ScsiOutcome {
    bool good = false;
    int systemError = 0;
    std::uint8_t targetStatus = 0;  // 0 good, 2 check condition, 8 busy
    std::uint8_t senseBytes[kSenseBytes] = {};
    std::size_t transferred = 0;  // data bytes moved
    ScsiSense Sense() const;
};

// The bus address of a drive: host adapter, target, LUN.
struct ScsiAddress {
    std::uint8_t adapter = 0;
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
};

// The drive's answer to an open: a handle, or the errno that refused it.
struct ScsiOpenResult {
    int handle = -1;
    int error = 0;
};

// The seam between the CD layer and the drives of the machine. The program
// reaches real drives through SG_IO; tests put a simulated drive here.
class ScsiTransport {
public:
    virtual ~ScsiTransport() = default;
    // The CD device nodes of the machine, in order ("/dev/sr0", ...).
    virtual std::vector<std::string> DrivePaths() = 0;
    virtual ScsiOpenResult Open(const std::string& path) = 0;
    virtual ScsiOutcome Execute(int handle, const ScsiCommand& command) = 0;
    // Nothing when the system cannot tell.
    virtual std::optional<ScsiAddress> Address(int handle) = 0;
    virtual void Close(int handle) = 0;
};

// Sense keys and additional sense codes the CD layer tells apart.
namespace sense {
inline constexpr std::uint8_t kNotReady = 0x02;
inline constexpr std::uint8_t kMediumError = 0x03;
inline constexpr std::uint8_t kIllegalRequest = 0x05;
inline constexpr std::uint8_t kUnitAttention = 0x06;
inline constexpr std::uint8_t kAscBecomingReady = 0x04;  // with ASCQ 0x01
inline constexpr std::uint8_t kAscNoMedium = 0x3A;
inline constexpr std::uint8_t kAscUnrecoveredRead = 0x11;
inline constexpr std::uint8_t kAscInvalidCommand = 0x20;
inline constexpr std::uint8_t kAscLbaOutOfRange = 0x21;
inline constexpr std::uint8_t kAscInvalidField = 0x24;
inline constexpr std::uint8_t kAscMediumChanged = 0x28;
inline constexpr std::uint8_t kAscIllegalModeForTrack = 0x64;
}  // namespace sense

// Fills fixed-format sense bytes (response code 0x70).
void FillSense(std::uint8_t (&bytes)[kSenseBytes], ScsiSense sense);

// What the transport's retry rules make of a failed command.
enum class ScsiFailureKind {
    DeviceIo,       // worth a reopen and one more try (also a drive becoming ready)
    AccessDenied,   // the open lost its rights: reopen and try again
    MediaChanged,   // the disc was changed: reopen and try again
    InvalidHandle,  // the handle went away: reopen and try again
    Refused,        // the drive will not do it: no retry (bad command, no disc, read error)
};

ScsiFailureKind ClassifyFailure(const ScsiOutcome& outcome);

}  // namespace harkwell
