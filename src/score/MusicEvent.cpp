#include "score/MusicEvent.h"

#include "score/ScoreReports.h"

#include <cstring>

namespace harkwell {

namespace {
constexpr std::size_t kDataSlack = 8;
}

MusicEvent::MusicEvent(const MusicEvent& other)
    : kind(other.kind),
      delta(other.delta),
      note(other.note),
      duration(other.duration),
      velocity(other.velocity),
      number(other.number),
      value(other.value)
{
    CopyFrom(other);
}

MusicEvent& MusicEvent::operator=(const MusicEvent& other)
{
    if (this == &other) return *this;
    kind = other.kind;
    delta = other.delta;
    note = other.note;
    duration = other.duration;
    velocity = other.velocity;
    number = other.number;
    value = other.value;
    CopyFrom(other);
    return *this;
}

void MusicEvent::CopyFrom(const MusicEvent& other)
{
    FreeData();
    if (!other.data_ || other.dataLength_ <= 0) return;
    const auto size = static_cast<std::size_t>(other.dataLength_) + kDataSlack;
    ByteBlock copy = ByteBlock::AllocateZeroed(size);
    if (!copy) return;  // out of memory: the copy goes without data
    std::memcpy(copy.data(), other.data_.data(), static_cast<std::size_t>(other.dataLength_));
    data_ = std::move(copy);
    dataLength_ = other.dataLength_;
}

bool MusicEvent::SetData(const std::uint8_t* bytes, std::int32_t length, MessageSink& sink)
{
    if (length <= 0) return true;
    if (bytes == nullptr) {
        ReportMusicEventError(sink, MusicEventError::DataError);
        return false;
    }
    ByteBlock block = AllocZeroed(sink, static_cast<std::size_t>(length) + kDataSlack);
    if (!block) return false;
    std::memcpy(block.data(), bytes, static_cast<std::size_t>(length));
    data_ = std::move(block);
    dataLength_ = length;
    if (length > kLargestEventData) ReportMusicEventError(sink, MusicEventError::DataTooLarge);
    return true;
}

void MusicEvent::FreeData()
{
    data_.Reset();
    dataLength_ = 0;
}

void MidiEvent::MakeTempo(std::int32_t microsecondsPerQuarter, MessageSink& sink)
{
    kind = event_kind::kMeta;
    number = meta_type::kTempo;
    channel = kNoChannel;
    value = microsecondsPerQuarter;
    const auto tempo = static_cast<std::uint32_t>(microsecondsPerQuarter);
    const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(tempo >> 16), static_cast<std::uint8_t>(tempo >> 8),
                                   static_cast<std::uint8_t>(tempo)};
    // Data that cannot be stored has been reported; the tempo lives on in value.
    (void)SetData(bytes, 3, sink);
}

}  // namespace harkwell
