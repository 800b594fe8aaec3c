#include "app/PlaybackControl.h"

#include "app/Guidance.h"
#include "audio/WaveData.h"
#include "common/ErrorReport.h"

#include <algorithm>

namespace harkwell {

PlaybackControl::PlaybackControl(WaveOutPort& port, MessageSink& messages, Hooks hooks)
    : port_(port), messages_(messages), hooks_(std::move(hooks))
{
}

PlaybackControl::PlaybackControl(WaveOutPort& port, MidiOutDevices& midi, TimerService& timers, MessageSink& messages,
                                 Hooks hooks)
    : PlaybackControl(port, messages, std::move(hooks))
{
    musicPlayer_ = std::make_unique<MusicPlayer>(messages, midi, timers);
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
        playing_ = true;
        mode_ = mode;
        hooks_.caption(mode, "  Stop");
        player_.reset();
        // A play that cannot start leaves nothing playing.
        if (!Start(tune, start, end, speed)) {
            playing_ = false;
            hooks_.caption(mode, "  Play");
        }
    } else if (MayStop(mode, mode_)) {
        if (player_) player_->Stop();
        SetIdle();
    } else {
        ShowPlainMessage(messages_, MainMessageText(MainMessage::NowPlaying));
    }
    hooks_.changed();
}

void PlaybackControl::StopMode(PlayMode mode)
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    if (!playing_ || mode_ != mode) return;
    if (player_) player_->Stop();
    SetIdle();
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

    // The lead-in is silence in the tune's own format: unsigned 8-bit samples rest at 0x80.
    playBuffer_.assign(n + kLeadInBytes, tune.format.bitsPerSample == 8 ? std::uint8_t{0x80} : std::uint8_t{0});
    std::copy_n(tune.samples.begin() + static_cast<std::ptrdiff_t>(from), n,
                playBuffer_.begin() + static_cast<std::ptrdiff_t>(kLeadInBytes));
    playFrames_ = static_cast<std::uint32_t>(playBuffer_.size() / b);
    if (speed == 1.0) return;
    WaveData stretch(tune.format, playBuffer_.data(), playFrames_);
    // A refused speed change has said why; the stretch then plays at normal speed.
    if (!stretch.ChangeSpeed(speed, 8, messages_)) return;
    playBuffer_.assign(stretch.Samples().begin(), stretch.Samples().end());
    playFrames_ = static_cast<std::uint32_t>(playBuffer_.size() / b);
}

bool PlaybackControl::Start(const PlaySource& tune, std::uint32_t start, std::uint32_t end, double speed)
{
    if (tune.format.blockAlign == 0) return false;
    BuildPlayBuffer(tune, start, end, speed);
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
        [post, generation](std::uint32_t written, std::uint32_t total) {
            if (written >= total) post([generation](PlaybackControl& self) { self.OnEnded(generation); });
        },
        hooks_.sleep);
    return player_->Play();
}

void PlaybackControl::OnEnded(std::uint64_t generation)
{
    HARKWELL_ASSERT_ON_OWNER(interfaceThread_);
    if (generation != generation_ || !playing_) return;
    SetIdle();
    hooks_.changed();
}

}  // namespace harkwell
