#pragma once

#include "common/ByteBlock.h"
#include "common/MessageSink.h"

#include <cstdint>

namespace harkwell {

// Kinds of event: the status byte's upper nibble without the channel, or the
// whole status byte for system and meta events.
namespace event_kind {
inline constexpr std::int32_t kDeleted = 0;
inline constexpr std::int32_t kNote = 16;  // a note with its duration (editing form)
inline constexpr std::int32_t kNoteOff = 128;
inline constexpr std::int32_t kNoteOn = 144;
inline constexpr std::int32_t kControlChange = 176;
inline constexpr std::int32_t kProgramChange = 192;
inline constexpr std::int32_t kPitchBend = 224;
inline constexpr std::int32_t kSysEx = 240;
inline constexpr std::int32_t kSysExContinuation = 247;
inline constexpr std::int32_t kMeta = 255;
}  // namespace event_kind

namespace meta_type {
inline constexpr std::int32_t kEndOfTrack = 47;
inline constexpr std::int32_t kTempo = 81;
inline constexpr std::int32_t kTimeSignature = 88;
}  // namespace meta_type

inline constexpr std::int32_t kNoChannel = 255;
// Attached data longer than this is kept but reported.
inline constexpr std::int32_t kLargestEventData = 256;

// One event of a score, stamped with the ticks since the event before it. It
// owns its attached data bytes (zero-filled, 8 bytes more than their count).
class MusicEvent {
public:
    MusicEvent() = default;
    explicit MusicEvent(std::int32_t delta_) : delta(delta_) {}
    MusicEvent(const MusicEvent& other);
    MusicEvent& operator=(const MusicEvent& other);
    MusicEvent(MusicEvent&&) noexcept = default;
    MusicEvent& operator=(MusicEvent&&) noexcept = default;
    ~MusicEvent() = default;

    // Replaces the data with a copy of the bytes. A length of 0 (or less), or no
    // bytes, changes nothing. More than 256 bytes are stored and then reported.
    // Returns false when the bytes could not be stored.
    [[nodiscard]] bool SetData(const std::uint8_t* bytes, std::int32_t length, MessageSink& sink);
    const std::uint8_t* Data() const { return data_.data(); }
    std::int32_t DataLength() const { return dataLength_; }
    void FreeData();

    std::int32_t kind = 0;
    std::int32_t delta = 0;
    std::int32_t note = 0;
    std::int32_t duration = 0;
    std::int32_t velocity = 0;
    std::int32_t number = 0;
    std::int32_t value = 0;

private:
    void CopyFrom(const MusicEvent& other);

    std::int32_t dataLength_ = 0;
    ByteBlock data_;
};

// An event of a track: a MusicEvent with its MIDI channel (255 for none).
class MidiEvent : public MusicEvent {
public:
    MidiEvent() = default;
    explicit MidiEvent(std::int32_t delta_) : MusicEvent(delta_) {}

    // A tempo meta event: its value and three big-endian data bytes.
    void MakeTempo(std::int32_t microsecondsPerQuarter, MessageSink& sink);

    std::int32_t channel = kNoChannel;
};

}  // namespace harkwell
