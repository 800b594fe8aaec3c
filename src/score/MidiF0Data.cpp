#include "score/MidiF0Data.h"

#include "common/ErrorReport.h"
#include "score/ScoreReports.h"

namespace harkwell {

namespace {
constexpr int kPollMs = 100;
constexpr int kStartPollMs = 50;
constexpr int kStopAskPolls = 50;
constexpr int kGiveUpPolls = 101;
constexpr int kActivePolls = 31;
constexpr int kIdlePolls = 21;
constexpr int kSettleMs = 1000;
}  // namespace

MidiF0Data::MidiF0Data(MessageSink& sink, MusicPlayer& player, std::int32_t capacity)
    : sink_(sink), player_(player), track_(std::make_unique<MidiTrackData>(sink, capacity))
{
    track_->SetState(track_state::kEditing);
}

MidiF0Data::MidiF0Data(const MidiF0Data& source)
    : sink_(source.sink_),
      player_(source.player_),
      division_(source.division_),
      state_(source.state_),
      timeSignature_(source.timeSignature_),
      track_(std::make_unique<MidiTrackData>(*source.track_, kTrackCapacity))
{
}

MidiF0Data::~MidiF0Data()
{
    if (playThread_.joinable() && !playThreadDone_) {
        player_.RequestStop();
        player_.KillTimer();
    }
    JoinPlayThread();
    playCopy_.reset();
}

void MidiF0Data::ToPlayable()
{
    if (state_ != track_state::kEditing) {
        ReportSongError(sink_, SongError::Internal);
        return;
    }
    track_->ToPlayable();
    state_ = track_->State();
}

std::int32_t MidiF0Data::SetDivision(std::int32_t division)
{
    const std::int32_t flag = track_->ChangeDivision(division_, division, 0);
    if (division > 0 && track_->State() == track_state::kEditing) division_ = division;
    return flag;
}

std::int32_t MidiF0Data::MeasureTicks() const
{
    std::int32_t packed = timeSignature_;
    if (packed == 0 && track_->FindTimeSignature(packed) == 0) packed = 0;
    const std::int32_t denominator = packed & 0xFF;
    const std::int32_t numerator = packed / 256;
    if (packed == 0 || division_ == 0 || denominator == 0) return kDefaultMeasureTicks;
    const auto ticks = static_cast<std::int32_t>(4.0 / denominator * numerator * division_);
    // A signature that gives no ticks would leave nothing to count bars with.
    return ticks > 0 ? ticks : kDefaultMeasureTicks;
}

std::int32_t MidiF0Data::FirstMeasureStart()
{
    if (state_ != track_state::kPlayable && state_ != track_state::kEditing) {
        ReportSongError(sink_, SongError::Internal);
        return 0;
    }
    const std::int32_t noteKind = state_ == track_state::kPlayable ? event_kind::kNoteOn : event_kind::kNote;
    std::int64_t t = 0;
    for (std::int32_t i = 0; i < track_->Count(); ++i) {
        t += track_->Event(i).delta;
        if (track_->Event(i).kind == noteKind) break;
    }
    const std::int64_t measure = MeasureTicks();
    const std::int64_t start = t / measure * measure;

    std::int64_t sum = 0;
    for (std::int32_t i = 0; i < track_->Count(); ++i) {
        MidiEvent& event = track_->Event(i);
        sum += event.delta;
        if (sum <= start) {
            event.delta = 0;
        } else {
            event.delta = static_cast<std::int32_t>(sum - start);
            break;
        }
    }
    return static_cast<std::int32_t>(start);
}

void MidiF0Data::WaitForPlayThread()
{
    if (!playThread_.joinable()) return;
    for (int poll = 1; !playThreadDone_; ++poll) {
        if (poll == kStopAskPolls) player_.RequestStop();
        if (poll > kGiveUpPolls) {
            ReportGeneralError(sink_, GeneralError::QuitAndRestart);
            player_.KillTimer();
            break;
        }
        player_.Timers().SleepFor(kPollMs);
    }
    JoinPlayThread();
}

void MidiF0Data::JoinPlayThread()
{
    if (playThread_.joinable()) playThread_.join();
}

void MidiF0Data::Play(EndCallback endCallback, ProgressCallback progressCallback, std::int32_t fromFirstMeasure)
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    // The earlier play thread may still be playing the earlier copy: it ends
    // before that copy goes.
    WaitForPlayThread();
    playCopy_.reset();

    auto copy = std::make_unique<MidiF0Data>(*this);
    copy->SetDivision(kPlayDivision);
    copy->ToPlayable();
    const std::int32_t start = fromFirstMeasure == 1 ? copy->FirstMeasureStart() : 0;
    playCopy_ = std::move(copy);
    if (progressCallback) progressCallback(0, start, nullptr);

    MidiF0Data* song = playCopy_.get();
    MusicPlayer& player = player_;
    playThreadDone_ = false;
    player_.SetIdle(false);
    playThread_ = std::thread([&player, song, start, endCallback, progressCallback, this] {
        if (player.Start(song, progressCallback, start, 0, -1, endCallback)) {
            player.WaitForEnd();
            player.Finish();
        } else if (endCallback) {
            endCallback();
        }
        player.SetIdle(true);
        playThreadDone_ = true;
    });

    // Until the timer chain runs; a playback that could not start, or that
    // is already over, ends the wait too.
    while (!player_.IsActive() && !playThreadDone_) player_.Timers().SleepFor(kStartPollMs);
}

std::int32_t MidiF0Data::Stop()
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    for (int poll = 1; !player_.IsActive(); ++poll) {
        if (poll > kActivePolls) {
            ReportSongError(sink_, SongError::StopFailed);
            break;
        }
        player_.Timers().SleepFor(kPollMs);
    }
    player_.RequestStop();
    for (int poll = 1; !player_.IsIdle(); ++poll) {
        if (poll > kIdlePolls) {
            player_.KillTimer();
            break;
        }
        player_.Timers().SleepFor(kPollMs);
    }
    JoinPlayThread();
    playCopy_.reset();
    player_.Timers().SleepFor(kSettleMs);
    return 1;
}

}  // namespace harkwell
