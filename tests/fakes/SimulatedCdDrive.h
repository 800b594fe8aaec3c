#pragma once

#include "cd/ScsiTransport.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace harkwell::testing {

inline constexpr std::uint32_t kSimFrameBytes = 2352;

// An in-memory disc: tracks of noise (each its own, so that no two places
// look alike), data tracks, silent stretches and the lead-out after the last.
class SimulatedDisc {
public:
    struct Track {
        std::uint32_t frames = 0;
        bool audio = true;
    };

    explicit SimulatedDisc(const std::vector<Track>& tracks, std::uint32_t seed = 1)
    {
        std::uint32_t lba = 0;
        for (const Track& track : tracks) {
            starts_.push_back(lba);
            audio_.push_back(track.audio);
            lba += track.frames;
        }
        leadOut_ = lba;
        bytes_.resize(std::size_t{lba} * kSimFrameBytes);
        std::uint32_t state = seed * 2654435761u + 1;
        for (std::size_t i = 0; i + 4 <= bytes_.size(); i += 4) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            std::memcpy(&bytes_[i], &state, 4);
        }
    }

    // Frames of silence from a block address on.
    SimulatedDisc& Silence(std::uint32_t lba, std::uint32_t frames)
    {
        std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(std::size_t{lba} * kSimFrameBytes),
                    std::size_t{frames} * kSimFrameBytes, std::uint8_t{0});
        return *this;
    }

    int TrackCount() const { return static_cast<int>(starts_.size()); }
    std::uint32_t Start(int track) const { return starts_[static_cast<std::size_t>(track)]; }
    std::uint32_t End(int track) const
    {
        return track + 1 < TrackCount() ? Start(track + 1) : leadOut_;
    }
    bool Audio(int track) const { return audio_[static_cast<std::size_t>(track)]; }
    std::uint32_t LeadOut() const { return leadOut_; }
    bool AudioAt(std::uint32_t lba) const
    {
        for (int t = TrackCount() - 1; t >= 0; --t)
            if (lba >= Start(t)) return Audio(t);
        return true;
    }
    // The bytes of a track (counted from 0), as a rip must give them back.
    std::vector<std::uint8_t> TrackBytes(int track) const
    {
        return {bytes_.begin() + static_cast<std::ptrdiff_t>(std::size_t{Start(track)} * kSimFrameBytes),
                bytes_.begin() + static_cast<std::ptrdiff_t>(std::size_t{End(track)} * kSimFrameBytes)};
    }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

    // The READ TOC answer: first and last track, a descriptor each, then the lead-out.
    std::vector<std::uint8_t> Toc(int firstTrack = 1) const
    {
        std::vector<std::uint8_t> toc(4);
        const auto descriptor = [&](std::uint8_t number, std::uint8_t control, std::uint32_t lba) {
            const std::uint8_t bytes[8] = {0, static_cast<std::uint8_t>(0x10 | control), number, 0,
                                           static_cast<std::uint8_t>(lba >> 24), static_cast<std::uint8_t>(lba >> 16),
                                           static_cast<std::uint8_t>(lba >> 8), static_cast<std::uint8_t>(lba)};
            toc.insert(toc.end(), bytes, bytes + 8);
        };
        for (int t = 0; t < TrackCount(); ++t)
            descriptor(static_cast<std::uint8_t>(firstTrack + t), Audio(t) ? 0 : 4, Start(t));
        descriptor(0xAA, 0, leadOut_);
        const std::size_t length = toc.size() - 2;
        toc[0] = static_cast<std::uint8_t>(length >> 8);
        toc[1] = static_cast<std::uint8_t>(length);
        toc[2] = TrackCount() > 0 ? static_cast<std::uint8_t>(firstTrack) : 0;
        toc[3] = TrackCount() > 0 ? static_cast<std::uint8_t>(firstTrack + TrackCount() - 1) : 0;
        return toc;
    }

private:
    std::vector<std::uint32_t> starts_;
    std::vector<bool> audio_;
    std::uint32_t leadOut_ = 0;
    std::vector<std::uint8_t> bytes_;
};

// A CD drive at the transport seam over a SimulatedDisc. Its switches say
// which commands it takes and how well it positions; it keeps every command.
//
// Threads: any; the switches are set before the drive is used.
class SimulatedCdDrive final : public ScsiTransport {
public:
    enum class Read { CdAll, CdUserData, Read10, VendorD8, VendorD4 };
    enum class ModeSelect { Short, Pages, Vendor };

    struct Command {
        std::vector<std::uint8_t> cdb;
        ScsiDirection direction;
        std::vector<std::uint8_t> sent;  // parameter data carried to the drive
    };

    explicit SimulatedCdDrive(std::optional<SimulatedDisc> inserted) : disc(std::move(inserted)) {}

    // --- switches ---
    std::string path = "/dev/sr0";
    bool present = true;              // the device node exists
    int openError = 0;                // errno every open answers with (EACCES: no rights)
    std::optional<SimulatedDisc> disc;  // nothing: no disc
    int firstTrackNumber = 1;
    bool emptyToc = false;              // the table lists first and last track 0
    std::set<Read> reads{Read::CdAll};  // read commands it takes
    std::set<Read> ignoredReads;        // taken and reported done, but the buffer is left alone
    std::set<ModeSelect> modeSelects;   // MODE SELECT forms it takes
    // Bytes the start of each read is off by, in turn from each open (negative: early).
    std::vector<int> positionErrors;
    std::set<std::uint32_t> mediaErrors;  // sectors that cannot be read
    int busyCommands = 0;                 // the next commands answer "becoming ready"
    std::optional<ScsiAddress> address = ScsiAddress{1, 2, 0};
    // Called with the block address of every audio read, under the drive's lock.
    std::function<void(std::uint32_t lba)> onRead;

    // --- what happened ---
    std::vector<Command> Commands() const
    {
        std::lock_guard lock(mutex_);
        return commands_;
    }
    int Opens() const
    {
        std::lock_guard lock(mutex_);
        return opens_;
    }
    int OpenHandles() const
    {
        std::lock_guard lock(mutex_);
        return static_cast<int>(handles_.size());
    }
    std::uint32_t BlockLength() const
    {
        std::lock_guard lock(mutex_);
        return blockLength_;
    }
    // The read commands with their first byte and block address.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ReadRequests() const
    {
        std::lock_guard lock(mutex_);
        return readRequests_;
    }

    std::vector<std::string> DrivePaths() override
    {
        if (!present) return {};
        return {path};
    }

    ScsiOpenResult Open(const std::string& opened) override
    {
        std::lock_guard lock(mutex_);
        if (!present || opened != path) return {-1, ENOENT};
        if (openError != 0) return {-1, openError};
        ++opens_;
        readIndex_ = 0;  // the position errors start over with each open
        handles_.insert(nextHandle_);
        return {nextHandle_++, 0};
    }

    void Close(int handle) override
    {
        std::lock_guard lock(mutex_);
        handles_.erase(handle);
    }

    std::optional<ScsiAddress> Address(int) override { return address; }

    ScsiOutcome Execute(int handle, const ScsiCommand& command) override
    {
        std::lock_guard lock(mutex_);
        Command kept{{command.cdb.begin(), command.cdb.end()}, command.direction, {}};
        if (command.direction == ScsiDirection::ToDevice && command.data != nullptr)
            kept.sent.assign(command.data, command.data + command.length);
        commands_.push_back(kept);
        ScsiOutcome outcome;
        if (!handles_.count(handle)) {
            outcome.systemError = EBADF;
            return outcome;
        }
        // A drive that is becoming ready still tells what it is.
        if (busyCommands > 0 && kept.cdb.at(0) != 0x12) {
            --busyCommands;
            return Refuse(sense::kNotReady, sense::kAscBecomingReady, 0x01);
        }
        const std::vector<std::uint8_t>& cdb = kept.cdb;
        switch (cdb.at(0)) {
        case 0x12: return Inquiry(command);
        case 0x43: return ReadToc(command);
        case 0x15: return ModeSelectCommand(kept);
        case 0xBE: return AudioRead(cdb[9] == 0xF0 ? Read::CdAll : Read::CdUserData, cdb, cdb[8], command);
        case 0x28: return AudioRead(Read::Read10, cdb, cdb[8], command);
        case 0xD8: return AudioRead(Read::VendorD8, cdb, cdb[9], command);
        case 0xD4: return AudioRead(Read::VendorD4, cdb, cdb[8], command);
        default: return Refuse(sense::kIllegalRequest, sense::kAscInvalidCommand);
        }
    }

private:
    static ScsiOutcome Refuse(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq = 0)
    {
        ScsiOutcome outcome;
        outcome.targetStatus = 2;
        FillSense(outcome.senseBytes, {key, asc, ascq});
        return outcome;
    }

    static ScsiOutcome Deliver(const ScsiCommand& command, const std::uint8_t* bytes, std::size_t count)
    {
        ScsiOutcome outcome;
        outcome.good = true;
        outcome.transferred = std::min(count, command.length);
        std::memcpy(command.data, bytes, outcome.transferred);
        return outcome;
    }

    ScsiOutcome Inquiry(const ScsiCommand& command)
    {
        std::uint8_t answer[36] = {5, 0x80, 0, 0x32, 31};
        std::memcpy(answer + 8, "SIMULATE", 8);
        std::memcpy(answer + 16, "CD DRIVE        ", 16);
        return Deliver(command, answer, sizeof answer);
    }

    ScsiOutcome ReadToc(const ScsiCommand& command)
    {
        if (!disc) return Refuse(sense::kNotReady, sense::kAscNoMedium);
        std::vector<std::uint8_t> toc = disc->Toc(firstTrackNumber);
        if (emptyToc) toc[2] = toc[3] = 0;
        return Deliver(command, toc.data(), toc.size());
    }

    ScsiOutcome ModeSelectCommand(const Command& kept)
    {
        const auto& cdb = kept.cdb;
        const ModeSelect form = cdb[1] == 0 ? ModeSelect::Short : cdb[4] == 0x14 ? ModeSelect::Pages : ModeSelect::Vendor;
        if (kept.direction != ScsiDirection::ToDevice || kept.sent.size() < cdb[4] || !modeSelects.count(form))
            return Refuse(sense::kIllegalRequest, sense::kAscInvalidField);
        const auto& list = kept.sent;
        if (form == ModeSelect::Short) blockLength_ = std::uint32_t{list[10]} << 8 | list[11];
        // The second page of the pair puts the drive into 2352-byte sectors.
        if (form == ModeSelect::Pages && list[12] == 0x01) blockLength_ = kSimFrameBytes;
        if (form == ModeSelect::Vendor) blockLength_ = kSimFrameBytes;
        ScsiOutcome outcome;
        outcome.good = true;
        outcome.transferred = kept.sent.size();
        return outcome;
    }

    ScsiOutcome AudioRead(Read kind, const std::vector<std::uint8_t>& cdb, std::uint32_t count,
                          const ScsiCommand& command)
    {
        const std::uint32_t lba = std::uint32_t{cdb[3]} << 16 | std::uint32_t{cdb[4]} << 8 | cdb[5];
        readRequests_.emplace_back(cdb[0], lba);
        if (onRead) onRead(lba);
        if (!reads.count(kind)) {
            // Without the raw-I/O capability the kernel itself refuses the vendor reads.
            if (kind == Read::VendorD4 || kind == Read::VendorD8) {
                ScsiOutcome outcome;
                outcome.systemError = EPERM;
                return outcome;
            }
            return Refuse(sense::kIllegalRequest, sense::kAscInvalidCommand);
        }
        if (!disc) return Refuse(sense::kNotReady, sense::kAscNoMedium);
        if (kind == Read::Read10 && blockLength_ != kSimFrameBytes)
            return Refuse(sense::kIllegalRequest, sense::kAscIllegalModeForTrack);
        if (count == 0 || lba + count > disc->LeadOut()) return Refuse(sense::kIllegalRequest, sense::kAscLbaOutOfRange);
        for (std::uint32_t s = lba; s < lba + count; ++s) {
            if (!disc->AudioAt(s)) return Refuse(sense::kIllegalRequest, sense::kAscIllegalModeForTrack);
            if (mediaErrors.count(s)) return Refuse(sense::kMediumError, sense::kAscUnrecoveredRead);
        }
        const std::size_t length = std::size_t{count} * kSimFrameBytes;
        if (command.length < length) return Refuse(sense::kIllegalRequest, sense::kAscInvalidField);
        if (ignoredReads.count(kind)) {
            ScsiOutcome outcome;
            outcome.good = true;
            outcome.transferred = length;
            return outcome;
        }
        long long from = static_cast<long long>(lba) * kSimFrameBytes;
        if (!positionErrors.empty()) from += positionErrors[readIndex_++ % positionErrors.size()];
        const long long last = static_cast<long long>(disc->LeadOut()) * kSimFrameBytes - static_cast<long long>(length);
        from = std::clamp(from, 0LL, last);
        return Deliver(command, disc->Bytes().data() + from, length);
    }

    mutable std::mutex mutex_;
    std::vector<Command> commands_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> readRequests_;
    std::set<int> handles_;
    int nextHandle_ = 3;
    int opens_ = 0;
    std::uint32_t blockLength_ = 2048;
    std::size_t readIndex_ = 0;
};

}  // namespace harkwell::testing
