#pragma once

#include "cd/AspiRequests.h"
#include "cd/ScsiTransport.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harkwell {

// One CD drive of the machine as the emulation knows it.
struct AspiDriveEntry {
    std::string path;  // the device node, "/dev/sr0"
    std::uint8_t adapter = 0;
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
    bool inUse = false;   // found and answering
    int handle = -1;      // open system handle, or -1 (opened on demand)
    int openError = 0;    // errno of the scan's open when it failed (EACCES: no rights)
    std::array<std::uint8_t, 36> inquiry{};
};

inline constexpr int kMaxCdDrives = 26;

// Presents every CD drive of the machine as a device on a host adapter and
// carries the request blocks of the CD reader to it over a ScsiTransport.
//
// Threads: Load and Unload while no command runs; commands for one drive are
// serialised by the reader's per-drive lock.
class AspiEmulation {
public:
    explicit AspiEmulation(ScsiTransport& transport) : transport_(transport) {}
    ~AspiEmulation() { Unload(); }
    AspiEmulation(const AspiEmulation&) = delete;
    AspiEmulation& operator=(const AspiEmulation&) = delete;

    // Scans the drives: true when at least one CD drive answered.
    bool Load();
    // Closes the open handles and clears the table.
    void Unload();

    // Status in bits 8..15, adapter count in bits 0..7.
    std::uint32_t SupportInfo() const;
    std::uint8_t Send(aspi::HostAdapterInquiry& block) const;
    std::uint8_t Send(aspi::GetDeviceType& block) const;
    std::uint8_t Send(aspi::ExecuteScsiCommand& block);

    // Every CD device node found by the last scan, answering or not, by index.
    const std::vector<AspiDriveEntry>& Drives() const { return drives_; }

private:
    AspiDriveEntry* Find(std::uint8_t adapter, std::uint8_t target, std::uint8_t lun);
    bool Probe(AspiDriveEntry& entry, int index);
    void CloseHandle(AspiDriveEntry& entry);
    std::optional<ScsiOutcome> Pass(AspiDriveEntry& entry, aspi::ExecuteScsiCommand& block);
    std::uint8_t Finish(aspi::ExecuteScsiCommand& block, const std::optional<ScsiOutcome>& outcome);

    ScsiTransport& transport_;
    std::vector<AspiDriveEntry> drives_;
    std::uint8_t adapterCount_ = 0;
    bool loaded_ = false;
    int retriesInARow_ = 0;
};

// The name of a SCSI peripheral device type, empty for types without one.
std::string_view DeviceTypeName(int type);
// The name a device-type query reports for its status.
std::string_view DeviceQueryName(std::uint8_t status, int type);

}  // namespace harkwell
