#include "score/MidiTrackData.h"

#include "score/ScoreReports.h"

#include <algorithm>

namespace harkwell {

namespace {

constexpr std::int32_t kDefaultTempo = 500000;
constexpr std::int32_t kNoteOffVelocity = 64;

bool IsEndOfTrack(const MidiEvent& event)
{
    return event.kind == event_kind::kMeta && event.number == meta_type::kEndOfTrack;
}

std::int32_t ClampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

MidiTrackData::MidiTrackData(MessageSink& sink, std::int32_t capacity)
    : sink_(sink), capacity_(std::max(capacity, 0) / 3)
{
    events_.reserve(static_cast<std::size_t>(capacity_));
}

MidiTrackData::MidiTrackData(const MidiTrackData& source, std::int32_t capacity)
    : MidiTrackData(source.sink_, capacity)
{
    if (source.state_ != track_state::kEditing) {
        ReportTrackError(sink_, TrackError::Internal);
        return;
    }
    for (const auto& event : source.events_)
        if (!AppendEvent(std::make_unique<MidiEvent>(*event))) break;
    state_ = track_state::kEditing;
}

std::int64_t MidiTrackData::TotalTicks() const
{
    std::int64_t total = 0;
    for (const auto& event : events_) total += event->delta;
    return total;
}

bool MidiTrackData::AppendEvent(std::unique_ptr<MidiEvent> event)
{
    if (!event) return false;
    if (Full()) {
        ReportTrackError(sink_, TrackError::LargeData);
        return false;
    }
    events_.push_back(std::move(event));
    return true;
}

void MidiTrackData::AppendTempo(std::int32_t microsecondsPerQuarter)
{
    if (microsecondsPerQuarter <= 0) {
        ReportTrackError(sink_, TrackError::TempoDataWrong);
        microsecondsPerQuarter = kDefaultTempo;
    }
    auto event = std::make_unique<MidiEvent>(0);
    event->MakeTempo(microsecondsPerQuarter, sink_);
    // A full table has reported "Large data" and dropped the event.
    (void)AppendEvent(std::move(event));
}

void MidiTrackData::AppendEndOfTrack(std::int32_t delta)
{
    if (!events_.empty() && IsEndOfTrack(*events_.back())) return;
    auto event = std::make_unique<MidiEvent>(delta);
    event->kind = event_kind::kMeta;
    event->number = meta_type::kEndOfTrack;
    static constexpr std::uint8_t kBytes[3] = {0xFF, 0x2F, 0x00};
    // Data that cannot be stored has been reported; the event keeps its kind
    // and values. A full table has reported and dropped it.
    (void)event->SetData(kBytes, 3, sink_);
    (void)AppendEvent(std::move(event));
}

void MidiTrackData::AddNote(std::int32_t channel, std::int32_t delta, std::int32_t note, std::int32_t velocity,
                            std::int32_t duration)
{
    if (Full()) return;
    auto event = std::make_unique<MidiEvent>(delta);
    event->kind = event_kind::kNote;
    event->channel = channel;
    event->note = note;
    event->velocity = velocity;
    event->duration = duration;
    static constexpr std::uint8_t kBytes[1] = {0x10};
    // As for the end of track: every failure here has been reported.
    (void)event->SetData(kBytes, 1, sink_);
    (void)InsertEvent(Count() - 1, 1, std::move(event));
}

void MidiTrackData::AddProgramChange(std::int32_t channel, std::int32_t program)
{
    auto event = std::make_unique<MidiEvent>(0);
    event->kind = event_kind::kProgramChange;
    event->channel = channel;
    event->value = program;
    const std::uint8_t bytes[2] = {0xC0, static_cast<std::uint8_t>(program)};
    // As for the end of track: every failure here has been reported.
    (void)event->SetData(bytes, 2, sink_);
    (void)InsertEvent(Count() - 1, 1, std::move(event));
}

bool MidiTrackData::InsertEvent(std::int32_t position, std::int32_t mode, std::unique_ptr<MidiEvent> event)
{
    if (!event) return false;
    const std::int32_t index = mode == 2 ? position : position + 1;
    if (index < 0 || index > Count()) {
        ReportTrackError(sink_, TrackError::InvalidParameter);
        return false;
    }
    if (Full()) {
        ReportTrackError(sink_, TrackError::LargeData);
        return false;
    }
    events_.insert(events_.begin() + index, std::move(event));
    return true;
}

void MidiTrackData::RemoveDeleted()
{
    std::int32_t i = 0;
    while (i < Count()) {
        if (Event(i).kind != event_kind::kDeleted) {
            ++i;
            continue;
        }
        if (i + 1 < Count()) {
            const std::int64_t sum = std::int64_t{Event(i + 1).delta} + Event(i).delta;
            if (sum < 0) ReportTrackError(sink_, TrackError::Internal);
            Event(i + 1).delta = ClampToInt32(sum);
        }
        events_.erase(events_.begin() + i);
    }
}

std::int32_t MidiTrackData::ChangeDivision(std::int32_t oldDivision, std::int32_t newDivision, std::int32_t mode)
{
    if (oldDivision == newDivision) return 0;
    if (state_ != track_state::kEditing) {
        ReportTrackError(sink_, TrackError::Internal);
        return 0;
    }
    if (oldDivision <= 0 || newDivision <= 0) {
        ReportTrackError(sink_, TrackError::InvalidParameter);
        return 0;
    }
    std::int32_t flag = 0;
    std::int64_t carry = 0;
    for (auto& event : events_) {
        const std::int64_t t = event->delta + carry;
        const std::int64_t scaled = t * newDivision / oldDivision;
        carry = t - scaled * oldDivision / newDivision;
        event->delta = ClampToInt32(scaled);
        if (event->kind == event_kind::kNote) {
            event->duration = ClampToInt32(std::int64_t{event->duration} * newDivision / oldDivision);
            if (event->duration == 0) {
                if (mode == 1)
                    event->kind = event_kind::kDeleted;
                else
                    event->duration = 1;
                flag = 1;
            }
        }
    }
    RemoveDeleted();
    return flag;
}

void MidiTrackData::MoveEvent(std::int32_t from, std::int32_t to)
{
    auto moved = std::move(events_[static_cast<std::size_t>(from)]);
    events_.erase(events_.begin() + from);
    events_.insert(events_.begin() + to, std::move(moved));
}

void MidiTrackData::ToPlayable()
{
    if (state_ != track_state::kEditing) {
        ReportTrackError(sink_, TrackError::Internal);
        return;
    }
    for (auto& event : events_)
        if (event->kind == event_kind::kNote && (event->duration == 0 || event->velocity == 0))
            event->kind = event_kind::kDeleted;
    RemoveDeleted();

    // Every note needs a place for its note-off: a track without the room is
    // left in the editing form rather than played with hanging notes.
    const auto notes = std::count_if(events_.begin(), events_.end(),
                                     [](const auto& event) { return event->kind == event_kind::kNote; });
    if (Count() + notes > capacity_) {
        ReportTrackError(sink_, TrackError::LargeData);
        return;
    }

    for (std::int32_t i = 0; i < Count(); ++i) {
        MidiEvent& noteOn = Event(i);
        if (noteOn.kind != event_kind::kNote) continue;
        noteOn.kind = event_kind::kNoteOn;
        const std::int64_t d = std::max(noteOn.duration, 0);
        noteOn.duration = 0;

        auto noteOff = std::make_unique<MidiEvent>(0);
        noteOff->kind = event_kind::kNoteOff;
        noteOff->note = noteOn.note;
        noteOff->channel = noteOn.channel;
        noteOff->velocity = kNoteOffVelocity;

        std::int64_t sum = 0;
        std::int32_t j = i + 1;
        for (; j < Count(); ++j) {
            sum += Event(j).delta;
            if (sum >= d) break;
        }
        if (j < Count()) {
            const std::int64_t overshoot = sum - d;
            noteOff->delta = ClampToInt32(Event(j).delta - overshoot);
            Event(j).delta = ClampToInt32(overshoot);
            events_.insert(events_.begin() + j, std::move(noteOff));
        } else {
            noteOff->delta = ClampToInt32(d - sum);
            events_.push_back(std::move(noteOff));
        }
    }

    const auto end = std::find_if(events_.begin(), events_.end(), [](const auto& event) { return IsEndOfTrack(*event); });
    if (end != events_.end() && end + 1 != events_.end()) {
        const auto index = static_cast<std::int32_t>(end - events_.begin());
        Event(index + 1).delta = ClampToInt32(std::int64_t{Event(index + 1).delta} + Event(index).delta);
        Event(index).delta = 0;
        MoveEvent(index, Count() - 1);
    }

    state_ = track_state::kPlayable;
    OrderNoteOffs();
}

void MidiTrackData::OrderNoteOffs()
{
    if (state_ != track_state::kPlayable) {
        ReportTrackError(sink_, TrackError::Internal);
        return;
    }
    // A note-off goes ahead of every note-on struck at its own tick, so that a
    // note released and struck again at that tick is released first. The events
    // in between keep their order, and every place keeps its delta.
    for (std::int32_t i = 1; i < Count(); ++i) {
        if (Event(i).kind != event_kind::kNoteOff) continue;
        std::int32_t target = -1;
        for (std::int32_t j = i - 1; j >= 0 && Event(j + 1).delta == 0; --j)
            if (Event(j).kind == event_kind::kNoteOn) target = j;
        if (target < 0) continue;
        // Rotate [target, i] right by one; the places' deltas stay.
        const std::int32_t firstDelta = Event(target).delta;
        Event(target).delta = 0;
        Event(i).delta = firstDelta;
        MoveEvent(i, target);
    }
}

void MidiTrackData::SwapEvents(std::int32_t i, std::int32_t j)
{
    if (i == j || i < 0 || j < 0 || i >= Count() || j >= Count()) return;
    auto& a = events_[static_cast<std::size_t>(i)];
    auto& b = events_[static_cast<std::size_t>(j)];
    std::swap(a->delta, b->delta);
    std::swap(a, b);
}

std::int32_t MidiTrackData::FindTimeSignature(std::int32_t& packed) const
{
    for (const auto& event : events_) {
        if (event->kind == event_kind::kMeta && event->number == meta_type::kTimeSignature) {
            packed = event->value;
            return 1;
        }
    }
    return 0;
}

}  // namespace harkwell
