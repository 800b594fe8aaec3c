#include "app/PlaybackControl.h"

#include "app/Guidance.h"
#include "audio/WaveData.h"
#include "common/ErrorReport.h"

#include <algorithm>
#include <atomic>

namespace harkwell {

PlaybackControl::PlaybackControl(WaveOutPort& port, MessageSink& messages, Hooks hooks)
    : port_(port), messages_(messages), hooks_(std::move(hooks))
{
}

PlaybackControl::PlaybackControl(WaveOutPort& port, MidiOutDevices& midi, TimerService& timers,
                                 MidiRenderer& renderer, MessageSink& messages, Hooks hooks)
    : PlaybackControl(port, messages, std::move(hooks))
{
    musicPlayer_ = std::make_unique<MusicPlayer>(messages, midi, timers);
    renderer_ = &renderer;
}

PlaybackControl::~PlaybackControl()
{
    self_.reset();
    player_.reset();  // stops and joins before the play buffer goes
    if (song_ && scorePlaying_ && musicPlayer_->IsActive()) (void)song_->Stop();  // it always answers 1
    song_.reset();    // joins its play thread before the controller goes
}

std::function<void(std::function<void(PlaybackControl&)>)> PlaybackControl::Poster()
{
    return [post = hooks_.post, weak = std::weak_ptr<PlaybackControl*>(self_)](auto task) {
        post([weak, task] {
            if (const auto self = weak.lock()) task(**self);
        });
    };
}

void PlaybackControl::ToggleScore(const ScoreBar& bar)
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    if (!musicPlayer_ || bar.grid == nullptr) return;
    if (syncedScore_) {
        // The bar mixed into the wave fades out; the wave plays on.
        syncedScore_->FadeOut();
        EndSyncedScore();
        return;
    }
    if (scorePlaying_) {
        // A song that has just ended on its own needs no stop, only its end.
        if (song_ && musicPlayer_->IsActive()) (void)song_->Stop();  // it always answers 1
        EndScore(scoreGeneration_);
        return;
    }
    scorePlaying_ = true;
    hooks_.scoreChanged(true);
    song_ = std::make_unique<MidiF0Data>(messages_, *musicPlayer_);
    BuildBarTrack(song_->Track(), bar);
    const std::uint64_t generation = ++scoreGeneration_;
    auto post = Poster();
    // The end routine runs on the song's play thread: it only posts.
    song_->Play([post, generation] { post([generation](PlaybackControl& self) { self.EndScore(generation); }); },
                nullptr, 1);
}

void PlaybackControl::EndScore(std::uint64_t generation)
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    // An earlier song's end, or one already stopped, changes nothing.
    if (generation != scoreGeneration_ || !scorePlaying_) return;
    song_.reset();  // waits for its play thread
    scorePlaying_ = false;
    hooks_.scoreChanged(false);
}

void PlaybackControl::SyncPlay(const PlaySource& tune, std::uint32_t start, std::uint32_t end, double speed,
                               const ScoreBar& bar)
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    if (playing_ || scorePlaying_ || !musicPlayer_ || bar.grid == nullptr) return;
    StartMode(PlayMode::AnalyzeDialog, tune, start, end, speed, &bar);
    hooks_.changed();
    // No synth rendered the bar: it plays beside the wave instead.
    if (!syncedScore_) ToggleScore(bar);
}

void PlaybackControl::EndSyncedScore()
{
    if (!syncedScore_) return;
    syncedScore_.reset();  // the player keeps its own hold while it mixes
    scorePlaying_ = false;
    hooks_.scoreChanged(false);
}

std::shared_ptr<PlayOverlay> PlaybackControl::RenderSynced(const ScoreBar& bar, const WaveFormat& format)
{
    // A bar whose notes end after the stretch would be cut short: the buffer
    // grows by silence, with time for the last notes to ring out.
    constexpr double kRingSeconds = 1.5;
    if (renderer_ == nullptr || format.blockAlign == 0) return nullptr;
    const std::vector<TimedMidiMessage> messages = ScheduleBar(bar, format.samplesPerSec, firstStretchFrame_);
    if (messages.empty()) return nullptr;
    const auto frames = static_cast<std::uint32_t>(messages.back().frame + kRingSeconds * format.samplesPerSec);
    std::vector<float> stereo;
    if (!renderer_->Render(messages, format.samplesPerSec, frames, stereo)) return nullptr;
    if (playFrames_ < frames) {
        playBuffer_.resize(std::size_t{frames} * format.blockAlign,
                           format.bitsPerSample == 8 ? std::uint8_t{0x80} : std::uint8_t{0});
        playFrames_ = frames;
    }
    return std::make_shared<PlayOverlay>(std::move(stereo), 0);
}

bool PlaybackControl::MayStop(PlayMode pressed, PlayMode playing)
{
    // The analyze dialog's Play also stops a row of the area list.
    return pressed == playing || (pressed == PlayMode::AnalyzeDialog && playing == PlayMode::AreaList);
}

void PlaybackControl::Toggle(PlayMode mode, const PlaySource& tune, std::uint32_t start, std::uint32_t end,
                             double speed)
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    if (!playing_) {
        StartMode(mode, tune, start, end, speed, nullptr);
    } else if (MayStop(mode, mode_)) {
        if (player_) player_->Stop();
        SetIdle();
        EndSyncedScore();
    } else {
        ShowPlainMessage(messages_, MainMessageText(MainMessage::NowPlaying));
    }
    hooks_.changed();
}

void PlaybackControl::StartMode(PlayMode mode, const PlaySource& tune, std::uint32_t start, std::uint32_t end,
                                double speed, const ScoreBar* synced)
{
    playing_ = true;
    mode_ = mode;
    hooks_.caption(mode, "  Stop");
    player_.reset();
    // A play that cannot start leaves nothing playing.
    if (!Start(tune, start, end, speed, synced)) {
        playing_ = false;
        hooks_.caption(mode, "  Play");
    }
}

void PlaybackControl::StopMode(PlayMode mode)
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    if (!playing_ || mode_ != mode) return;
    if (player_) player_->Stop();
    SetIdle();
    EndSyncedScore();
    hooks_.changed();
}

void PlaybackControl::SetIdle()
{
    // The caption of the window that started the playback, whichever stopped it.
    hooks_.caption(mode_, "  Play");
    playing_ = false;
}

void PlaybackControl::BuildPlayBuffer(const PlaySource& tune, std::uint32_t start, std::uint32_t end, double speed)
{
    const std::size_t b = tune.format.blockAlign;
    // Never past the tune: a mark of an earlier, longer tune is cut to this one.
    const std::size_t tuneBytes = tune.samples.size();
    const std::size_t from = std::min<std::size_t>(std::size_t{start} * b, tuneBytes);
    const std::size_t to = end == 0 ? tuneBytes : std::min<std::size_t>(std::size_t{end} * b, tuneBytes);
    const std::size_t n = to > from ? to - from : 0;

    // The stretch changes speed alone: the lead-in stays as long as it is, so
    // the stretch begins on the same frame at every speed.
    std::vector<std::uint8_t> stretch(tune.samples.begin() + static_cast<std::ptrdiff_t>(from),
                                      tune.samples.begin() + static_cast<std::ptrdiff_t>(from + n));
    if (speed != 1.0 && n >= b) {
        WaveData changed(tune.format, stretch.data(), static_cast<std::uint32_t>(n / b));
        // A refused speed change has said why; the stretch then plays at normal speed.
        if (changed.ChangeSpeed(speed, 8, messages_)) stretch.assign(changed.Samples().begin(), changed.Samples().end());
    }
    // The lead-in is silence in the tune's own format: unsigned 8-bit samples rest at 0x80.
    playBuffer_.assign(kLeadInBytes, tune.format.bitsPerSample == 8 ? std::uint8_t{0x80} : std::uint8_t{0});
    playBuffer_.insert(playBuffer_.end(), stretch.begin(), stretch.end());
    firstStretchFrame_ = static_cast<std::uint32_t>(kLeadInBytes / b);
    playFrames_ = static_cast<std::uint32_t>(playBuffer_.size() / b);
}

bool PlaybackControl::Start(const PlaySource& tune, std::uint32_t start, std::uint32_t end, double speed,
                            const ScoreBar* synced)
{
    if (tune.format.blockAlign == 0) return false;
    BuildPlayBuffer(tune, start, end, speed);
    std::shared_ptr<PlayOverlay> overlay = synced ? RenderSynced(*synced, tune.format) : nullptr;
    const std::uint64_t generation = ++generation_;
    // Both notices come from the player's threads; they are acted on in the
    // interface thread, and only while this control lives.
    const auto post = Poster();
    player_ = std::make_unique<WavePlayer>(
        port_, messages_, tune.format, playBuffer_.data(), playFrames_, WavePlayerSettings{},
        [post, generation](WaveBufferHeader* header) {
            post([generation, header](PlaybackControl& self) {
                HARKWELL_ASSERT_ON_OWNER(self.interfaceThread_);
                if (generation == self.generation_ && self.player_) self.player_->OnBufferDone(header);
            });
        },
        [post, generation, scoreEnd = overlay ? overlay->EndFrame() : 0u,
         scoreEnded = std::make_shared<std::atomic<bool>>(false)](std::uint32_t written, std::uint32_t total) {
            // The synced bar ends with the last of its frames written.
            if (scoreEnd > 0 && written >= scoreEnd && !scoreEnded->exchange(true))
                post([generation](PlaybackControl& self) {
                    if (generation == self.generation_) self.EndSyncedScore();
                });
            if (written >= total) post([generation](PlaybackControl& self) { self.OnEnded(generation); });
        },
        hooks_.sleep);
    if (overlay) player_->SetOverlay(overlay);
    if (!player_->Play()) return false;
    if (overlay) {
        syncedScore_ = std::move(overlay);
        ++scoreGeneration_;  // a song's late end notice ends nothing now
        scorePlaying_ = true;
        hooks_.scoreChanged(true);
    }
    return true;
}

void PlaybackControl::OnEnded(std::uint64_t generation)
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    if (generation != generation_ || !playing_) return;
    SetIdle();
    EndSyncedScore();
    hooks_.changed();
}

}  // namespace harkwell
