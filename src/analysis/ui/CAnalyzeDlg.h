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

class QComboBox;
class QLabel;

namespace harkwell {

class CKeyboardPicture;
class CLongStaffPicture;
class COffScreenPicture;
class CSymbolGridPicture;
class CWavePicture;
class MidiOutPort;

// How the analyze dialog sounds what is written: the built-in synth, opened
// on first use (null when there is none), the score's instrument, kept in the
// settings, and a start of the synth's opening that does not wait for it,
// asked when the dialog is first shown so that the first key sounds at once.
struct ScoreSound {
    std::function<MidiOutPort*()> synth;
    std::int32_t* instrument = nullptr;
    std::function<void()> openAhead;
};

// The window in which one bar is written down: the analysed piece of the
// area panel's stretch, in which the user selects what to hear and analyse,
// and the one-bar grid of the score. Its buttons belong to the main window.
class CAnalyzeDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPictureSlot = 2;
    static constexpr PictureRect kKeyboardPlace{10, 180, 390, 240};

    static constexpr PictureRect kStaffPlace{10, 330, 350, 490};
    static constexpr PictureRect kPickerPlace{360, 330, 510, 420};
    static constexpr std::int32_t kBarTicks = 3840;  // one 4/4 bar at division 960

    CAnalyzeDlg(QWidget* parent, std::function<bool()> tuneLoaded, MessageSink& messages, ScoreSound sound = {});
    ~CAnalyzeDlg() override;

    COffScreenPicture* PictureHost() { return pictureHost_; }
    COffScreenPicture* NewButtonHost();
    void AttachPictures(CWavePicture* pictures) { pictures_ = pictures; }

    void OnPicturePress(std::uint32_t frame);
    void OnPictureRelease(std::uint32_t frame);

    // A new stretch: the cursor back at the bar's start and the bar one whole rest.
    void PrepareForStretch();

    // The bar being written: a note or rest of the picker's value at the
    // cursor, and where the cursor goes.
    void OnStaffClick(int x);
    void OnPickerPress(int row, int column);
    // The picker's chosen value in sixteenths.
    int PickerValue() const;
    CLongStaffPicture& Staff() { return *staff_; }
    COffScreenPicture* StaffHost() { return staffHost_; }
    COffScreenPicture* PickerHost() { return pickerHost_; }
    QComboBox* InstrumentList() { return instruments_; }
    QString GuidanceText() const;
    // While the score plays a new instrument is neither kept nor sent.
    // After it the keys tell the synth the instrument again.
    void SetScorePlaying(bool playing);

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
    // note strengths of the selection in the tune; with `guess`, the notes
    // guessed to sound are dotted on their keys as well.
    void AnalyzePart(PartRange part, const TuneSamples& tune, bool guess = false);
    // Where the selection lies in the tune.
    AnalysisRange Range() const;
    CKeyboardPicture& Keyboard() { return *keyboard_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ColourKey(int note, int value);
    void OnKeyDown(int note);
    void OnKeyUp(int note);
    void OnKeyDoubleClick(int note);
    void OnInstrumentChosen(int index);
    // Shows the grid on the staff, and the cursor over it.
    void RefreshStaff();
    void HighlightCursor();
    // Where the staff's note area begins, and the width of one position.
    double NoteAreaLeft() const;
    double PositionWidth() const;
    // The synth with the score's instrument chosen, or null.
    MidiOutPort* Synth();

    std::function<bool()> tuneLoaded_;
    MessageSink& messages_;
    CWavePicture* pictures_ = nullptr;
    COffScreenPicture* pictureHost_;
    PanelStretch stretch_;
    ScoreGrid grid_;
    COffScreenPicture* keyboardHost_;
    std::unique_ptr<CKeyboardPicture> keyboard_;
    ScoreSound sound_;
    std::int32_t ownInstrument_ = 0;   // when the settings keep none
    MidiOutPort* programmed_ = nullptr;  // the synth that was told the instrument
    int soundingNote_ = -1;
    MidiOutPort* soundingPort_ = nullptr;  // where the sounding note went
    bool scorePlaying_ = false;
    bool shownBefore_ = false;
    COffScreenPicture* staffHost_;
    std::unique_ptr<CLongStaffPicture> staff_;
    COffScreenPicture* pickerHost_;
    std::unique_ptr<CSymbolGridPicture> picker_;
    QComboBox* instruments_;
    QLabel* guidance_;
};

}  // namespace harkwell
