#include "cd/ScsiTransport.h"

#include <cerrno>

namespace harkwell {

ScsiSense ScsiOutcome::Sense() const
{
    // Fixed format: key in the low nibble of byte 2, ASC and ASCQ at 12 and 13.
    return {static_cast<std::uint8_t>(senseBytes[2] & 0x0F), senseBytes[12], senseBytes[13]};
}

void FillSense(std::uint8_t (&bytes)[kSenseBytes], ScsiSense sense)
{
    for (auto& byte : bytes) byte = 0;
    bytes[0] = 0x70;
    bytes[2] = sense.key;
    bytes[7] = kSenseBytes - 8;
    bytes[12] = sense.asc;
    bytes[13] = sense.ascq;
}

ScsiFailureKind ClassifyFailure(const ScsiOutcome& outcome)
{
    switch (outcome.systemError) {
    case 0: break;
    case EIO: return ScsiFailureKind::DeviceIo;
    case EACCES: return ScsiFailureKind::AccessDenied;
    case EBADF:
    case ENODEV:
    case ENXIO: return ScsiFailureKind::InvalidHandle;
    // EPERM: the vendor reads need the raw-I/O capability; asking again will not help.
    default: return ScsiFailureKind::Refused;
    }
    if (outcome.targetStatus == 0x08) return ScsiFailureKind::DeviceIo;  // busy
    const ScsiSense s = outcome.Sense();
    if (s.key == sense::kUnitAttention && s.asc == sense::kAscMediumChanged) return ScsiFailureKind::MediaChanged;
    if (s.key == sense::kNotReady && s.asc == sense::kAscBecomingReady && s.ascq == 0x01)
        return ScsiFailureKind::DeviceIo;
    if (s.key == sense::kUnitAttention) return ScsiFailureKind::DeviceIo;  // a reset: the next try goes through
    return ScsiFailureKind::Refused;
}

}  // namespace harkwell
