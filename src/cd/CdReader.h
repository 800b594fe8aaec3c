#pragma once

#include "cd/AspiEmulation.h"
#include "cd/ScsiTransport.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace harkwell {

// What the reader's operations end with.
enum class [[nodiscard]] CdResult : int { Ok = 1, Failed = 4 };

inline constexpr std::uint32_t kFrameBytes = 2352;  // one audio sector: 1/75 s of 44100 Hz stereo
inline constexpr std::size_t kTocBytes = 804;        // header and 100 descriptors
using TocArea = std::array<std::uint8_t, kTocBytes>;

// Sectors read from a disc, with the part of them that is valid.
struct TrackBuffer {
    explicit TrackBuffer(std::uint32_t frames) : capacity(frames * kFrameBytes), data(capacity) {}

    std::uint32_t startFrame = 0;  // logical block address of the first sector
    std::uint32_t frameCount = 0;
    std::uint32_t capacity = 0;  // bytes it can hold
    std::uint32_t length = 0;    // bytes of valid data
    std::uint32_t status = 0;    // 1 once read
    std::uint32_t startOffset = 0;
    std::vector<std::uint8_t> data;

    const std::uint8_t* Valid() const { return data.data() + startOffset; }
    std::uint32_t CapacityFrames() const { return capacity / kFrameBytes; }
};

// The 12-byte request that opens a drive.
struct CdOpenRequest {
    ScsiAddress address;
    std::uint8_t method = 0;  // 0: chosen on the first read
    std::uint8_t overlapCompare = 1;
    std::uint8_t rereadDistance = 3;

    std::array<std::uint8_t, 12> Bytes() const;
};

// The read commands the reader knows, by method number.
inline constexpr std::uint8_t kMethodReadCdUserData = 1;  // READ CD, user data only
inline constexpr std::uint8_t kMethodReadCdAll = 2;       // READ CD, the whole sector
inline constexpr std::uint8_t kMethodRead10Page = 8;      // READ(10) after two vendor MODE SELECTs

// SetParameter's parameters.
inline constexpr int kParameterMsf = 36;
inline constexpr int kParameterRereadDistance = 37;
inline constexpr int kParameterOverlapCompare = 38;

inline std::uint32_t BigEndian32(const std::uint8_t* bytes)
{
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// A lock that a thread waits for only so long. (Built on a condition
// variable: the timed waits of std::timed_mutex are not seen by the thread
// checker, which then reports every unlock as wrong.)
class DriveLock {
public:
    [[nodiscard]] bool LockFor(std::chrono::milliseconds wait)
    {
        std::unique_lock lock(mutex_);
        if (!released_.wait_for(lock, wait, [this] { return !held_; })) return false;
        held_ = true;
        return true;
    }
    void Lock()
    {
        std::unique_lock lock(mutex_);
        released_.wait(lock, [this] { return !held_; });
        held_ = true;
    }
    void Unlock()
    {
        {
            std::lock_guard lock(mutex_);
            held_ = false;
        }
        released_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool held_ = false;
};

// Holds a DriveLock until it goes.
class HeldDriveLock {
public:
    explicit HeldDriveLock(DriveLock* lock) : lock_(lock) {}
    HeldDriveLock(HeldDriveLock&& other) noexcept : lock_(std::exchange(other.lock_, nullptr)) {}
    HeldDriveLock& operator=(HeldDriveLock&&) = delete;
    ~HeldDriveLock()
    {
        if (lock_ != nullptr) lock_->Unlock();
    }

private:
    DriveLock* lock_;
};

// Opens CD drives, reads their tables of contents and their audio sectors,
// choosing the read command that the drive takes and aligning successive
// reads on their overlap so that they join although the drive positions
// inexactly.
//
// Threads: any; operations on one handle are serialised by its lock (10 s at
// most), opening by one lock of its own.
class CdReader {
public:
    static constexpr int kHandles = 16;

    explicit CdReader(ScsiTransport& transport) : transport_(transport), emulation_(transport) {}
    CdReader(const CdReader&) = delete;
    CdReader& operator=(const CdReader&) = delete;

    // The library is started by a count: the first start scans the drives,
    // the last stop lets them go. Start is true when there is a CD drive.
    bool Start();
    void Stop();

    // The bus address of the drive of that index; nothing when it is not a
    // CD drive that answers.
    std::optional<ScsiAddress> FindDrive(int driveIndex) const;
    // Every CD device node of the last scan, answering or not.
    std::vector<AspiDriveEntry> DriveTable() const;
    // The CD device nodes of the machine now; a drive's index is its place here.
    std::vector<std::string> DrivePaths() { return transport_.DrivePaths(); }

    // A handle 1..16, or 0 when the drive cannot be opened or is open already.
    int OpenCD(std::span<const std::uint8_t> request);
    // 1, or 0 for a bad or idle handle. Puts back the drive's block length.
    int CloseCD(int handle);
    // 1 when the parameter is known and the value fits.
    int SetParameter(int handle, int which, int value);

    CdResult ReadTOC(int handle, TocArea& area);
    // Reads buffer.frameCount sectors from buffer.startFrame.
    CdResult ReadAudio(int handle, TrackBuffer& buffer);
    // The same, aligned on the overlap kept from the previous read.
    CdResult ReadAudioAligned(int handle, TrackBuffer& buffer, TrackBuffer& overlap);

    // The read method in use, 0 while it is still to be chosen.
    int Method(int handle);

private:
    struct DriveRecord {
        ScsiAddress address;
        std::uint8_t method = 0;
        bool inUse = false;
        bool msf = false;
        bool modeSet = false;
        bool restoreOnClose = false;
        std::uint32_t overlapCompare = 1;
        std::uint32_t rereadDistance = 3;
        std::optional<std::uint32_t> leadOut;  // from the last table of contents
    };

    // The record of a handle with its lock held.
    struct Locked {
        HeldDriveLock lock;
        DriveRecord& record;
    };
    // Nothing on a bad or idle handle or when the lock is not had within 10 s.
    std::optional<Locked> Lock(int handle);

    bool Send(const DriveRecord& record, std::span<const std::uint8_t> cdb, std::uint8_t* data,
              std::uint32_t length, std::uint8_t flags, bool wholeTransfer);
    bool SetBlockLength(DriveRecord& record);
    bool Restore(DriveRecord& record);
    bool ReadSectors(DriveRecord& record, TrackBuffer& buffer);
    bool ReadWithMethod(DriveRecord& record, std::uint8_t method, TrackBuffer& buffer);
    bool ChooseMethod(DriveRecord& record, TrackBuffer& buffer);
    bool ReadAligned(DriveRecord& record, TrackBuffer& buffer, TrackBuffer& overlap);

    ScsiTransport& transport_;
    AspiEmulation emulation_;
    mutable std::mutex libraryMutex_;
    int startCount_ = 0;
    std::mutex openMutex_;
    int nextSlot_ = 0;
    std::array<DriveRecord, kHandles> records_{};
    std::array<DriveLock, kHandles> locks_;
};

}  // namespace harkwell
