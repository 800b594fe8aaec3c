#pragma once

#include "areas/AreaColours.h"
#include "areas/PanelStretch.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class QLabel;

namespace harkwell {

class COffScreenPicture;
class CWavePicture;

// The area panel: the stretch last copied down, shown larger with its bar and
// beat lines, in which the user selects the piece to analyse. Its buttons
// belong to the main window, which creates them on the panel.
class CAreaDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPictureSlot = 1;

    CAreaDlg(QWidget* parent, std::function<bool()> tuneLoaded);

    // The host of the panel's waveform picture, and a new host for a button.
    COffScreenPicture* PictureHost() { return pictureHost_; }
    COffScreenPicture* NewButtonHost();
    // The picture system that drives the panel's slot.
    void AttachPictures(CWavePicture* pictures) { pictures_ = pictures; }

    void OnPicturePress(std::uint32_t frame);
    void OnPictureRelease(std::uint32_t frame);

    // The stretch to show, handed over whole, with the piece selected in it.
    void ShowStretch(const PanelStretch& stretch) { stretch_ = stretch; }
    const PanelStretch& Stretch() const { return stretch_; }
    StretchSelection& Selection() { return stretch_.selection; }
    const StretchSelection& Selection() const { return stretch_.selection; }

    QString GuidanceText() const;

private:
    std::function<bool()> tuneLoaded_;
    CWavePicture* pictures_ = nullptr;
    COffScreenPicture* pictureHost_;
    QLabel* guidance_;
    PanelStretch stretch_;
};

}  // namespace harkwell
