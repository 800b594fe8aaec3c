#pragma once

#include "app/AppServices.h"
#include "app/Guidance.h"
#include "app/InputDialogGuard.h"
#include "app/PlaybackControl.h"
#include "app/SetupData.h"
#include "app/GuessSettingFile.h"
#include "app/SetupFile.h"
#include "app/SynthAccess.h"
#include "app/ui/CTuneScrollBars.h"
#include "areas/AreaColours.h"
#include "audio/WaveData.h"

#include <QDialog>
#include <QPointer>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QScrollBar;

namespace harkwell {

class CAnalyzeDlg;
struct TuneSamples;
class CAreaDlg;
class CAreaListDlg;
class CButtonFamily;
class COffScreenPicture;
class CWavePicture;

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
    // The Play command of the mode's window for frames start..end of the tune.
    void TogglePlay(PlayMode mode, std::uint32_t start, std::uint32_t end, double speed);
    // A new tune replaces the work: settings back to their defaults, areas
    // cleared. A file that is refused leaves the work as it was.
    void OpenTune(const std::string& path);
    void UpdateGuidance();
    void ShowMainMessage(MainMessage message);
    // Puts the bar and beat lines of the separator table on all three pictures.
    void DrawSeparators();

    bool TuneLoaded() const { return tune_.has_value(); }
    bool IsPlaying() const { return playback_->IsPlaying(); }
    bool IsScorePlaying() const { return playback_->IsScorePlaying(); }
    std::uint32_t PlayFrames() const { return playback_->PlayFrames(); }
    std::uint32_t TuneFrames() const;
    const SetupData& Setup() const { return setup_; }
    const StretchSelection& Mark() const { return mark_; }
    CWavePicture& Pictures() { return *pictures_; }
    CAreaDlg& AreaPanel() { return *areaDlg_; }
    CAnalyzeDlg& AnalyzeDialog() { return *analyzeDlg_; }
    // The open area list dialog, or null.
    CAreaListDlg* AreaList();
    // The built-in synth that sounds scores and keys, opened on first use.
    SynthAccess& Synth() { return synth_; }
    COffScreenPicture* ButtonHost(std::uint32_t command) { return buttonHosts_.at(command); }
    QString ButtonCaption(std::uint32_t command) const;
    COffScreenPicture* TunePictureHost() { return tunePictureHost_; }
    QString Guidance() const { return QString::fromStdString(guidance_); }
    QScrollBar* ZoomBar() { return scrollBars_->ZoomBar(); }
    QScrollBar* PositionBar() { return scrollBars_->PositionBar(); }

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
    void InstallTune(std::optional<WaveData> tune);
    void ReloadLastWork();
    void SaveAreas();

    void OnTunePress(std::uint32_t frame);
    void OnTuneRelease(std::uint32_t frame);

    void LoadWav();
    void LoadCd();
    void PlayCommand(PlayMode mode);
    void OpenAreaList(int list);
    // The analyze dialog's bar, at the tempo in force where its piece begins.
    ScoreBar WrittenBar() const;
    void PlayScore();
    void SyncPlay();
    void OnScorePlaying(bool playing);
    void OpenBarInfo();
    void SetPlayCaption(PlayMode mode, std::string_view caption);
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
    // The tune's frames per second, 44100 without a tune.
    std::uint32_t SampleRate() const;
    void ShowStretchLines(int slot, std::int64_t dataStart, std::int64_t length);
    // The bar lines of the tune's frames visible at this zoom and view start.
    void ShowTuneBarLines(std::uint32_t zoom, std::uint32_t viewStart);
    // Makes the stretch the slot's current area; the earlier current one is done.
    void MakeCurrentArea(int slot, std::uint32_t start, std::uint32_t end);

    AppServices services_;
    SynthAccess synth_{services_.midiOut, services_.messages};
    std::string workDir_;
    SetupData setup_;
    std::unique_ptr<SetupFile> setupFile_;
    std::unique_ptr<GuessSettingFile> guessSetting_;
    // The loaded tune; its samples are the work's copy of the tune.
    std::optional<WaveData> tune_;
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

    std::unique_ptr<PlaybackControl> playback_;
    // The area list dialog while it is open: its Play button follows mode 3.
    QPointer<CAreaListDlg> areaList_;

    std::unique_ptr<CButtonFamily> buttons_;
    std::array<COffScreenPicture*, 25> buttonHosts_{};
    COffScreenPicture* tunePictureHost_ = nullptr;
    std::unique_ptr<CWavePicture> pictures_;
    CAreaDlg* areaDlg_ = nullptr;
    CAnalyzeDlg* analyzeDlg_ = nullptr;
    QLabel* guidanceLabel_ = nullptr;
    CTuneScrollBars* scrollBars_ = nullptr;
};

}  // namespace harkwell
