#pragma once

#include "app/AppServices.h"
#include "app/Guidance.h"
#include "app/PlaybackControl.h"
#include "app/SetupData.h"
#include "app/SynthAccess.h"
#include "app/TuneWork.h"
#include "app/WorkFiles.h"
#include "app/ui/CTuneScrollBars.h"
#include "areas/AreaColours.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class QLabel;
class QScrollBar;

namespace harkwell {

class CAnalyzeDlg;
class CAreaDlg;
class CAreaListDlg;
class CButtonFamily;
class CMainDialogs;
class COffScreenPicture;
class CStretchCommands;
class CWavePicture;

// The main window: it holds the work (the tune, the settings and the tune's
// mark), builds the windows and the three waveform pictures, and dispatches
// the 25 commands of the command table. The commands' work is done by its
// collaborators: TuneWork and WorkFiles load, restore and save the work,
// CStretchCommands carries stretches into the panels and edits the bars,
// CMainDialogs opens the modal dialogs and PlaybackControl plays. Only the
// Close command ends it.
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

    bool TuneLoaded() const { return tune_.Loaded(); }
    bool IsPlaying() const { return playback_->IsPlaying(); }
    bool IsScorePlaying() const { return playback_->IsScorePlaying(); }
    std::uint32_t PlayFrames() const { return playback_->PlayFrames(); }
    std::uint32_t TuneFrames() const { return tune_.Frames(); }
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
    void AttachPanelPictures();
    // Shows the tune the work now holds, or none.
    void ShowTune();
    void RestoreLastWork();
    // The pictures stop reading the tune's samples, which are about to go.
    void LetGoOfSamples();

    void OnTunePress(std::uint32_t frame);
    void OnTuneRelease(std::uint32_t frame);

    void LoadWav();
    void LoadCd();
    void PlayCommand(PlayMode mode);
    void OpenAreaList(int list);
    // The analyze dialog's bar, at the tempo in force where its piece begins.
    ScoreBar WrittenBar() const;
    void SyncPlay();
    void OnScorePlaying(bool playing);
    void SetPlayCaption(PlayMode mode, std::string_view caption);
    void ShowPowerSpectrum();

    AppServices services_;
    SynthAccess synth_{services_.midiOut, services_.messages};
    std::string workDir_;
    SetupData setup_;
    WorkFiles files_{workDir_, setup_, services_.messages};
    TuneWork tune_{services_.messages, [this] { LetGoOfSamples(); }};
    StretchSelection mark_;
    std::string guidance_;

    std::unique_ptr<PlaybackControl> playback_;
    std::unique_ptr<CMainDialogs> dialogs_;
    std::unique_ptr<CStretchCommands> stretches_;

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
