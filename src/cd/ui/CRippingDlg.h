#pragma once

#include "cd/CdReader.h"
#include "cd/TrackExtraction.h"
#include "common/FilePrompt.h"
#include "common/MessageSink.h"
#include "widgets/ui/CButtonFamily.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <string>

class QComboBox;
class QLabel;
class QListWidget;

namespace harkwell {

// Picks a CD drive and a track, asks for a WAV file and extracts the track
// into it on a worker thread. It closes with OK when the extraction ended
// well; RippedPath then names the file.
class CRippingDlg : public QDialog {
    Q_OBJECT

public:
    enum Button { kClose = 0, kRipping = 1, kUpdateInfo = 2 };

    CRippingDlg(QWidget* parent, CdReader& reader, MessageSink& messages, FilePrompt& prompt);
    // Stops the extraction and waits for its worker.
    ~CRippingDlg() override;

    void Press(Button button);
    // The WAV file written by an extraction that ended well; empty otherwise.
    const std::string& RippedPath() const { return path_; }
    bool Ripping() const { return ripping_; }

    QComboBox* Drives() { return drives_; }
    QListWidget* Tracks() { return tracks_; }
    QLabel* Status() { return status_; }
    QLabel* Ticks() { return ticks_; }
    QTimer& TickTimer() { return timer_; }
    COffScreenPicture* ButtonHost(Button button) { return hosts_.at(button); }
    QString ButtonCaption(Button button) const { return buttons_.Caption(button); }

    // Escape and the window's close box count as "  Close".
    void reject() override;

private:
    void FillTracks();
    void StartOrStop();
    // On the interface thread, with the worker's result.
    void Completed(ExtractionResult result);
    void Tick();

    CdReader& reader_;
    MessageSink& messages_;
    FilePrompt& prompt_;
    QComboBox* drives_;
    QListWidget* tracks_;
    QLabel* status_;
    QLabel* ticks_;
    std::array<COffScreenPicture*, 3> hosts_{};
    CButtonFamily buttons_{ButtonFamilyKind::B};
    QTimer timer_;
    int tickCount_ = 0;
    bool ripping_ = false;
    std::string path_;
    // Last: its worker is joined before the controls it reports to go.
    TrackExtractor extractor_;
};

}  // namespace harkwell
