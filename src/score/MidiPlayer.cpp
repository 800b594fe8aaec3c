#include "score/MidiPlayer.h"

#include "common/Music.h"
#include "score/MidiF0Data.h"
#include "score/MidiStatus.h"
#include "score/ScoreReports.h"

#include <algorithm>
#include <vector>

namespace harkwell {

namespace {
constexpr std::int32_t kSlowestTempo = 10;
constexpr std::int32_t kTempoWhenWrong = 60;
constexpr int kLeadInWaitMs = 50;
}  // namespace

MidiPlayer::MidiPlayer(MessageSink& sink, MidiOutDevices& devices, TimerService& timers)
    : sink_(sink), reports_(sink), devices_(devices), timers_(timers)
{
}

MidiPlayer::~MidiPlayer() { Release(); }

int MidiPlayer::Prepare(MidiF0Data* song, int device, std::int32_t startTick, std::int32_t& skippedTicks)
{
    skippedTicks = 0;
    if (song == nullptr || song->State() != track_state::kPlayable) {
        ReportPlayerError(sink_, PlayerError::Internal);
        return 0;
    }
    song_ = song;
    Release();
    output_ = std::make_unique<MidiControler>(devices_, reports_, device);
    if (!output_->IsOpen()) {
        output_.reset();
        playing = false;
        return 0;
    }
    // A device deaf to the GM reset still plays the song.
    (void)output_->ResetGM();
    stopRequest = false;
    playing = true;
    tempo_ = kStartTempo;
    speed_ = kNormalSpeed;

    const MidiTrackData& track = song->Track();
    if (startTick != 0) {
        MidiStatus status(sink_);
        playIndex_ = status.CollectUpTo(track, startTick, skippedTicks);
        std::vector<std::unique_ptr<MidiEvent>> events;
        events.reserve(MidiStatus::kMostEvents);
        status.MakeEvents(events);
        for (const auto& event : events) SendEvent(*event);
    } else {
        playIndex_ = 0;
    }

    // Everything before the first note goes out at once, with a little time
    // for the synth to take each program and controller.
    while (playIndex_ < track.Count() && track.Event(playIndex_).kind != event_kind::kNoteOn) {
        Advance(track.Event(playIndex_));
        timers_.SleepFor(kLeadInWaitMs);
    }
    if (playIndex_ >= track.Count()) return 0;

    const std::int32_t ticksPerMinute = TicksPerMinute();
    if (ticksPerMinute <= 0) {
        ReportPlayerError(sink_, PlayerError::TempoWrong);
        return 0;
    }
    const int minimum = timers_.MinimumPeriodMs();
    period_ = std::max(60000 / ticksPerMinute, minimum);
    return std::max(minimum, 1);
}

void MidiPlayer::SendEvent(const MidiEvent& event)
{
    if (!output_ && event.kind != event_kind::kMeta) return;
    // On the timer thread a message the port refuses is lost and the song
    // goes on; the controller has reported what it reports.
    switch (event.kind) {
    case event_kind::kNoteOff:
        (void)output_->NoteOff(event.note, event.channel);
        break;
    case event_kind::kNoteOn:
        (void)output_->NoteOn(event.note, event.velocity, event.channel);
        break;
    case event_kind::kControlChange:
        (void)output_->SendShort(event.value, event.number, 0xB0 + event.channel);
        break;
    case event_kind::kProgramChange:
        (void)output_->ProgramChange(event.value, event.channel);
        break;
    case event_kind::kPitchBend:
        (void)output_->SendShort(event.value, event.note, 0xE0 + event.channel);
        break;
    case event_kind::kSysEx:
    case event_kind::kSysExContinuation:
        (void)output_->SendSysEx(event.DataLength(), event.Data());
        break;
    case event_kind::kMeta:
        if (event.number == meta_type::kTempo) {
            const std::int32_t ms = event.value / 1000;
            if (ms <= 0) {
                ReportPlayerError(reports_, PlayerError::TempoWrong);
                tempo_ = kTempoWhenWrong;
            } else {
                tempo_ = TempoToBpm(reports_, event.value);
                if (tempo_ < kSlowestTempo) {
                    ReportPlayerError(reports_, PlayerError::TempoTooSlow);
                    tempo_ = kSlowestTempo;
                }
            }
        }
        break;
    default:
        break;
    }
}

std::int32_t MidiPlayer::Advance(const MidiEvent& event)
{
    SendEvent(event);
    ++playIndex_;
    if (song_ == nullptr || playIndex_ >= song_->Track().Count()) return -1;
    const std::int32_t delta = song_->Track().Event(playIndex_).delta;
    if (delta < 0) ReportPlayerError(reports_, PlayerError::MusicalDataInvalid);
    return delta;
}

void MidiPlayer::Release() { output_.reset(); }

std::int32_t MidiPlayer::TicksPerMinute() const
{
    const int division = song_ != nullptr ? song_->Division() : 0;
    return static_cast<std::int32_t>(division * speed_ * tempo_ * 0.01);
}

std::int32_t MidiPlayer::DeltaToMs(std::int32_t delta) const
{
    const std::int64_t ticksPerMinute = TicksPerMinute();
    if (ticksPerMinute == 0) return -1;
    return static_cast<std::int32_t>(std::int64_t{delta} * 60000 / ticksPerMinute);
}

}  // namespace harkwell
