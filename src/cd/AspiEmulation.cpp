#include "cd/AspiEmulation.h"

#include <algorithm>
#include <cstring>

namespace harkwell {

namespace {

constexpr std::uint8_t kInquiry = 0x12;
constexpr std::size_t kInquiryAllocation = 100;
constexpr unsigned kInquiryTimeoutMs = 2000;
constexpr unsigned kCommandTimeoutMs = 5000;
constexpr std::uint8_t kUnaddressed = 255;
// Reopen-and-resend retries allowed in a row before the transport gives up.
constexpr int kMaxRetriesInARow = 5;

ScsiDirection DirectionOf(std::uint8_t flags)
{
    if (flags & aspi::kFlagDataIn) return ScsiDirection::FromDevice;
    if (flags & aspi::kFlagDataOut) return ScsiDirection::ToDevice;
    return ScsiDirection::None;
}

void CopyText(char (&field)[16], std::string_view text)
{
    std::memset(field, ' ', sizeof field);
    std::memcpy(field, text.data(), std::min(text.size(), sizeof field));
}

}  // namespace

bool AspiEmulation::Load()
{
    Unload();
    const std::vector<std::string> paths = transport_.DrivePaths();
    const auto count = std::min<std::size_t>(paths.size(), kMaxCdDrives);
    drives_.resize(count);
    int highestAdapter = 0;  // adapter 0 always counts
    for (std::size_t i = 0; i < count; ++i) {
        AspiDriveEntry& entry = drives_[i];
        entry.path = paths[i];
        if (Probe(entry, static_cast<int>(i)) && entry.adapter != kUnaddressed)
            highestAdapter = std::max<int>(highestAdapter, entry.adapter);
        CloseHandle(entry);
    }
    adapterCount_ = static_cast<std::uint8_t>(highestAdapter + 1);
    loaded_ = std::any_of(drives_.begin(), drives_.end(), [](const AspiDriveEntry& e) { return e.inUse; });
    return loaded_;
}

void AspiEmulation::Unload()
{
    for (auto& entry : drives_) CloseHandle(entry);
    drives_.clear();
    adapterCount_ = 0;
    loaded_ = false;
    retriesInARow_ = 0;
}

bool AspiEmulation::Probe(AspiDriveEntry& entry, int index)
{
    if (entry.handle < 0) {
        const ScsiOpenResult opened = transport_.Open(entry.path);
        entry.openError = opened.error;
        if (opened.handle < 0) {
            entry.inUse = false;
            return false;
        }
        entry.handle = opened.handle;
    }
    std::uint8_t answer[kInquiryAllocation] = {};
    const std::uint8_t cdb[6] = {kInquiry, 0, 0, 0, kInquiryAllocation, 0};
    const ScsiOutcome outcome = transport_.Execute(
        entry.handle, {cdb, ScsiDirection::FromDevice, answer, sizeof answer, kInquiryTimeoutMs});
    if (!outcome.good) {
        entry.inUse = false;
        return false;
    }
    std::copy_n(answer, entry.inquiry.size(), entry.inquiry.begin());
    if (const auto address = transport_.Address(entry.handle)) {
        entry.adapter = address->adapter;
        entry.target = address->target;
        entry.lun = address->lun;
    } else {
        entry.adapter = kUnaddressed;
        entry.target = kUnaddressed;
        entry.lun = static_cast<std::uint8_t>(index);
    }
    entry.inUse = true;
    return true;
}

void AspiEmulation::CloseHandle(AspiDriveEntry& entry)
{
    if (entry.handle < 0) return;
    transport_.Close(entry.handle);
    entry.handle = -1;
}

std::uint32_t AspiEmulation::SupportInfo() const
{
    if (!loaded_) return std::uint32_t{aspi::kStatusNoAspi} << 8;
    return 0x0100u | adapterCount_;
}

std::uint8_t AspiEmulation::Send(aspi::HostAdapterInquiry& block) const
{
    if (!loaded_) return block.head.status = aspi::kStatusNoAspi;
    block.adapterCount = adapterCount_;
    if (block.head.adapter >= adapterCount_) return block.head.status = aspi::kStatusInvalidAdapter;
    block.adapterScsiId = 7;
    CopyText(block.managerId, "MMASPI");
    CopyText(block.adapterId, "SCSI Adapter");
    block.adapterId[13] = static_cast<char>('0' + block.head.adapter);
    std::memset(block.adapterUnique, 0, sizeof block.adapterUnique);
    block.adapterUnique[3] = 8;
    const std::uint32_t maxTransfer = 0x10000;
    std::memcpy(block.adapterUnique + 4, &maxTransfer, sizeof maxTransfer);
    return block.head.status = aspi::kStatusComplete;
}

std::uint8_t AspiEmulation::Send(aspi::GetDeviceType& block) const
{
    if (!loaded_) return block.head.status = aspi::kStatusNoAspi;
    const auto found = std::find_if(drives_.begin(), drives_.end(), [&](const AspiDriveEntry& e) {
        return e.inUse && e.adapter == block.head.adapter && e.target == block.target && e.lun == block.lun;
    });
    if (found == drives_.end()) {
        block.deviceType = aspi::kDeviceTypeUnknown;
        return block.head.status = aspi::kStatusNoDevice;
    }
    block.deviceType = aspi::kDeviceTypeCdRom;
    return block.head.status = aspi::kStatusComplete;
}

AspiDriveEntry* AspiEmulation::Find(std::uint8_t adapter, std::uint8_t target, std::uint8_t lun)
{
    for (auto& entry : drives_)
        if (entry.inUse && entry.adapter == adapter && entry.target == target && entry.lun == lun) return &entry;
    return nullptr;
}

std::optional<ScsiOutcome> AspiEmulation::Pass(AspiDriveEntry& entry, aspi::ExecuteScsiCommand& block)
{
    if (entry.handle < 0) {
        const ScsiOpenResult opened = transport_.Open(entry.path);
        entry.openError = opened.error;
        if (opened.handle < 0) return std::nullopt;
        entry.handle = opened.handle;
    }
    const std::size_t cdbLength = std::min<std::size_t>(block.cdbLength, sizeof block.cdb);
    return transport_.Execute(entry.handle, {std::span<const std::uint8_t>(block.cdb, cdbLength),
                                             DirectionOf(block.head.flags), block.data, block.dataLength,
                                             kCommandTimeoutMs});
}

std::uint8_t AspiEmulation::Finish(aspi::ExecuteScsiCommand& block, const std::optional<ScsiOutcome>& outcome)
{
    std::memset(block.sense, 0, sizeof block.sense);
    block.transferred = 0;
    if (outcome) {
        std::memcpy(block.sense, outcome->senseBytes, std::min<std::size_t>(block.senseLength, aspi::kSenseLength));
        block.transferred = static_cast<std::uint32_t>(outcome->transferred);
    }
    if (outcome && outcome->good) {
        block.targetStatus = 0;
        return block.head.status = aspi::kStatusComplete;
    }
    block.targetStatus = aspi::kStatusError;
    return block.head.status = aspi::kStatusError;
}

std::uint8_t AspiEmulation::Send(aspi::ExecuteScsiCommand& block)
{
    if (!loaded_) return block.head.status = aspi::kStatusNoAspi;
    AspiDriveEntry* entry = Find(block.head.adapter, block.target, block.lun);
    if (entry == nullptr) return block.head.status = aspi::kStatusError;
    if (block.cdb[0] == kInquiry) {
        // Answered from the scan: the drive is not disturbed.
        const std::size_t count = std::min<std::size_t>(block.dataLength, entry->inquiry.size());
        if (block.data != nullptr) std::copy_n(entry->inquiry.begin(), count, block.data);
        block.transferred = static_cast<std::uint32_t>(count);
        return block.head.status = aspi::kStatusComplete;
    }

    std::optional<ScsiOutcome> outcome = Pass(*entry, block);
    if (outcome && outcome->good) {
        retriesInARow_ = 0;
        return Finish(block, outcome);
    }
    const ScsiFailureKind kind = outcome ? ClassifyFailure(*outcome) : ScsiFailureKind::InvalidHandle;
    if (kind == ScsiFailureKind::Refused) return Finish(block, outcome);
    if (++retriesInARow_ > kMaxRetriesInARow) {
        retriesInARow_ = 0;
        return Finish(block, outcome);
    }
    // The handle may be stale (disc changed, rights or device gone): start over on this drive.
    CloseHandle(*entry);
    const int index = static_cast<int>(entry - drives_.data());
    if (Probe(*entry, index)) outcome = Pass(*entry, block);
    if (!outcome || !outcome->good) retriesInARow_ = 0;
    return Finish(block, outcome);
}

std::string_view DeviceTypeName(int type)
{
    static constexpr std::string_view kNames[] = {
        "Direct-access device",  "Sequential-access device", "Printer device",         "Processor device",
        "Write-once device",     "CD-ROM device",            "Scanner device",         "Optical memory device",
        "Medium changer device", "Communication device",     "ASC IT8 device",         "ASC IT8 device",
    };
    if (type >= 0 && type < static_cast<int>(std::size(kNames))) return kNames[type];
    if (type == 31) return "Unknown or no device";
    return {};
}

std::string_view DeviceQueryName(std::uint8_t status, int type)
{
    if (status == aspi::kStatusComplete) return DeviceTypeName(type);
    if (status == aspi::kStatusNoDevice) return "SS_NO_DEVICE";
    return "Unknown return";
}

}  // namespace harkwell
