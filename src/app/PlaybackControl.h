#pragma once

#include "app/ScoreSong.h"
#include "audio/PlayOverlay.h"
#include "audio/WaveFormat.h"
#include "audio/WaveOutPort.h"
#include "audio/WavePlayer.h"
#include "common/MessageSink.h"
#include "common/ThreadChecker.h"
#include "score/MidiF0Data.h"
#include "score/MidiOutPort.h"
#include "score/MidiRenderer.h"
#include "score/MusicPlayer.h"
#include "score/TimerService.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace harkwell {

// The window whose Play button started the running playback.
enum class PlayMode { Main = 0, AreaPanel = 1, AnalyzeDialog = 2, AreaList = 3 };

// The tune a playback copies its stretch from; the samples stay the caller's.
struct PlaySource {
    WaveFormat format;
    std::span<const std::uint8_t> samples;
};

// The one owner of what plays. Each window's Play command starts its
// stretch, stops the playback it may stop, or is refused with "Now playing."
// while another window's stretch plays. Every stretch plays from a copy of
// its own (4096 bytes of silence, then the stretch at the chosen speed), so
// loading another tune does not disturb it. Beside the wave, the written bar
// plays as a song through the MIDI output. Played with the wave (Sync Play),
// the bar is rendered beforehand and mixed into the wave's own frames, its
// first sixteenth on the stretch's first frame: both leave through one
// stream and are heard together, whatever the sound server's latency.
//
// Threads: every call is made on the interface thread. The player's notices
// arrive on its worker and are carried to the interface thread by `post`.
class PlaybackControl {
public:
    static constexpr std::size_t kLeadInBytes = 4096;

    struct Hooks {
        // Runs a task later on the interface thread; never waits for it.
        std::function<void(std::function<void()>)> post;
        // The caption of the mode's Play button changed: "  Play" or "  Stop".
        std::function<void(PlayMode mode, std::string_view caption)> caption;
        // Playing started or ended (the guidance follows it).
        std::function<void()> changed;
        // How the player's worker waits between its steps.
        WavePlayer::Sleep sleep;
        // The score began or stopped playing: the caption of Play Score,
        // "  Stop" or "  Play", and the keys' sound follow it.
        std::function<void(bool playing)> scoreChanged = [](bool) {};
    };

    PlaybackControl(WaveOutPort& port, MessageSink& messages, Hooks hooks);
    // With the MIDI side, for the written bar, and the synth that renders it
    // for Sync Play.
    PlaybackControl(WaveOutPort& port, MidiOutDevices& midi, TimerService& timers, MidiRenderer& renderer,
                    MessageSink& messages, Hooks hooks);
    // Stops what plays and waits for the player's worker.
    ~PlaybackControl();
    PlaybackControl(const PlaybackControl&) = delete;
    PlaybackControl& operator=(const PlaybackControl&) = delete;

    // The Play command of the mode's window for the frames start..end of the
    // tune (an end of 0 plays to the tune's end).
    void Toggle(PlayMode mode, const PlaySource& tune, std::uint32_t start, std::uint32_t end, double speed);
    // Stops the running playback when the mode started it (the list dialog
    // stops its row when it closes).
    void StopMode(PlayMode mode);

    // Play Score: plays the bar, or stops it while it plays.
    void ToggleScore(const ScoreBar& bar);
    bool IsScorePlaying() const { return scorePlaying_; }

    // Sync Play: the analyze dialog's stretch and the bar together, or
    // nothing while either plays. Without a synth to render with, the bar
    // starts through the MIDI output beside the wave, as Play Score would.
    void SyncPlay(const PlaySource& tune, std::uint32_t start, std::uint32_t end, double speed,
                  const ScoreBar& bar);
    // The frame of the play buffer on which the stretch (and a synced bar) begins.
    std::uint32_t FirstStretchFrame() const { return firstStretchFrame_; }

    bool IsPlaying() const { return playing_; }
    PlayMode Mode() const { return mode_; }
    // Frames of the running (or last) play buffer, lead-in included.
    std::uint32_t PlayFrames() const { return playFrames_; }

    // Which modes' playbacks the mode's Play button stops.
    static bool MayStop(PlayMode pressed, PlayMode playing);

private:
    // The mode's playback begins: its caption, a new player, and back to idle when it cannot.
    void StartMode(PlayMode mode, const PlaySource& tune, std::uint32_t start, std::uint32_t end, double speed,
                   const ScoreBar* synced);
    [[nodiscard]] bool Start(const PlaySource& tune, std::uint32_t start, std::uint32_t end, double speed,
                             const ScoreBar* synced = nullptr);
    void BuildPlayBuffer(const PlaySource& tune, std::uint32_t start, std::uint32_t end, double speed);
    // The bar rendered to lie over the play buffer from the stretch's first
    // frame, which grows to hold it; null without a synth.
    std::shared_ptr<PlayOverlay> RenderSynced(const ScoreBar& bar, const WaveFormat& format);
    // The synced bar has sounded to its end, or the wave under it stopped.
    void EndSyncedScore();
    void OnEnded(std::uint64_t generation);
    // After a song has ended or been stopped: it goes, and the keys may sound again.
    void EndScore(std::uint64_t generation);
    // Runs a task on the interface thread, only while this control lives.
    std::function<void(std::function<void(PlaybackControl&)>)> Poster();
    void SetIdle();

    WaveOutPort& port_;
    MessageSink& messages_;
    Hooks hooks_;
    ThreadChecker interfaceThread_;  // the thread that made the control
    bool playing_ = false;
    PlayMode mode_ = PlayMode::Main;
    std::vector<std::uint8_t> playBuffer_;
    std::uint32_t playFrames_ = 0;
    std::uint32_t firstStretchFrame_ = 0;
    // Tells the notices of an earlier player from those of the running one.
    std::uint64_t generation_ = 0;
    std::unique_ptr<WavePlayer> player_;
    // The written bar: one controller for the program's songs, the song
    // that plays, and which song the notices belong to.
    std::unique_ptr<MusicPlayer> musicPlayer_;
    std::unique_ptr<MidiF0Data> song_;
    bool scorePlaying_ = false;
    std::uint64_t scoreGeneration_ = 0;
    // Sync Play's renderer, and the bar it mixed into the playing wave.
    MidiRenderer* renderer_ = nullptr;
    std::shared_ptr<PlayOverlay> syncedScore_;
    // Posted notices run only while this control lives.
    std::shared_ptr<PlaybackControl*> self_ = std::make_shared<PlaybackControl*>(this);
};

}  // namespace harkwell
