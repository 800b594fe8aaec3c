#pragma once

#include "cd/CdReader.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace harkwell {

// One track of the table of contents.
struct CdTrackEntry {
    int number = 0;  // as the disc numbers it
    std::uint32_t start = 0;
    std::uint32_t frames = 0;
    bool audio = true;
};

// What choosing a track ends with.
enum class [[nodiscard]] TrackChoice { Selected, NoSuchTrack, DataTrack };

// Reads one track of a disc as successive pieces, each aligned on the end of
// the one before.
class TrackReader {
public:
    static constexpr std::uint32_t kChunkFrames = 27;
    static constexpr std::uint32_t kOverlapFrames = 3;

    explicit TrackReader(CdReader& reader)
        : reader_(reader), readBuffer_(kChunkFrames + kOverlapFrames), overlapBuffer_(kOverlapFrames)
    {
    }
    ~TrackReader() { Close(); }
    TrackReader(const TrackReader&) = delete;
    TrackReader& operator=(const TrackReader&) = delete;

    // Opens the drive of that index and reads its table of contents.
    [[nodiscard]] bool OpenDrive(int driveIndex);
    // After a failed OpenDrive: the errno that kept the drive from opening, 0 if none did.
    int OpenError() const { return openError_; }
    void Close();

    // The track by its place in the table, from 0.
    TrackChoice SelectTrack(int track);
    // The next piece of the track; empty at its end or after a failed read.
    std::span<const std::uint8_t> ReadChunk();
    // The last ReadChunk came back empty because a read failed.
    bool Failed() const { return failed_; }

    int FirstTrack() const { return toc_[2]; }
    int LastTrack() const { return toc_[3]; }
    // The tracks the table lists, with their lengths.
    std::vector<CdTrackEntry> Tracks() const;
    std::uint32_t Position() const { return position_; }
    std::uint32_t TrackLength() const { return trackLength_; }

private:
    // The descriptor of that index, when the table holds it.
    const std::uint8_t* Descriptor(int index) const;

    CdReader& reader_;
    bool started_ = false;
    int handle_ = 0;
    int openError_ = 0;
    TocArea toc_{};
    TrackBuffer readBuffer_;
    TrackBuffer overlapBuffer_;
    std::uint32_t trackStart_ = 0;
    std::uint32_t trackLength_ = 0;
    std::uint32_t position_ = 0;
    bool failed_ = false;
};

}  // namespace harkwell
