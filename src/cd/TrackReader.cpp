#include "cd/TrackReader.h"

#include <algorithm>
#include <cerrno>

namespace harkwell {

namespace {
constexpr std::size_t kTocHeader = 4;
constexpr std::size_t kDescriptorBytes = 8;
constexpr std::uint8_t kDataTrackControl = 0x04;
}  // namespace

bool TrackReader::OpenDrive(int driveIndex)
{
    Close();
    openError_ = 0;
    started_ = true;
    const bool anyDrive = reader_.Start();
    const auto address = anyDrive ? reader_.FindDrive(driveIndex) : std::nullopt;
    if (!address) {
        const auto table = reader_.DriveTable();
        if (driveIndex >= 0 && driveIndex < static_cast<int>(table.size()))
            openError_ = table[static_cast<std::size_t>(driveIndex)].openError;
        return false;
    }
    CdOpenRequest request;
    request.address = *address;
    const auto bytes = request.Bytes();
    handle_ = reader_.OpenCD(bytes);
    if (handle_ == 0) return false;
    // Block addresses; MSF is not used.
    if (reader_.SetParameter(handle_, kParameterMsf, 0) != 1) return false;
    toc_.fill(0);
    if (reader_.ReadTOC(handle_, toc_) != CdResult::Ok) toc_.fill(0);
    return true;
}

void TrackReader::Close()
{
    // Closing puts the drive's block length back; a handle already gone needs nothing.
    if (handle_ != 0) (void)reader_.CloseCD(handle_);
    handle_ = 0;
    if (started_) reader_.Stop();
    started_ = false;
}

const std::uint8_t* TrackReader::Descriptor(int index) const
{
    // The table's own length says how many descriptors it holds.
    const std::size_t length = std::min<std::size_t>((std::size_t{toc_[0]} << 8 | toc_[1]) + 2, kTocBytes);
    if (index < 0) return nullptr;
    const std::size_t at = kTocHeader + static_cast<std::size_t>(index) * kDescriptorBytes;
    if (at + kDescriptorBytes > length) return nullptr;
    return &toc_[at];
}

std::vector<CdTrackEntry> TrackReader::Tracks() const
{
    std::vector<CdTrackEntry> tracks;
    for (int index = 0; index <= LastTrack() - FirstTrack() && FirstTrack() > 0; ++index) {
        const std::uint8_t* descriptor = Descriptor(index);
        const std::uint8_t* next = Descriptor(index + 1);
        if (descriptor == nullptr || next == nullptr) break;
        const std::uint32_t start = BigEndian32(descriptor + 4), end = BigEndian32(next + 4);
        tracks.push_back({descriptor[2], start, end > start ? end - start : 0,
                          (descriptor[1] & kDataTrackControl) == 0});
    }
    return tracks;
}

TrackChoice TrackReader::SelectTrack(int track)
{
    position_ = 0;
    failed_ = false;
    overlapBuffer_.length = 0;
    trackLength_ = 0;
    // The track counts places in the table, whatever number the disc gives its first track.
    if (handle_ == 0 || FirstTrack() == 0 || track < 0 || track > LastTrack() - FirstTrack())
        return TrackChoice::NoSuchTrack;
    const std::uint8_t* descriptor = Descriptor(track);
    const std::uint8_t* next = Descriptor(track + 1);
    if (descriptor == nullptr || next == nullptr) return TrackChoice::NoSuchTrack;
    const std::uint32_t start = BigEndian32(descriptor + 4), end = BigEndian32(next + 4);
    if (end <= start) return TrackChoice::NoSuchTrack;
    if (descriptor[1] & kDataTrackControl) return TrackChoice::DataTrack;
    trackStart_ = start;
    trackLength_ = end - start;
    return TrackChoice::Selected;
}

std::span<const std::uint8_t> TrackReader::ReadChunk()
{
    failed_ = false;
    if (handle_ == 0 || position_ >= trackLength_) return {};
    const std::uint32_t count = std::min(kChunkFrames, trackLength_ - position_);
    readBuffer_.startFrame = trackStart_ + position_;
    readBuffer_.frameCount = count;
    // Every piece is aligned on its overlap, the last and shortest too.
    if (reader_.ReadAudioAligned(handle_, readBuffer_, overlapBuffer_) != CdResult::Ok) {
        failed_ = true;
        return {};
    }
    position_ = readBuffer_.startFrame + readBuffer_.frameCount - trackStart_;
    return {readBuffer_.Valid(), readBuffer_.length};
}

}  // namespace harkwell
