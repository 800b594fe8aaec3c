#include "score/MusicPlayer.h"

#include "common/ErrorReport.h"
#include "score/MidiF0Data.h"
#include "score/ScoreReports.h"

#include <algorithm>

namespace harkwell {

namespace {
constexpr int kWaitPollMs = 100;
}

CallBackPlayer::CallBackPlayer(MidiPlayer& player, TimerService& timers, std::atomic<bool>& endTickNoticeShown,
                               MidiF0Data* song, int device, ProgressCallback progress, std::int32_t startTime,
                               std::int32_t startTick, std::int32_t endTick, EndCallback endCallback)
    : player_(player),
      timers_(timers),
      endTickNoticeShown_(endTickNoticeShown),
      progress_(std::move(progress)),
      endCallback_(std::move(endCallback)),
      time_(startTime),
      endTick_(endTick)
{
    player_.ResetState();
    std::int32_t skipped = 0;
    const int resolution = player_.Prepare(song, device, startTick, skipped);
    time_ += skipped;
    if (resolution == 0) {
        player_.playing = false;
        return;
    }
    // The first note keeps its distance from the start: a bar that opens with
    // a rest is heard with it.
    const std::int32_t firstDelta = song->Track().Event(player_.PlayIndex()).delta;
    const int delay = std::max(player_.PeriodMs(), NextDelay(std::max(firstDelta, 0)));
    player_.Reports().SetDeferring(true);
    Arm(delay);
}

CallBackPlayer::~CallBackPlayer()
{
    Kill();
    player_.Release();
}

void CallBackPlayer::Kill()
{
    killed_ = true;
    // A procedure that was already running may have armed one more timer
    // before it saw the kill; cancel until the armed id stays put.
    for (;;) {
        const TimerService::TimerId id = timerId_.load();
        timers_.Cancel(id);
        if (timerId_.load() == id) break;
    }
    player_.playing = false;
}

std::int32_t CallBackPlayer::NextDelay(std::int32_t delta)
{
    // Each interval is a whole number of milliseconds; the fraction cut off
    // is carried to the next one, so a chain of short notes keeps its tempo.
    const std::int64_t ticksPerMinute = player_.TicksPerMinute();
    if (ticksPerMinute <= 0) return -1;
    if (carryTicksPerMinute_ != ticksPerMinute) {
        carry_ = carryTicksPerMinute_ > 0 ? carry_ * ticksPerMinute / carryTicksPerMinute_ : 0;
        carryTicksPerMinute_ = ticksPerMinute;
    }
    const std::int64_t scaled = std::int64_t{delta} * 60000 + carry_;
    const std::int64_t delay = scaled / ticksPerMinute;
    carry_ = scaled - delay * ticksPerMinute;
    return static_cast<std::int32_t>(delay);
}

void CallBackPlayer::Fire(void* self) { static_cast<CallBackPlayer*>(self)->OnTimer(); }

void CallBackPlayer::Arm(int delayMs)
{
    const TimerService::TimerId id = timers_.ScheduleOnce(delayMs, &CallBackPlayer::Fire, this);
    if (id == TimerService::kNoTimer) {
        ReportPlayerError(player_.Reports(), PlayerError::CannotUseTimer);
        player_.playing = false;
        return;
    }
    timerId_ = id;
}

void CallBackPlayer::Notify(const MidiEvent& event)
{
    time_ += event.delta;
    if (progress_) progress_(player_.PlayIndex(), time_, &event);
}

void CallBackPlayer::OnTimer()
{
    if (killed_ || player_.stopRequest) {
        player_.playing = false;
        return;
    }
    const MidiTrackData& track = player_.Song()->Track();
    const MidiEvent* event = &track.Event(player_.PlayIndex());
    Notify(*event);
    std::int32_t d = player_.Advance(*event);
    for (;;) {
        if (d < 0) {
            player_.playing = false;
            return;
        }
        if (endTick_ != -1 && std::int64_t{time_} + d >= endTick_) {
            if (endCallback_) {
                endCallbackCalled_ = true;
                endCallback_();
            } else if (!endTickNoticeShown_.exchange(true)) {
                ShowPlainMessage(player_.Reports(), kCallBackPlayerError);
            }
            player_.playing = false;
            return;
        }
        if (player_.TicksPerMinute() == 0) {
            player_.playing = false;
            ReportPlayerError(player_.Reports(), PlayerError::TempoWrong);
            return;
        }
        const std::int32_t delay = NextDelay(d);
        if (delay > 0) {
            if (killed_) {
                player_.playing = false;
                return;
            }
            Arm(delay);
            return;
        }
        event = &track.Event(player_.PlayIndex());
        Notify(*event);
        d = player_.Advance(*event);
    }
}

MusicPlayer::MusicPlayer(MessageSink& sink, MidiOutDevices& devices, TimerService& timers)
    : sink_(sink), timers_(timers), player_(sink, devices, timers)
{
}

// The play thread has ended when the controller goes.
MusicPlayer::~MusicPlayer() { EndChain(); }

bool MusicPlayer::Start(MidiF0Data* song, ProgressCallback progress, std::int32_t startTime, std::int32_t startTick,
                        std::int32_t endTick, EndCallback endCallback)
{
    playThread_.Rebind();
    progress_ = nullptr;
    if (song == nullptr || song->State() != track_state::kPlayable)
        ReportMusicPlayerError(sink_, MusicPlayerError::Internal);
    progress_ = progress;
    endCallback_ = endCallback;
    auto chain = std::make_unique<CallBackPlayer>(player_, timers_, endTickNoticeShown_, song,
                                                  MidiOutDevices::kBuiltInSynth, std::move(progress), startTime,
                                                  startTick, endTick, std::move(endCallback));
    if (!player_.HasOutput()) {
        chain.reset();
        progress_ = nullptr;
        endCallback_ = nullptr;
        return false;
    }
    std::lock_guard lock(chainMutex_);
    timerChain_ = std::move(chain);
    return true;
}

void MusicPlayer::RequestStop()
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    std::lock_guard lock(chainMutex_);
    if (timerChain_) player_.stopRequest = true;
}

void MusicPlayer::KillTimer()
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    std::lock_guard lock(chainMutex_);
    if (timerChain_) timerChain_->Kill();
}

bool MusicPlayer::IsActive() const
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    std::lock_guard lock(chainMutex_);
    return timerChain_ != nullptr;
}

void MusicPlayer::WaitForEnd()
{
    HARKWELL_ASSERT_ON_OWNER(playThread_);
    while (player_.playing) {
        player_.Reports().Flush();
        timers_.SleepFor(kWaitPollMs);
    }
    player_.Reports().Flush();
    bool calledByChain = false;
    {
        std::lock_guard lock(chainMutex_);
        calledByChain = timerChain_ && timerChain_->EndCallbackCalled();
    }
    if (!player_.stopRequest && !calledByChain && endCallback_) endCallback_();
}

void MusicPlayer::Finish()
{
    HARKWELL_ASSERT_ON_OWNER(playThread_);
    EndChain();
}

void MusicPlayer::EndChain()
{
    std::unique_ptr<CallBackPlayer> chain;
    {
        std::lock_guard lock(chainMutex_);
        chain = std::move(timerChain_);
    }
    chain.reset();
    player_.Reports().SetDeferring(false);
    player_.Reports().Flush();
    progress_ = nullptr;
    endCallback_ = nullptr;
}

}  // namespace harkwell
