#pragma once

#include "analysis/ScoreGrid.h"
#include "areas/AreaColours.h"

#include <QDialog>

#include <cstdint>
#include <functional>

namespace harkwell {

class COffScreenPicture;
class CWavePicture;

// The window in which one bar is written down: the analysed piece of the
// area panel's stretch, in which the user selects what to hear and analyse,
// and the one-bar grid of the score. Its buttons belong to the main window.
class CAnalyzeDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPictureSlot = 2;

    CAnalyzeDlg(QWidget* parent, std::function<bool()> tuneLoaded);

    COffScreenPicture* PictureHost() { return pictureHost_; }
    COffScreenPicture* NewButtonHost();
    void AttachPictures(CWavePicture* pictures) { pictures_ = pictures; }

    void OnPicturePress(std::uint32_t frame);
    void OnPictureRelease(std::uint32_t frame);

    // A new stretch: the cursor back at the bar's start and the bar one whole rest.
    void PrepareForStretch();

    StretchSelection& Selection() { return selection_; }
    const StretchSelection& Selection() const { return selection_; }
    const ScoreGrid& Grid() const { return grid_; }
    std::uint32_t dataStart = 0;      // tune frame where the stretch begins
    std::uint32_t dataLength = 0;     // frames in the stretch
    std::uint32_t sampleRate = 44100;

private:
    std::function<bool()> tuneLoaded_;
    CWavePicture* pictures_ = nullptr;
    COffScreenPicture* pictureHost_;
    StretchSelection selection_;
    ScoreGrid grid_;
};

}  // namespace harkwell
