#pragma once

#include <cstddef>
#include <cstdint>

namespace harkwell::aspi {

// The request blocks through which the CD reader talks to its drives. They
// keep the fields of the classic host-adapter programming interface; the
// completion event is gone, as every command here has ended when Send returns.

inline constexpr std::uint8_t kHostAdapterInquiry = 0;
inline constexpr std::uint8_t kGetDeviceType = 1;
inline constexpr std::uint8_t kExecuteScsiCommand = 2;

inline constexpr std::uint8_t kFlagDataIn = 0x08;
inline constexpr std::uint8_t kFlagDataOut = 0x10;
inline constexpr std::uint8_t kFlagSignal = 0x40;

inline constexpr std::uint8_t kStatusPending = 0x00;
inline constexpr std::uint8_t kStatusComplete = 0x01;
inline constexpr std::uint8_t kStatusError = 0x04;
inline constexpr std::uint8_t kStatusInvalidAdapter = 0x81;
inline constexpr std::uint8_t kStatusNoDevice = 0x82;
inline constexpr std::uint8_t kStatusNoAspi = 0xE3;
inline constexpr std::uint32_t kSupportNoAdapter = 0xE800;

inline constexpr std::uint8_t kDeviceTypeCdRom = 5;
inline constexpr std::uint8_t kDeviceTypeUnknown = 31;

struct Head {
    std::uint8_t command = 0;
    std::uint8_t status = kStatusPending;
    std::uint8_t adapter = 0;
    std::uint8_t flags = 0;
};

struct HostAdapterInquiry {
    Head head{kHostAdapterInquiry};
    std::uint8_t adapterCount = 0;
    std::uint8_t adapterScsiId = 0;
    char managerId[16] = {};
    char adapterId[16] = {};
    std::uint8_t adapterUnique[16] = {};  // [3] maximum targets, [4..7] maximum transfer length
};

struct GetDeviceType {
    Head head{kGetDeviceType};
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
    std::uint8_t deviceType = 0;
};

inline constexpr std::size_t kSenseLength = 14;

struct ExecuteScsiCommand {
    Head head{kExecuteScsiCommand};
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
    std::uint32_t dataLength = 0;
    std::uint8_t* data = nullptr;
    std::uint8_t senseLength = kSenseLength;
    std::uint8_t cdbLength = 0;
    std::uint8_t adapterStatus = 0;
    std::uint8_t targetStatus = 0;
    std::uint8_t cdb[16] = {};
    std::uint8_t sense[kSenseLength + 2] = {};
    // Data bytes the drive moved; a short read is not a whole read.
    std::uint32_t transferred = 0;
};

}  // namespace harkwell::aspi
