#pragma once

#include "app/AppServices.h"
#include "app/InputDialogGuard.h"
#include "app/SetupData.h"
#include "app/SetupFile.h"
#include "app/SynthAccess.h"
#include "app/TuneView.h"
#include "areas/AreaColours.h"
#include "audio/WaveData.h"
#include "audio/WaveOutPort.h"
#include "common/FilePrompt.h"
#include "common/MessageSink.h"
#include "common/Shell.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QApplication;
class QLabel;
class QScrollBar;

namespace harkwell {

class CAnalyzeDlg;
struct TuneSamples;
class CAreaDlg;
class CButtonFamily;
class COffScreenPicture;
class CWavePicture;
class WavePlayer;

// The window whose Play button started the running playback.
enum class PlayMode { Main = 0, AreaPanel = 1, AnalyzeDialog = 2, AreaList = 3 };

// The main window: it owns the tune, the settings, the three waveform
// pictures with their area lists, the two panels and the one dispatcher of
// the 25 commands. Only the Close command ends it.
class CCopyDownDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr std::uint32_t kSlotBackground = 0xA5BEA0;   // red 160, green 190, blue 165
    static constexpr std::uint32_t kPanelBackground = 0xAABE96;  // red 150, green 190, blue 170

    // Reads setup.ini in `workDir`, builds the windows and reloads the last
    // tune with its areas from line.dat.
    CCopyDownDlg(AppServices services, std::string workDir, QWidget* parent = nullptr);
    // Writes line.dat, then setup.ini.
    ~CCopyDownDlg() override;

    void Dispatch(std::uint32_t command);
    // Starts the stretch's playback in the mode, or stops the running one
    // when the mode may stop it; otherwise "Now playing.".
    void TogglePlay(PlayMode mode, std::uint32_t start, std::uint32_t end, double speed);
    // A new tune replaces the work: settings back to their defaults, areas cleared.
    void OpenTune(const std::string& path);
    void UpdateGuidance();
    void ShowMainMessage(int code);
    // Puts the bar and beat lines of the separator table on all three pictures.
    void DrawSeparators();

    bool TuneLoaded() const { return tune_.has_value(); }
    bool IsPlaying() const { return playing_; }
    std::uint32_t PlayFrames() const { return playFrames_; }
    std::uint32_t TuneFrames() const;
    const SetupData& Setup() const { return setup_; }
    const StretchSelection& Mark() const { return mark_; }
    CWavePicture& Pictures() { return *pictures_; }
    CAreaDlg& AreaPanel() { return *areaDlg_; }
    CAnalyzeDlg& AnalyzeDialog() { return *analyzeDlg_; }
    // The built-in synth that sounds scores and keys, opened on first use.
    SynthAccess& Synth() { return synth_; }
    COffScreenPicture* ButtonHost(std::uint32_t command) { return buttonHosts_.at(command); }
    QString ButtonCaption(std::uint32_t command) const;
    COffScreenPicture* TunePictureHost() { return tunePictureHost_; }
    QString Guidance() const { return QString::fromStdString(guidance_); }
    QScrollBar* ZoomBar() { return zoomBar_; }
    QScrollBar* PositionBar() { return positionBar_; }

protected:
    // The close box, Escape and Enter leave the window open: only Close ends it.
    void reject() override {}
    void accept() override {}
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreateControls();
    void CreateButtons();
    void LoadTune(const std::string& path);
    void ReloadLastWork();
    void SaveAreas();

    void OnTunePress(std::uint32_t frame);
    void OnTuneRelease(std::uint32_t frame);
    void OnZoomBar(int action);
    void OnPositionBar(int action);
    void ApplyPositionBar();

    void LoadWav();
    void PlayCommand(PlayMode mode);
    bool PlayArea(std::uint32_t start, std::uint32_t end, double speed);
    void OnPlayEnded(std::uint64_t generation);
    void SetPlayCaption(PlayMode mode, const char* caption);
    void OpenPlaySetting();
    void CopyDown();
    void Analyze();
    void BaseWidth();
    void AddSeparator();
    // The tune's samples as the analysis reads them, in place.
    TuneSamples AnalysisSamples() const;
    void ShowPowerSpectrum();
    void OpenAnalyzeSetting();
    void ShowAbout();

    std::uint32_t BytesPerFrame() const;
    void ShowStretchLines(int slot, std::int64_t dataStart, std::int64_t length);
    void ShowTuneBarLines();
    // Makes the stretch the slot's current area; the earlier current one is done.
    void MakeCurrentArea(int slot, std::uint32_t start, std::uint32_t end);

    AppServices services_;
    SynthAccess synth_{services_.midiOut, services_.messages};
    std::string workDir_;
    SetupData setup_;
    std::unique_ptr<SetupFile> setupFile_;
    // The loaded tune; its samples are the work's copy of the tune.
    std::optional<WaveData> tune_;
    WaveFormat playFormat_;
    TuneView view_;
    StretchSelection mark_;
    // line.dat is rewritten only when this run had a tune, so a tune that
    // cannot be found at start-up does not take its areas with it.
    bool hadTune_ = false;
    // One modal input dialog of each kind at a time: the lists, the
    // separator details and the settings.
    InputDialogGuard listDialog_;
    InputDialogGuard infoDialog_;
    InputDialogGuard settingDialog_;
    std::string guidance_;

    // The running playback: the player plays its own copy of the stretch.
    bool playing_ = false;
    PlayMode playMode_ = PlayMode::Main;
    std::vector<std::uint8_t> playBuffer_;
    std::uint32_t playFrames_ = 0;
    std::uint64_t playGeneration_ = 0;  // tells an old player's end from the running one's
    std::unique_ptr<WavePlayer> player_;

    std::unique_ptr<CButtonFamily> buttons_;
    std::array<COffScreenPicture*, 25> buttonHosts_{};
    COffScreenPicture* tunePictureHost_ = nullptr;
    std::unique_ptr<CWavePicture> pictures_;
    CAreaDlg* areaDlg_ = nullptr;
    CAnalyzeDlg* analyzeDlg_ = nullptr;
    QLabel* guidanceLabel_ = nullptr;
    QScrollBar* zoomBar_ = nullptr;
    QScrollBar* positionBar_ = nullptr;
};

// The colours of every dialog of the program: a soft green with darker text.
void ApplyDialogColours(QApplication& application);

}  // namespace harkwell
