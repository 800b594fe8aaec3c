#include "cd/CdReader.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace harkwell {

namespace {

constexpr auto kLockWait = std::chrono::milliseconds(10000);
constexpr std::uint8_t kReadFlags = aspi::kFlagDataIn | aspi::kFlagSignal;
// MODE SELECT carries its parameter list to the drive.
constexpr std::uint8_t kModeSelectFlags = aspi::kFlagDataOut | aspi::kFlagSignal;
constexpr std::uint8_t kAutomaticOrder[] = {2, 1, 8, 4, 5, 6, 7};
constexpr int kTestReads = 3;
// Reads of a piece whose overlap was not found, after the first, each from further back.
constexpr int kRereads = 3;
constexpr std::uint32_t kTestPattern = 0xAAAAAAAAu;
constexpr int kTestPatternWords = 8;

constexpr std::uint8_t kModeSelectShort[] = {0x15, 0x00, 0x00, 0x00, 0x0C, 0x00};
constexpr std::uint8_t kBlockLength2352[] = {0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x09, 0x30};
constexpr std::uint8_t kBlockLength2048[] = {0, 0, 0, 8, 0x53, 0, 0, 0, 0, 0, 0x08, 0x00};
constexpr std::uint8_t kModeSelectPage[] = {0x15, 0x10, 0x00, 0x00, 0x14, 0x00};
constexpr std::uint8_t kPageFirst[] = {0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x09, 0x30, 0x23, 0x06, 0, 0, 0, 0, 0, 0x80};
constexpr std::uint8_t kPageSecond[] = {0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x09, 0x30, 0x01, 0x06, 0x20, 0x07, 0, 0, 0, 0};
constexpr std::uint8_t kModeSelectVendor[] = {0x15, 0x10, 0x00, 0x00, 0x08, 0x00};
constexpr std::uint8_t kVendorBlockLength[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x09, 0x30};

constexpr std::uint8_t kLeadOutTrack = 0xAA;

std::uint8_t Byte(std::uint32_t value, int shift) { return static_cast<std::uint8_t>((value >> shift) & 0xFF); }

bool NeedsBlockLength(std::uint8_t method) { return method == 3 || method == 4 || method == 7 || method == 8; }
bool RestoresBlockLength(std::uint8_t method) { return method == 3 || method == 4 || method == 8; }

bool HoldsTestPattern(const std::uint8_t* data, std::uint32_t length)
{
    int run = 0;
    for (std::uint32_t i = 0; i + 4 <= length; i += 4) {
        std::uint32_t word;
        std::memcpy(&word, data + i, sizeof word);
        run = word == kTestPattern ? run + 1 : 0;
        if (run >= kTestPatternWords) return true;
    }
    return false;
}

bool AllZero(const std::uint8_t* data, std::uint32_t length)
{
    return std::all_of(data, data + length, [](std::uint8_t b) { return b == 0; });
}

// The first offset at which the key lies in the data with at least one byte
// after it.
std::optional<std::uint32_t> FindOverlap(const std::uint8_t* data, std::uint32_t length, const std::uint8_t* key,
                                         std::uint32_t keyLength)
{
    if (length <= keyLength || keyLength < 4) return std::nullopt;
    std::uint32_t head;
    std::memcpy(&head, key, sizeof head);
    for (std::uint32_t offset = 0; offset + keyLength < length; ++offset) {
        std::uint32_t word;
        std::memcpy(&word, data + offset, sizeof word);
        if (word == head && std::memcmp(data + offset, key, keyLength) == 0) return offset;
    }
    return std::nullopt;
}

// The lead-out's address in a table of contents read with block addresses.
std::optional<std::uint32_t> LeadOut(const TocArea& area)
{
    const std::size_t length = std::min<std::size_t>((std::size_t{area[0]} << 8 | area[1]) + 2, kTocBytes);
    for (std::size_t at = 4; at + 8 <= length; at += 8)
        if (area[at + 2] == kLeadOutTrack) return BigEndian32(&area[at + 4]);
    return std::nullopt;
}

}  // namespace

std::array<std::uint8_t, 12> CdOpenRequest::Bytes() const
{
    return {12, 1, address.adapter, address.target, address.lun, method, 1, 0, 0, 0, overlapCompare, rereadDistance};
}

bool CdReader::Start()
{
    std::lock_guard lock(libraryMutex_);
    if (startCount_++ == 0) {
        for (auto& record : records_) record = {};
        return emulation_.Load();
    }
    return emulation_.SupportInfo() != (std::uint32_t{aspi::kStatusNoAspi} << 8);
}

void CdReader::Stop()
{
    std::lock_guard lock(libraryMutex_);
    if (startCount_ == 0) return;
    if (--startCount_ == 0) emulation_.Unload();
}

std::optional<ScsiAddress> CdReader::FindDrive(int driveIndex) const
{
    std::lock_guard lock(libraryMutex_);
    const auto& drives = emulation_.Drives();
    if (driveIndex < 0 || driveIndex >= static_cast<int>(drives.size())) return std::nullopt;
    const AspiDriveEntry& entry = drives[static_cast<std::size_t>(driveIndex)];
    if (!entry.inUse) return std::nullopt;
    return ScsiAddress{entry.adapter, entry.target, entry.lun};
}

std::vector<AspiDriveEntry> CdReader::DriveTable() const
{
    std::lock_guard lock(libraryMutex_);
    return emulation_.Drives();
}

std::optional<CdReader::Locked> CdReader::Lock(int handle)
{
    if (handle < 1 || handle > kHandles) return std::nullopt;
    const auto slot = static_cast<std::size_t>(handle - 1);
    if (!locks_[slot].LockFor(kLockWait)) return std::nullopt;
    HeldDriveLock held(&locks_[slot]);
    if (!records_[slot].inUse) return std::nullopt;
    return Locked{std::move(held), records_[slot]};
}

int CdReader::OpenCD(std::span<const std::uint8_t> request)
{
    if (request.size() < 12 || request[0] < 12 || request[1] != 1) return 0;
    std::lock_guard openLock(openMutex_);
    const ScsiAddress address{request[2], request[3], request[4]};
    for (std::size_t slot = 0; slot < records_.size(); ++slot) {
        locks_[slot].Lock();
        const HeldDriveLock recordLock(&locks_[slot]);
        const DriveRecord& record = records_[slot];
        if (record.inUse && record.address.adapter == address.adapter && record.address.target == address.target &&
            record.address.lun == address.lun)
            return 0;
    }
    aspi::GetDeviceType query;
    query.head.adapter = address.adapter;
    query.target = address.target;
    query.lun = address.lun;
    if (emulation_.Send(query) != aspi::kStatusComplete || query.deviceType != aspi::kDeviceTypeCdRom) return 0;

    for (int tried = 0; tried < kHandles; ++tried) {
        const auto slot = static_cast<std::size_t>((nextSlot_ + tried) % kHandles);
        locks_[slot].Lock();
        const HeldDriveLock recordLock(&locks_[slot]);
        DriveRecord& record = records_[slot];
        if (record.inUse) continue;
        record = {};
        record.address = address;
        record.inUse = true;
        const std::uint8_t method = request[5];
        record.method = method >= 1 && method <= 8 ? method : 0;
        record.overlapCompare = request[10];
        record.rereadDistance = request[11];
        nextSlot_ = static_cast<int>(slot + 1) % kHandles;
        return static_cast<int>(slot) + 1;
    }
    return 0;
}

int CdReader::CloseCD(int handle)
{
    auto locked = Lock(handle);
    if (!locked) return 0;
    DriveRecord& record = locked->record;
    // A drive that refuses the restore is left as it is: the handle goes all the same.
    if (record.restoreOnClose) (void)Restore(record);
    record = {};
    return 1;
}

int CdReader::SetParameter(int handle, int which, int value)
{
    auto locked = Lock(handle);
    if (!locked) return 0;
    DriveRecord& record = locked->record;
    // Distances beyond one read could never be aligned on.
    const bool distance = value >= 0 && value < 30;
    switch (which) {
    case kParameterMsf: record.msf = value != 0; return 1;
    case kParameterRereadDistance:
        if (!distance) return 0;
        record.rereadDistance = static_cast<std::uint32_t>(value);
        return 1;
    case kParameterOverlapCompare:
        if (!distance) return 0;
        record.overlapCompare = static_cast<std::uint32_t>(value);
        return 1;
    default: return 0;
    }
}

int CdReader::Method(int handle)
{
    auto locked = Lock(handle);
    return locked ? locked->record.method : 0;
}

bool CdReader::Send(const DriveRecord& record, std::span<const std::uint8_t> cdb, std::uint8_t* data,
                    std::uint32_t length, std::uint8_t flags, bool wholeTransfer)
{
    aspi::ExecuteScsiCommand block;
    block.head.adapter = record.address.adapter;
    block.head.flags = flags;
    block.target = record.address.target;
    block.lun = record.address.lun;
    block.data = data;
    block.dataLength = length;
    block.cdbLength = static_cast<std::uint8_t>(cdb.size());
    std::copy(cdb.begin(), cdb.end(), block.cdb);
    if (emulation_.Send(block) != aspi::kStatusComplete) return false;
    return !wholeTransfer || block.transferred == length;
}

CdResult CdReader::ReadTOC(int handle, TocArea& area)
{
    auto locked = Lock(handle);
    if (!locked) return CdResult::Failed;
    DriveRecord& record = locked->record;
    const std::uint8_t cdb[10] = {0x43, static_cast<std::uint8_t>(record.msf ? 2 : 0), 0, 0, 0, 0, 0,
                                  Byte(kTocBytes, 8), Byte(kTocBytes, 0), 0};
    if (!Send(record, cdb, area.data(), kTocBytes, kReadFlags, false)) return CdResult::Failed;
    record.leadOut = record.msf ? std::nullopt : LeadOut(area);
    return CdResult::Ok;
}

bool CdReader::SetBlockLength(DriveRecord& record)
{
    // The parameter lists are sent from copies: the command's data pointer is not const.
    const auto send = [&](std::span<const std::uint8_t> cdb, std::span<const std::uint8_t> list) {
        std::vector<std::uint8_t> copy(list.begin(), list.end());
        return Send(record, cdb, copy.data(), static_cast<std::uint32_t>(copy.size()), kModeSelectFlags, false);
    };
    switch (record.method) {
    case 3:
    case 4: return send(kModeSelectShort, kBlockLength2352);
    case 7: return send(kModeSelectVendor, kVendorBlockLength);
    case 8: return send(kModeSelectPage, kPageFirst) && send(kModeSelectPage, kPageSecond);
    default: return true;
    }
}

bool CdReader::Restore(DriveRecord& record)
{
    std::vector<std::uint8_t> list(std::begin(kBlockLength2048), std::end(kBlockLength2048));
    const bool restored =
        Send(record, kModeSelectShort, list.data(), static_cast<std::uint32_t>(list.size()), kModeSelectFlags, false);
    record.modeSet = false;
    record.restoreOnClose = false;
    return restored;
}

bool CdReader::ReadWithMethod(DriveRecord& record, std::uint8_t method, TrackBuffer& buffer)
{
    const std::uint32_t length = buffer.frameCount * kFrameBytes;
    if (buffer.frameCount == 0 || buffer.frameCount > 0xFF || length > buffer.capacity) return false;
    if (NeedsBlockLength(method) && !record.modeSet) {
        if (!SetBlockLength(record)) return false;
        record.modeSet = true;
        record.restoreOnClose = RestoresBlockLength(method);
    }
    const std::uint32_t lba = buffer.startFrame;
    const auto count = static_cast<std::uint8_t>(buffer.frameCount);
    std::uint8_t cdb[12] = {};
    std::size_t cdbLength = 10;
    switch (method) {
    case 1:
    case 2:
        cdb[0] = 0xBE;
        cdb[8] = count;
        cdb[9] = method == 1 ? 0x10 : 0xF0;
        cdbLength = 12;
        break;
    case 3:
    case 4:
    case 8:
        cdb[0] = 0x28;
        cdb[1] = static_cast<std::uint8_t>(record.address.lun << 5);
        cdb[8] = count;
        break;
    case 5:
        cdb[0] = 0xD8;
        cdb[9] = count;
        cdbLength = 12;
        break;
    case 6:
    case 7:
        cdb[0] = 0xD4;
        cdb[8] = count;
        break;
    default: return false;
    }
    cdb[3] = Byte(lba, 16);
    cdb[4] = Byte(lba, 8);
    cdb[5] = Byte(lba, 0);
    if (!Send(record, {cdb, cdbLength}, buffer.data.data(), length, kReadFlags, true)) return false;
    buffer.startOffset = 0;
    buffer.status = 1;
    buffer.length = length;
    return true;
}

bool CdReader::ChooseMethod(DriveRecord& record, TrackBuffer& buffer)
{
    const std::uint32_t length = std::min(buffer.frameCount * kFrameBytes, buffer.capacity);
    for (const std::uint8_t method : kAutomaticOrder) {
        record.method = method;
        record.modeSet = false;
        record.restoreOnClose = false;
        for (int attempt = 0; attempt < kTestReads; ++attempt) {
            // A drive that takes the command but leaves the buffer alone shows the pattern.
            std::fill_n(buffer.data.begin(), length, std::uint8_t{0xAA});
            if (ReadWithMethod(record, method, buffer) && !HoldsTestPattern(buffer.data.data(), buffer.length))
                return true;
        }
        // A method that changed the block length and failed does not leave it changed.
        if (record.restoreOnClose) (void)Restore(record);
    }
    record.method = 0;
    record.modeSet = false;
    record.restoreOnClose = false;
    buffer.length = 0;
    return false;
}

bool CdReader::ReadSectors(DriveRecord& record, TrackBuffer& buffer)
{
    if (record.method == 0) return ChooseMethod(record, buffer);
    return ReadWithMethod(record, record.method, buffer);
}

CdResult CdReader::ReadAudio(int handle, TrackBuffer& buffer)
{
    auto locked = Lock(handle);
    if (!locked) return CdResult::Failed;
    return ReadSectors(locked->record, buffer) ? CdResult::Ok : CdResult::Failed;
}

CdResult CdReader::ReadAudioAligned(int handle, TrackBuffer& buffer, TrackBuffer& overlap)
{
    auto locked = Lock(handle);
    if (!locked) return CdResult::Failed;
    return ReadAligned(locked->record, buffer, overlap) ? CdResult::Ok : CdResult::Failed;
}

bool CdReader::ReadAligned(DriveRecord& record, TrackBuffer& buffer, TrackBuffer& overlap)
{
    const std::uint32_t compare = record.overlapCompare;
    const std::uint32_t compareBytes = compare * kFrameBytes;
    const std::uint32_t wantedStart = buffer.startFrame;
    const std::uint32_t wantedCount = buffer.frameCount;
    const bool continues = compare > 0 && overlap.capacity >= compareBytes && overlap.length >= compareBytes &&
                           overlap.startFrame + compare == wantedStart;
    if (!continues) overlap.length = 0;
    const bool align = continues && !AllZero(overlap.data.data(), compareBytes);

    const auto keepOverlap = [&] {
        if (compare == 0 || buffer.frameCount < compare || overlap.capacity < compareBytes) return;
        std::memcpy(overlap.data.data(), buffer.Valid() + buffer.length - compareBytes, compareBytes);
        overlap.startFrame = buffer.startFrame + buffer.frameCount - compare;
        overlap.frameCount = compare;
        overlap.length = compareBytes;
        overlap.startOffset = 0;
        overlap.status = 1;
    };

    if (!align) {
        // A silent overlap cannot be found again: the piece is read where it was asked for.
        if (!ReadSectors(record, buffer)) return false;
        keepOverlap();
        return true;
    }

    const std::uint32_t roomFrames = buffer.CapacityFrames();
    for (int attempt = 0; attempt <= kRereads; ++attempt) {
        // The first read moves back by the re-read distance; a piece not longer than
        // that is asked for together with it. Re-reads start further back and fill
        // the buffer, so that a drive that is off by more still brings the overlap.
        std::uint32_t back = record.rereadDistance * static_cast<std::uint32_t>(attempt + 1);
        std::uint32_t count = wantedCount;
        if (attempt > 0) count = roomFrames;
        else if (wantedCount <= back) count = wantedCount + back;
        back = std::min(back, wantedStart);
        const std::uint32_t start = wantedStart - back;
        count = std::min(count, roomFrames);
        if (record.leadOut && start < *record.leadOut) count = std::min(count, *record.leadOut - start);

        buffer.startFrame = start;
        buffer.frameCount = count;
        if (!ReadSectors(record, buffer)) continue;
        const auto match = FindOverlap(buffer.data.data(), buffer.length, overlap.data.data(), compareBytes);
        if (!match) continue;
        const std::uint32_t offset = *match + compareBytes;
        // Whole sectors only, and no further than the piece asked for: what lies
        // beyond it may belong to the next track.
        const std::uint32_t frames = std::min((buffer.length - offset) / kFrameBytes, wantedCount);
        if (frames == 0) continue;
        buffer.startOffset = offset;
        buffer.frameCount = frames;
        buffer.length = frames * kFrameBytes;
        buffer.startFrame = overlap.startFrame + compare;
        keepOverlap();
        return true;
    }
    buffer.startFrame = wantedStart;
    buffer.frameCount = wantedCount;
    buffer.length = 0;
    buffer.status = 0;
    return false;
}

}  // namespace harkwell
