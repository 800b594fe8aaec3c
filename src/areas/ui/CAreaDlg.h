#pragma once

#include "areas/AreaColours.h"

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

    StretchSelection& Selection() { return selection_; }
    const StretchSelection& Selection() const { return selection_; }
    std::uint32_t dataStart = 0;   // tune frame where the panel's stretch begins
    std::uint32_t dataLength = 0;  // frames in the stretch

    QString GuidanceText() const;

private:
    std::function<bool()> tuneLoaded_;
    CWavePicture* pictures_ = nullptr;
    COffScreenPicture* pictureHost_;
    QLabel* guidance_;
    StretchSelection selection_;
};

}  // namespace harkwell
