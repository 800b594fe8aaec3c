#pragma once

#include "analysis/NoteAnalysis.h"
#include "analysis/ScoreGrid.h"
#include "areas/AreaColours.h"
#include "areas/PanelStretch.h"
#include "common/MessageSink.h"
#include "widgets/PictureRect.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>

namespace harkwell {

class CKeyboardPicture;
class COffScreenPicture;
class CWavePicture;

// The window in which one bar is written down: the analysed piece of the
// area panel's stretch, in which the user selects what to hear and analyse,
// and the one-bar grid of the score. Its buttons belong to the main window.
class CAnalyzeDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPictureSlot = 2;
    static constexpr PictureRect kKeyboardPlace{10, 180, 390, 240};

    CAnalyzeDlg(QWidget* parent, std::function<bool()> tuneLoaded, MessageSink& messages);
    ~CAnalyzeDlg() override;

    COffScreenPicture* PictureHost() { return pictureHost_; }
    COffScreenPicture* NewButtonHost();
    void AttachPictures(CWavePicture* pictures) { pictures_ = pictures; }

    void OnPicturePress(std::uint32_t frame);
    void OnPictureRelease(std::uint32_t frame);

    // A new stretch: the cursor back at the bar's start and the bar one whole rest.
    void PrepareForStretch();

    // The stretch to show, handed over whole, with the piece selected in it.
    void ShowStretch(const PanelStretch& stretch) { stretch_ = stretch; }
    const PanelStretch& Stretch() const { return stretch_; }
    StretchSelection& Selection() { return stretch_.selection; }
    const StretchSelection& Selection() const { return stretch_.selection; }
    const ScoreGrid& Grid() const { return grid_; }

    // Colours the key of a note by a strength: white to yellow for a white
    // key, black to blue for a black one, by the strength modulo 256. Notes
    // off the keyboard are ignored.
    void SetKeyStrength(int note, int value);
    // A new keyboard over the part's notes, with every key plain.
    void SetPartRange(int lowest, int highest);
    // A part button: the keyboard rebuilt for the part and coloured by the
    // note strengths of the selection in the tune.
    void AnalyzePart(PartRange part, const TuneSamples& tune);
    // Where the selection lies in the tune.
    AnalysisRange Range() const;
    CKeyboardPicture& Keyboard() { return *keyboard_; }

private:
    void ColourKey(int note, int value);
    void OnKeyDown(int note);
    void OnKeyUp(int note);
    void OnKeyDoubleClick(int note);

    std::function<bool()> tuneLoaded_;
    MessageSink& messages_;
    CWavePicture* pictures_ = nullptr;
    COffScreenPicture* pictureHost_;
    PanelStretch stretch_;
    ScoreGrid grid_;
    COffScreenPicture* keyboardHost_;
    std::unique_ptr<CKeyboardPicture> keyboard_;
};

}  // namespace harkwell
