#pragma once

#include "common/MessageSink.h"
#include "score/MusicEvent.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace harkwell {

// States of a track and of a song.
namespace track_state {
inline constexpr std::int32_t kConstructed = -1;
inline constexpr std::int32_t kPlayable = 1;  // notes are note-on/note-off pairs
inline constexpr std::int32_t kEditing = 2;   // notes are single events with a duration
}  // namespace track_state

// The capacity figure every song passes; it gives 0x20000 events.
inline constexpr std::int32_t kTrackCapacity = 0x60000;

// One MIDI track: a table of events in time order with delta times. The table
// is sized once at construction (capacity / 3 events) and never grows.
class MidiTrackData {
public:
    MidiTrackData(MessageSink& sink, std::int32_t capacity);
    // A deep copy of a track in the editing form; any other source reports
    // and leaves the copy empty.
    MidiTrackData(const MidiTrackData& source, std::int32_t capacity);
    MidiTrackData(const MidiTrackData&) = delete;
    MidiTrackData& operator=(const MidiTrackData&) = delete;

    std::int32_t Count() const { return static_cast<std::int32_t>(events_.size()); }
    std::int32_t Capacity() const { return capacity_; }
    std::int32_t State() const { return state_; }
    void SetState(std::int32_t state) { state_ = state; }
    MidiEvent& Event(std::int32_t index) { return *events_[static_cast<std::size_t>(index)]; }
    const MidiEvent& Event(std::int32_t index) const { return *events_[static_cast<std::size_t>(index)]; }
    // Sum of every delta: the length of the track in ticks.
    std::int64_t TotalTicks() const;

    // Appends the event; a full table reports "Large data" and drops it.
    [[nodiscard]] bool AppendEvent(std::unique_ptr<MidiEvent> event);
    // A tempo event at delta 0; a tempo of 0 (or less) reports and uses 500000.
    void AppendTempo(std::int32_t microsecondsPerQuarter);
    // Nothing when the last event already ends the track.
    void AppendEndOfTrack(std::int32_t delta);
    // A note with its duration at the end of the table; nothing when it is full.
    void AddNote(std::int32_t channel, std::int32_t delta, std::int32_t note, std::int32_t velocity,
                 std::int32_t duration);
    void AddProgramChange(std::int32_t channel, std::int32_t program);
    // Stores the event at position (mode 2) or position + 1 (other modes).
    [[nodiscard]] bool InsertEvent(std::int32_t position, std::int32_t mode, std::unique_ptr<MidiEvent> event);
    void RemoveDeleted();
    // Rescales every time from one division to another; 1 when a note's
    // duration came out 0 (deleted in mode 1, made 1 tick otherwise).
    std::int32_t ChangeDivision(std::int32_t oldDivision, std::int32_t newDivision, std::int32_t mode);
    void ToPlayable();
    void OrderNoteOffs();
    // Exchanges two events while each place keeps its delta.
    void SwapEvents(std::int32_t i, std::int32_t j);
    // 1 and the packed value of the first time signature, or 0.
    std::int32_t FindTimeSignature(std::int32_t& packed) const;

private:
    bool Full() const { return Count() >= capacity_; }
    void MoveEvent(std::int32_t from, std::int32_t to);

    MessageSink& sink_;
    std::int32_t capacity_;
    std::int32_t state_ = track_state::kConstructed;
    std::vector<std::unique_ptr<MidiEvent>> events_;
};

}  // namespace harkwell
